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
    bool json = false;
};

std::string_view Trimmed(std::string_view line) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!line.empty() && blank(line.front())) line.remove_prefix(1);
    while (!line.empty() && blank(line.back())) line.remove_suffix(1);
    return line;
}

// Four decimal parts from 0 to 255 without leading zeros, and nothing else.
bool IsDottedIpv4(std::string_view text) {
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (text.empty() || text.front() != '.') return false;
            text.remove_prefix(1);
        }
        std::size_t digits = 0;
        int value = 0;
        while (digits < text.size() && digits < 4 && text[digits] >= '0' && text[digits] <= '9') {
            value = value * 10 + (text[digits] - '0');
            ++digits;
        }
        if (digits == 0 || digits > 3 || value > 255 || (digits > 1 && text[0] == '0'))
            return false;
        text.remove_prefix(digits);
    }
    return text.empty();
}

class Locator {
  public:
    Locator(const CQQwry& database, bool json) : database_(database), json_(json) {}

    void Answer(std::string_view address) {
        if (!IsDottedIpv4(address)) {
            rejected_ = true;
            Output::Error(Escaped(FromUtf8(address)) + ": not a dotted IPv4 address");
            return;
        }
        const std::u16string location = database_.Lookup(address);
        const std::string ip(address);
        if (json_) {
            Output::Line("{\"ip\":\"" + ip + "\",\"location\":" + JsonString(location) + "}");
        } else {
            // A hostile database's strings must not reach the terminal raw.
            Output::Line(ip + "\t" + Escaped(location));
        }
    }

    int ExitStatus() const {
        if (Output::Failed()) return Output::FailureStatus();
        return rejected_ ? 2 : 0;
    }

  private:
    const CQQwry& database_;
    bool json_;
    bool rejected_ = false;
};

int Locate(const LocateOptions& options) {
    CQQwry database;
    const std::u16string path =
        options.database.empty() ? DefaultDatabasePath() : FromUtf8(options.database);
    // Only a regular file opens as a database: a FIFO named here cannot stall.
    database.Open(path);
    if (!database.IsOpen()) throw UsageError("cannot open the IP database " + ToUtf8(path));
    Locator locator(database, options.json);
    if (!options.addresses.empty() &&
        !(options.addresses.size() == 1 && options.addresses[0] == "-")) {
        for (const std::string& address : options.addresses) locator.Answer(address);
        return locator.ExitStatus();
    }
    // Blank lines carry no address and are passed over.
    std::string line;
    char chunk[4096];
    while (!Output::Failed() && std::fgets(chunk, sizeof chunk, stdin) != nullptr) {
        line += chunk;
        if (line.back() != '\n' && !std::feof(stdin)) continue;
        const std::string_view address = Trimmed(line);
        if (!address.empty()) locator.Answer(address);
        line.clear();
    }
    return locator.ExitStatus();
}

}  // namespace

void AddLocateCommand(CLI::App& app, int& status) {
    auto options = std::make_shared<LocateOptions>();
    CLI::App* locate = app.add_subcommand(
        "locate",
        "Look up IPv4 addresses in the IP database (from standard input, one per line, when none "
        "or - is given). Exit status 2 when an address was rejected.");
    locate->add_option(
        "--qqwry", options->database,
        "IP database (default: QQWry.dat beside the program, then the installed one)");
    locate->add_flag("--json", options->json, "one JSON object per address");
    locate->add_option("IP", options->addresses, "dotted IPv4 addresses");
    locate->callback([options, &status] { status = Locate(*options); });
}

}  // namespace qx::cli
