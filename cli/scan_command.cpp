// `quellix scan`: rates a tree's script files with the engine and prints one
// line per finding in event order, then the scan page's summary sentence.
#include <cstdio>
#include <string>

#include "commands.h"
#include "console.h"
#include "quellix.h"
#include "run_waiter.h"

namespace qx::cli {
namespace {

struct ScanRun {
    bool json = false;
    ProgressLine progress{false};
    int reached = 0;
    RunWaiter done;
};
ScanRun* run = nullptr;

const char* VerdictWord(int verdict) {
    switch (verdict) {
        case QX_VERDICT_SUSPICIOUS:
            return "可疑";
        case QX_VERDICT_DANGEROUS:
            return "危险";
        default:
            return "木马";
    }
}

const char* VerdictLevel(int verdict) {
    switch (verdict) {
        case QX_VERDICT_SUSPICIOUS:
            return "suspicious";
        case QX_VERDICT_DANGEROUS:
            return "dangerous";
        default:
            return "trojan";
    }
}

std::u16string_view View(const QxWChar* s) {
    return reinterpret_cast<const char16_t*>(s);
}

void QX_CALLBACK OnScanEvent(int code, const QxWChar* path, const QxWChar* reason) {
    if (code == QX_PROGRESS_CODE) {
        if (path == nullptr) return run->done.Finish();
        run->progress.Show(++run->reached, View(path));
        return;
    }
    run->progress.Clear();
    if (run->json) {
        std::printf("{\"path\":%s,\"verdict\":%s,\"level\":\"%s\",\"reason\":%s}\n",
                    JsonString(View(path)).c_str(), JsonString(FromUtf8(VerdictWord(code))).c_str(),
                    VerdictLevel(code), JsonString(View(reason)).c_str());
    } else {
        std::printf("%s\t%s\t%s\n", VerdictWord(code), ToUtf8(View(path)).c_str(),
                    ToUtf8(View(reason)).c_str());
    }
    std::fflush(stdout);
}

struct ScanOptions {
    bool asp = false, aspx = false, php = false, jsp = false;
    bool json = false, no_progress = false;
    std::string directory;
};

int Scan(const ScanOptions& options) {
    RequireDirectory(options.directory);
    const bool all = !options.asp && !options.aspx && !options.php && !options.jsp;
    ScanRun state;
    state.json = options.json;
    state.progress = ProgressLine(!options.no_progress);
    run = &state;

    void* session = WebTrojanScanOpen();
    if (session == nullptr) throw UsageError("out of memory");
    WebTrojanSetCheckType(session, all || options.asp, all || options.aspx, all || options.php,
                          all || options.jsp);
    WebTrojanSetCallbackW(session, OnScanEvent);
    const std::u16string root = FromUtf8(options.directory);
    if (!WebTrojanStartScanW(session, reinterpret_cast<const QxWChar*>(root.c_str()))) {
        WebTrojanScanClose(session);
        throw UsageError("cannot start the scan of " + options.directory);
    }
    state.done.Wait();
    WebTrojanStopScan(session);  // the worker has sent its last event; let it end
    int suspicious = 0, dangerous = 0, trojan = 0;
    const int files = WebTrojanGetScanCount(session, &suspicious, &dangerous, &trojan);
    WebTrojanScanClose(session);
    state.progress.Clear();

    const bool found = suspicious + dangerous + trojan > 0;
    if (options.json) {
        std::printf(
            "{\"summary\":{\"files\":%d,\"suspicious\":%d,\"dangerous\":%d,\"trojan\":%d}}\n",
            files, suspicious, dangerous, trojan);
    } else if (found) {
        std::printf(
            "本次扫描过程共检查%d个文件，其中木马脚本文件%d个，风险脚本文件%d个，可疑脚本文件%"
            "d个。\n",
            files, trojan, dangerous, suspicious);
    } else {
        std::printf("本次扫描过程共检查%d个文件，未发现可疑的后门木马文件。\n", files);
    }
    run = nullptr;
    return found ? 1 : 0;
}

}  // namespace

void AddScanCommand(CLI::App& app, int& status) {
    auto options = std::make_shared<ScanOptions>();
    CLI::App* scan = app.add_subcommand(
        "scan", "Rate every ASP, ASPX, PHP and JSP file under DIR (all four when none is named).");
    scan->add_flag("--asp", options->asp, "rate .asp .asa .cer .inc .htr .cdx files");
    scan->add_flag("--aspx", options->aspx, "rate .aspx .ascx .asax .ashx files");
    scan->add_flag("--php", options->php, "rate .php .php3 .php4 .php5 .phtml files");
    scan->add_flag("--jsp", options->jsp, "rate .jsp .jspx files");
    scan->add_flag("--json", options->json, "one JSON object per finding, then a summary object");
    scan->add_flag("--no-progress", options->no_progress, "no progress line on standard error");
    scan->add_option("DIR", options->directory, "root directory of the site")->required();
    scan->callback([options, &status] { status = Scan(*options); });
}

}  // namespace qx::cli
