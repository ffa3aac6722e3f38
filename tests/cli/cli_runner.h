// Runs the built `quellix` through a POSIX shell as scripts do, capturing its
// exit status and both output streams.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace qx::test {

struct CliResult {
    int status;
    std::string out, err;
};

inline std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

inline std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// `prefix` goes before the program (setpriv, env). Standard output goes to
// `stdout_to` when given; what is captured lands in files under `scratch`.
inline CliResult RunQuellix(const std::vector<std::string>& args,
                            const std::filesystem::path& scratch, const std::string& prefix = "",
                            const std::string& stdout_to = "") {
    std::string command = prefix + " " + QX_CLI_PATH;
    for (const auto& a : args) command += " " + ShellQuote(a);
    const std::string out = (scratch / "out").string(), err = (scratch / "err").string();
    command += " </dev/null >" + (stdout_to.empty() ? out : stdout_to) + " 2>" + err;
    std::filesystem::remove(out);
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(out), Slurp(err)};
}

}  // namespace qx::test
