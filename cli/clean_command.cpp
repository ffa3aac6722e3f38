// `quellix clean`: blanks a snippet of planted markup out of every page under
// a directory, printing one line per page where it was found, every page that
// could not be cleaned with why, then the clean page's summary sentence.
#include <filesystem>
#include <memory>
#include <string>

#include "code_cleaner.h"
#include "commands.h"
#include "console.h"
#include "frontend/shown_texts.h"
#include "interrupt.h"
#include "os/codepage.h"
#include "os/dir_reader.h"
#include "os/file.h"
#include "os/path.h"
#include "quarantine.h"

namespace qx::cli {
namespace {

// Shorter codes match in ordinary pages: `x` blanked the first x of every page.
constexpr std::size_t kShortestCode = 8;

struct CleanOptions {
    std::string code, code_file, directory, backup, encoding;
    bool json = false, no_progress = false, dry_run = false, force = false;
    int threads = 0;
};

std::string WhyText(const PageOutcome& outcome, const std::string& why) {
    using Why = PageOutcome::Why;
    switch (outcome.why) {
        case Why::kSystem:
            return os::ErrorText(outcome.error);
        case Why::kCannotWrite:
            return "cannot open the page for writing: " + os::ErrorText(outcome.error);
        case Why::kOtherLinks:
            return "the page has other hard links; it was left as it was";
        case Why::kOutsideTree:
            return "the page lies outside the tree through a link; it was left as it was";
        case Why::kChanged:
            return "the page changed while it was cleaned; it was left as it was";
        case Why::kPathTooLong:
            return "the path is too long for the platform";
        case Why::kBeforeChange:
            return why;
        case Why::kNone:
            break;
    }
    return "failed";
}

class CleanReport : public CleanClient {
  public:
    CleanReport(const CleanOptions& options, std::u16string root)
        : options_(options), root_(std::move(root)), progress_(!options.no_progress) {}

    bool StopRequested() const override { return InterruptSignal() != 0 || Output::Failed(); }
    void OnFile(const std::u16string& path) override { progress_.Show(++totals_.files, path); }

    bool BeforeChange(const std::u16string& path, const os::File& page, std::string& why) override {
        return options_.backup.empty() || Backup(path, page, why);
    }

    void OnPage(const std::u16string& path, const PageOutcome& outcome,
                const std::string& why) override {
        using Kind = PageOutcome::Kind;
        progress_.Clear();
        switch (outcome.kind) {
            case Kind::kCleaned:
                ++totals_.cleaned;
                return Result(path, frontend::CleanResultWord(CleanSucceeded), "cleaned", {});
            case Kind::kFound:
                ++found_;
                return Result(path, u"发现挂马代码", "found", {});
            case Kind::kFailed:
                ++totals_.failed;
                return Result(path, frontend::CleanResultWord(CleanFailed), "failed",
                              WhyText(outcome, why));
            case Kind::kTooLarge:
                return Problem(path, "skipped: larger than 10 MiB");
            case Kind::kUnreadable:
                return Problem(path, "cannot read: " + os::ErrorText(outcome.error));
            case Kind::kNoMarkup:
                return;
        }
    }

    void OnUnlistable(const std::u16string& path, std::uint32_t error) override {
        Problem(path, "cannot list the directory: " + os::ErrorText(error));
    }

    void Finish() {
        progress_.Clear();
        if (Output::Failed()) return;
        const bool interrupted = InterruptSignal() != 0;
        if (options_.json) {
            Output::Line("{\"summary\":{\"files\":" + std::to_string(totals_.files) +
                         ",\"cleaned\":" + std::to_string(totals_.cleaned) +
                         ",\"failed\":" + std::to_string(totals_.failed) +
                         (options_.dry_run ? ",\"found\":" + std::to_string(found_) : "") +
                         ",\"unchecked\":" + std::to_string(unchecked_) +
                         (interrupted ? ",\"interrupted\":true" : "") + "}}");
            return;
        }
        std::string summary = options_.dry_run ? "本次检查共扫描" + std::to_string(totals_.files) +
                                                     "个文件，发现含有挂马代码的页面" +
                                                     std::to_string(found_) + "个，未作修改。"
                                               : ToUtf8(frontend::CleanSummary(totals_));
        if (unchecked_ > 0) {
            summary += "另有" + std::to_string(unchecked_) + "处未能检查，见标准错误输出。";
        }
        if (interrupted) summary += "清除被中断。";
        Output::Line(summary);
    }

    int ExitStatus() const {
        if (InterruptSignal() != 0) return InterruptStatus();
        if (Output::Failed()) return Output::FailureStatus();
        return totals_.failed > 0 || unchecked_ > 0 ? 1 : 0;
    }

  private:
    void Result(const std::u16string& path, std::u16string_view word, const char* result,
                const std::string& error) {
        if (options_.json) {
            Output::Line("{" + JsonPath(path) + ",\"result\":\"" + result + "\"" +
                         (error.empty() ? "" : ",\"error\":" + JsonString(FromUtf8(error))) + "}");
            return;
        }
        Output::Line(ToUtf8(word) + "\t" + Escaped(path));
        if (!error.empty()) Output::Error(Escaped(path) + ": " + error);
    }

    void Problem(const std::u16string& path, const std::string& what) {
        ++unchecked_;
        progress_.Clear();
        if (options_.json) {
            Output::Line("{\"problem\":{" + JsonPath(path) +
                         ",\"what\":" + JsonString(FromUtf8(what)) + "}}");
        } else {
            Output::Error(Escaped(path) + ": " + what);
        }
    }

    // The page as it is now, under the backup folder at its path below the
    // root; a name already taken there gets .1, .2, ... so that no earlier
    // backup is lost.
    bool Backup(const std::u16string& path, const os::File& page, std::string& why) {
        const std::int64_t size = page.Size();
        std::string bytes(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
        if (size < 0 || page.ReadAt(0, bytes.data(), bytes.size()) != size) {
            why = "backup failed: the page cannot be read";
            return false;
        }
        // Joined as UTF-16 and handed over as the name's own bytes: a name
        // that is not UTF-8 has no other path form.
        std::u16string target = FromUtf8(options_.backup);
        target.push_back(os::kPathSeparator);
        target.append(path, root_.size() + 1);
        std::error_code error;
        std::filesystem::create_directories(
            FsPath(ToUtf8(target.substr(0, target.find_last_of(os::kPathSeparator)))), error);
        for (int copy = 0; copy < 1000; ++copy) {
            std::u16string name = target;
            if (copy > 0) name.append(u".").append(FromUtf8(std::to_string(copy)));
            std::uint32_t code = 0;
            if (os::WriteNewFile(name, bytes, code)) return true;
            if (code != os::kFileExists) {
                why = "backup failed: " + os::ErrorText(code);
                return false;
            }
        }
        why = "backup failed: too many backups of this page";
        return false;
    }

    const CleanOptions& options_;
    std::u16string root_;
    ProgressLine progress_;
    frontend::CleanTotals totals_;
    int found_ = 0;
    int unchecked_ = 0;
};

std::u16string CleanCodeOf(const CleanOptions& options) {
    std::string bytes = options.code;
    if (!options.code_file.empty()) {
        bytes = ReadFileBytes(options.code_file, "code file");
        if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);  // an editor's byte-order mark
    }
    const std::u16string code = FromUtf8(bytes);
    if (code.empty()) throw UsageError("the clean code is empty");
    if (code.size() > QX_MAX_CLEAN_CODE) {
        throw UsageError("the clean code is longer than " + std::to_string(QX_MAX_CLEAN_CODE) +
                         " UTF-16 units");
    }
    if (code.size() < kShortestCode && !options.force) {
        throw UsageError("the clean code is shorter than " + std::to_string(kShortestCode) +
                         " characters and would match ordinary text; give --force to clean anyway");
    }
    return code;
}

int Clean(const CleanOptions& options) {
    if (!options.encoding.empty() && !os::MakeDecoder(options.encoding)) {
        throw UsageError("unknown encoding: " + options.encoding);
    }
    const CleanCode code = BuildCleanCode(CleanCodeOf(options), options.encoding);
    RequireDirectory(options.directory);
    // A backup folder inside the tree would be walked and cleaned too.
    if (!options.backup.empty() && InsideAny(options.backup, {options.directory}))
        throw UsageError("the backup folder lies inside " + options.directory);
    const std::u16string root = FromUtf8(options.directory);
    CleanReport report(options, root);
    CleanSettings settings;
    settings.dry_run = options.dry_run;
    settings.threads = options.threads;
    CleanTree(root, code, report, settings);
    report.Finish();
    return report.ExitStatus();
}

}  // namespace

void AddCleanCommand(CLI::App& app, int& status) {
    auto options = std::make_shared<CleanOptions>();
    CLI::App* clean = app.add_subcommand(
        "clean",
        "Blank the first occurrence of planted markup out of every page under DIR. Exit status: "
        "0 done, 1 a page could not be cleaned or checked, 2 bad usage.");
    auto* code =
        clean->add_option("--code", options->code, "the markup to remove, exactly as it stands");
    auto* file =
        clean->add_option("--code-file", options->code_file,
                          "read the markup from FILE (UTF-8; every byte counts, line breaks too)");
    code->excludes(file);
    clean->add_flag("--dry-run", options->dry_run,
                    "only report the pages that hold the markup; change nothing");
    clean->add_option("--backup", options->backup,
                      "copy each page into DIR (at its path below the site) before changing it");
    clean->add_flag("--force", options->force, "accept a code shorter than 8 characters");
    clean->add_option("--encoding", options->encoding,
                      "encoding of pages without a byte-order mark, such as GB18030 (default: "
                      "the locale's)");
    clean->add_option("-j,--threads", options->threads, "cleaning threads (default: one per core)");
    clean->add_flag("--json", options->json, "one JSON object per page, then a summary object");
    clean->add_flag("--no-progress", options->no_progress, "no progress line on standard error");
    clean->add_option("DIR", options->directory, "root directory of the site")->required();
    clean->callback([options, &status, code, file] {
        if (code->count() == 0 && file->count() == 0)
            throw UsageError("give --code or --code-file");
        status = Clean(*options);
    });
}

}  // namespace qx::cli
