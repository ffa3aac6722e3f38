// `quellix clean`: blanks a snippet of planted markup out of every page under
// a directory, printing one line per page where it was found, then the clean
// page's summary sentence.
#include <cstdio>
#include <string>

#include "commands.h"
#include "console.h"
#include "quellix.h"
#include "run_waiter.h"

namespace qx::cli {
namespace {

struct CleanRun {
    bool json = false;
    ProgressLine progress{false};
    int reached = 0;
    RunWaiter done;
};
CleanRun* run = nullptr;

void QX_CALLBACK OnCleanEvent(int code, const QxWChar* path) {
    const std::u16string_view shown = path ? reinterpret_cast<const char16_t*>(path) : u"";
    if (code == QX_PROGRESS_CODE) {
        if (path == nullptr) return run->done.Finish();
        run->progress.Show(++run->reached, shown);
        return;
    }
    run->progress.Clear();
    const bool cleaned = code == QX_CLEAN_SUCCEEDED;
    if (run->json) {
        std::printf("{\"path\":%s,\"result\":\"%s\"}\n", JsonString(shown).c_str(),
                    cleaned ? "cleaned" : "failed");
    } else {
        std::printf("%s\t%s\n", cleaned ? "清除成功" : "清除失败", ToUtf8(shown).c_str());
    }
    std::fflush(stdout);
}

struct CleanOptions {
    std::string code, code_file, directory;
    bool json = false, no_progress = false;
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
    const std::u16string code = CleanCodeOf(options);
    RequireDirectory(options.directory);
    CleanRun state;
    state.json = options.json;
    state.progress = ProgressLine(!options.no_progress);
    run = &state;

    void* session = QuellixOpen();
    if (session == nullptr) throw UsageError("out of memory");
    const std::u16string root = FromUtf8(options.directory);
    if (!WebShellSetCleanCodeW(session, reinterpret_cast<const QxWChar*>(code.c_str())) ||
        !WebShellSetCallbackW(session, OnCleanEvent) ||
        !WebShellStartCleanW(session, reinterpret_cast<const QxWChar*>(root.c_str()))) {
        QuellixClose(session);
        throw UsageError("cannot start the clean of " + options.directory);
    }
    state.done.Wait();
    WebShellStopClean(session);
    int cleaned = 0, failed = 0;
    const int files = WebShellGetCleanCount(session, &cleaned, &failed);
    QuellixClose(session);
    state.progress.Clear();

    if (options.json) {
        std::printf("{\"summary\":{\"files\":%d,\"cleaned\":%d,\"failed\":%d}}\n", files, cleaned,
                    failed);
    } else if (cleaned + failed > 0) {
        std::printf("本次清除过程共扫描%d个文件，其中挂马代码页面%d个清除成功，%d个清除失败。\n",
                    files, cleaned, failed);
    } else {
        std::printf("本次清除过程共扫描%d个文件，未发现含有挂马代码的页面。\n", files);
    }
    run = nullptr;
    return failed > 0 ? 1 : 0;
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
