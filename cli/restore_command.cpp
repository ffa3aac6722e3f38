// `quellix restore`: puts quarantined files back where a scan took them
// from, or lists what a quarantine directory holds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"
#include "console.h"
#include "quarantine.h"

namespace qx::cli {
namespace {

struct RestoreOptions {
    std::string directory;
    std::vector<std::string> ids;
    bool json = false, list = false;
};

// A path or reason for a text line, escaped as the scan escapes names.
std::string Shown(const std::string& bytes) {
    return Escaped(FromUtf8(bytes));
}

std::string Json(const std::string& utf8) {
    return JsonString(FromUtf8(utf8));
}

// "2024-06-10T06:15:00Z"
std::string UtcTime(const RecordTime& t) {
    using namespace std::chrono;
    const sys_seconds at{seconds(t.seconds)};
    const sys_days day = floor<days>(at);
    const year_month_day date(day);
    const hh_mm_ss time(at - day);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<int>(time.hours().count()),
                  static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return text;
}

std::vector<QuarantineEntry> Entries(const std::string& directory) {
    std::string error;
    std::vector<QuarantineEntry> entries = ListQuarantine(directory, error);
    if (!error.empty()) throw UsageError(error);
    return entries;
}

void PrintProblem(const RestoreOptions& options, const std::string& id, const std::string& why) {
    if (options.json) {
        Output::Line("{\"id\":\"" + id + "\",\"error\":" + Json(why) + "}");
    } else {
        Output::Error(id + ": " + why);
    }
}

int List(const RestoreOptions& options) {
    int status = 0;
    for (const QuarantineEntry& entry : Entries(options.directory)) {
        const QuarantineRecord& r = entry.record;
        if (!entry.error.empty()) {
            PrintProblem(options, entry.id, entry.error);
            status = 1;
        } else if (options.json) {
            Output::Line("{\"id\":\"" + entry.id + "\"," + JsonPath(FromUtf8(r.path)) +
                         ",\"quarantined\":\"" + UtcTime(r.quarantined) +
                         "\",\"level\":" + Json(r.level) + ",\"reason\":" + Json(r.reason) + "}");
        } else {
            Output::Line(entry.id + "\t" + UtcTime(r.quarantined) + "\t" + Shown(r.level) + "\t" +
                         Shown(r.path) + "\t" + Shown(r.reason));
        }
    }
    return Output::Failed() ? Output::FailureStatus() : status;
}

int RestoreAll(const RestoreOptions& options) {
    std::vector<std::string> ids = options.ids;
    const std::vector<QuarantineEntry> entries = Entries(options.directory);
    // Every named ID must be there before anything is restored.
    for (const std::string& id : ids) {
        if (std::none_of(entries.begin(), entries.end(),
                         [&id](const QuarantineEntry& e) { return e.id == id; })) {
            throw UsageError("unknown quarantine ID: " + id);
        }
    }
    if (ids.empty()) {
        for (const QuarantineEntry& entry : entries) ids.push_back(entry.id);
    }

    int status = 0;
    for (const std::string& id : ids) {
        const RestoreResult result = Restore(options.directory, id);
        const bool restored = result.outcome != RestoreResult::Outcome::kNotRestored;
        if (result.outcome != RestoreResult::Outcome::kRestored) status = 1;
        if (options.json) {
            static constexpr const char* kWords[] = {"restored", "partial", "failed"};
            std::string line = "{\"id\":\"" + id + "\"";
            if (!result.path.empty()) line += "," + JsonPath(FromUtf8(result.path));
            line += ",\"result\":\"" + std::string(kWords[static_cast<int>(result.outcome)]) + "\"";
            if (!result.error.empty()) line += ",\"error\":" + Json(result.error);
            Output::Line(line + "}");
            continue;
        }
        if (restored) Output::Line("restored\t" + Shown(result.path));
        if (!result.error.empty()) Output::Error(id + ": " + result.error);
    }
    return Output::Failed() ? Output::FailureStatus() : status;
}

}  // namespace

void AddRestoreCommand(CLI::App& app, int& status) {
    auto options = std::make_shared<RestoreOptions>();
    CLI::App* restore = app.add_subcommand(
        "restore",
        "Put quarantined files back with their owner, mode and times (all of DIR's when no ID "
        "is named).");
    restore->add_flag("--json", options->json, "one JSON object per file");
    restore->add_flag("--list", options->list, "list DIR's entries instead of restoring them");
    restore->add_option("DIR", options->directory, "the quarantine directory")->required();
    restore->add_option("ID", options->ids, "entries to restore");
    restore->callback([options, &status] {
        if (options->list && !options->ids.empty()) throw UsageError("--list takes no ID");
        status = options->list ? List(*options) : RestoreAll(*options);
    });
}

}  // namespace qx::cli
