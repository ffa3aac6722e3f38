// `quellix clean`: blanks a snippet of planted markup out of every page under
// a directory, printing one line per page where it was found, then the clean
// page's summary sentence.
#include <cstdio>
#include <string>

#include "code_cleaner.h"
#include "commands.h"
#include "console.h"
#include "frontend/shown_texts.h"

namespace qx::cli {
namespace {

struct CleanOptions {
    std::string code, code_file, directory;
    bool json = false, no_progress = false;
};

class CleanPrinter : public CleanClient {
  public:
    explicit CleanPrinter(const CleanOptions& options)
        : json_(options.json), progress_(!options.no_progress) {}

    bool StopRequested() const override { return false; }
    void OnDirectory(const std::u16string&) override {}
    void OnFile(const std::u16string& path) override { progress_.Show(++reached_, path); }

    void OnPageResult(const std::u16string& path, CleanResult result) override {
        progress_.Clear();
        const bool cleaned = result == CleanSucceeded;
        if (json_) {
            std::printf("{\"path\":%s,\"result\":\"%s\"}\n", JsonString(path).c_str(),
                        cleaned ? "cleaned" : "failed");
        } else {
            std::printf("%s\t%s\n", ToUtf8(frontend::CleanResultWord(result)).c_str(),
                        ToUtf8(path).c_str());
        }
        std::fflush(stdout);
        ++(cleaned ? totals_.cleaned : totals_.failed);
    }

    frontend::CleanTotals& Totals() { return totals_; }
    void ClearProgress() { progress_.Clear(); }

  private:
    bool json_;
    ProgressLine progress_;
    int reached_ = 0;
    frontend::CleanTotals totals_;
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
    return code;
}

int Clean(const CleanOptions& options) {
    const CleanCode code = BuildCleanCode(CleanCodeOf(options));
    RequireDirectory(options.directory);
    CleanPrinter printer(options);
    frontend::CleanTotals& totals = printer.Totals();
    totals.files = CleanTree(FromUtf8(options.directory), code, printer);
    printer.ClearProgress();

    if (options.json) {
        std::printf("{\"summary\":{\"files\":%d,\"cleaned\":%d,\"failed\":%d}}\n", totals.files,
                    totals.cleaned, totals.failed);
    } else {
        std::printf("%s\n", ToUtf8(frontend::CleanSummary(totals)).c_str());
    }
    return totals.failed > 0 ? 1 : 0;
}

}  // namespace

void AddCleanCommand(CLI::App& app, int& status) {
    auto options = std::make_shared<CleanOptions>();
    CLI::App* clean = app.add_subcommand(
        "clean", "Blank the first occurrence of planted markup out of every page under DIR.");
    auto* code =
        clean->add_option("--code", options->code, "the markup to remove, exactly as it stands");
    auto* file =
        clean->add_option("--code-file", options->code_file,
                          "read the markup from FILE (UTF-8; every byte counts, line breaks too)");
    code->excludes(file);
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
