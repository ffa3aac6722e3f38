// `quellix power`: the power records page's rows, one pair of power-on and
// power-off times per line, oldest first.
#include <cstdio>
#include <memory>
#include <string>

#include "commands.h"
#include "console.h"
#include "host/power_records.h"

namespace qx::cli {
namespace {

struct PowerOptions {
    std::string wtmp = "/var/log/wtmp";
    bool json = false;
};

std::vector<host::PowerEvent> ReadEvents([[maybe_unused]] const PowerOptions& options) {
    std::vector<host::PowerEvent> events;
#ifdef _WIN32
    if (!host::ReadSystemLogPowerEvents(events)) {
        throw UsageError("cannot open the System event log");
    }
#else
    if (!host::ReadWtmpPowerEvents(FsPath(options.wtmp), events)) {
        throw UsageError("cannot read " + options.wtmp);
    }
#endif
    return events;
}

int Power(const PowerOptions& options) {
    const std::vector<host::PowerRow> rows = host::PairPowerEvents(ReadEvents(options));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string number = std::to_string(i + 1);
        if (options.json) {
            Output::Line("{\"number\":" + number + ",\"on\":" + JsonString(rows[i].powerOn) +
                         ",\"off\":" + JsonString(rows[i].powerOff) + "}");
        } else {
            Output::Line(number + "\t" + ToUtf8(rows[i].powerOn) + "\t" + ToUtf8(rows[i].powerOff));
        }
    }
    return Output::FailureStatus();
}

}  // namespace

void AddPowerCommand(CLI::App& app, int& status) {
    auto options = std::make_shared<PowerOptions>();
    CLI::App* power = app.add_subcommand(
#ifdef _WIN32
        "power", "List the machine's power-on and power-off times from the System event log.");
#else
        "power", "List the machine's power-on and power-off times from wtmp.");
    power->add_option("--wtmp", options->wtmp, "login records file (default: /var/log/wtmp)");
#endif
    power->add_flag("--json", options->json, "one JSON object per row");
    power->callback([options, &status] { status = Power(*options); });
}

}  // namespace qx::cli
