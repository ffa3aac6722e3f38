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

// A path for a text line, like `ls -b`: control characters and bytes that
// are not UTF-8 as octal escapes, a backslash doubled.
std::string ShownPath(const std::string& bytes) {
    const std::u16string units = FromUtf8(bytes);
    std::string out;
    char escape[8];
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t u = units[i];
        const bool pair = u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() &&
                          units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF;
        if (pair) {
            out += ToUtf8(std::u16string_view(units).substr(i++, 2));
        } else if (u < 0x20 || u == 0x7F || (u >= 0xDC80 && u <= 0xDCFF)) {
            // U+DC80 to U+DCFF carry a name's raw bytes.
            std::snprintf(escape, sizeof escape, "\\%03o", static_cast<unsigned>(u & 0xFF));
            out += escape;
        } else if (u == u'\\') {
            out += "\\\\";
        } else {
            out += ToUtf8(std::u16string_view(units).substr(i, 1));
        }
    }
    return out;
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
        std::printf("{\"id\":\"%s\",\"error\":%s}\n", id.c_str(), Json(why).c_str());
    } else {
        std::fprintf(stderr, "quellix: %s: %s\n", id.c_str(), why.c_str());
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
            std::printf(
                "{\"id\":\"%s\",\"path\":%s,\"quarantined\":\"%s\",\"level\":%s,\"reason\":%s}\n",
                entry.id.c_str(), Json(r.path).c_str(), UtcTime(r.quarantined).c_str(),
                Json(r.level).c_str(), Json(r.reason).c_str());
        } else {
            std::printf("%s\t%s\t%s\t%s\t%s\n", entry.id.c_str(), UtcTime(r.quarantined).c_str(),
                        r.level.c_str(), ShownPath(r.path).c_str(), ShownPath(r.reason).c_str());
        }
    }
    return status;
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
            if (!result.path.empty()) line += ",\"path\":" + Json(result.path);
            line += ",\"result\":\"" + std::string(kWords[static_cast<int>(result.outcome)]) + "\"";
            if (!result.error.empty()) line += ",\"error\":" + Json(result.error);
            std::printf("%s}\n", line.c_str());
            continue;
        }
        if (restored) std::printf("restored\t%s\n", ShownPath(result.path).c_str());
        if (!result.error.empty())
            std::fprintf(stderr, "quellix: %s: %s\n", id.c_str(), result.error.c_str());
    }
    return status;
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
