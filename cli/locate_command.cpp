// `quellix locate`: the location of each IPv4 address, as the network page
// shows it; the addresses come from the arguments or, one per line, from
// standard input, so that a log's addresses can be piped through it.
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "commands.h"
#include "console.h"
#include "database_path.h"
#include "host/qqwry.h"

namespace qx::cli {
namespace {

struct LocateOptions {
    std::string database;
    std::vector<std::string> addresses;
};

std::string_view Trimmed(std::string_view line) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!line.empty() && blank(line.front())) line.remove_prefix(1);
    while (!line.empty() && blank(line.back())) line.remove_suffix(1);
    return line;
}

void PrintLocation(const CQQwry& database, std::string_view address) {
    const std::string location = ToUtf8(database.Lookup(address));
    std::printf("%.*s\t%s\n", static_cast<int>(address.size()), address.data(), location.c_str());
}

int Locate(const LocateOptions& options) {
    CQQwry database;
    const std::u16string path =
        options.database.empty() ? DefaultDatabasePath() : FromUtf8(options.database);
    database.Open(path);
    if (!database.IsOpen()) throw UsageError("cannot open the IP database " + ToUtf8(path));
    if (!options.addresses.empty()) {
        for (const std::string& address : options.addresses) PrintLocation(database, address);
        return 0;
    }
    // Blank lines carry no address and are passed over.
    std::string line;
    char chunk[4096];
    while (std::fgets(chunk, sizeof chunk, stdin) != nullptr) {
        line += chunk;
        if (line.back() != '\n' && !std::feof(stdin)) continue;
        const std::string_view address = Trimmed(line);
        if (!address.empty()) PrintLocation(database, address);
        line.clear();
    }
    return 0;
}

}  // namespace

void AddLocateCommand(CLI::App& app, int& status) {
    auto options = std::make_shared<LocateOptions>();
    CLI::App* locate = app.add_subcommand(
        "locate",
        "Look up IPv4 addresses in the IP database (from standard input, one per "
        "line, when none is given).");
    locate->add_option("--qqwry", options->database,
                       "IP database (default: QQWry.dat beside the program)");
    locate->add_option("IP", options->addresses, "dotted IPv4 addresses");
    locate->callback([options, &status] { status = Locate(*options); });
}

}  // namespace qx::cli
