// `quellix scan`: rates a tree's script files and prints one line per finding
// in walk order, then the scan page's summary sentence.
#include <cstdio>
#include <string>

#include "commands.h"
#include "console.h"
#include "frontend/shown_texts.h"
#include "scan_driver.h"

namespace qx::cli {
namespace {

struct ScanOptions {
    bool asp = false, aspx = false, php = false, jsp = false;
    bool json = false, no_progress = false;
    std::string directory;
};

class ScanPrinter : public ScanClient {
  public:
    explicit ScanPrinter(const ScanOptions& options)
        : options_(options), progress_(!options.no_progress) {
        all_ = !options.asp && !options.aspx && !options.php && !options.jsp;
    }

    bool StopRequested() const override { return false; }

    std::optional<Family> Route(std::u16string_view name) override {
        const std::optional<Family> family = FamilyOfName(name);
        if (!family || all_) return family;
        const bool wanted[] = {options_.asp, options_.aspx, options_.php, options_.jsp};
        return wanted[static_cast<int>(*family)] ? family : std::nullopt;
    }

    void OnDirectory(const std::u16string&) override {}
    void OnFile(const std::u16string& path) override { progress_.Show(++reached_, path); }

    void OnFinding(const std::u16string& path, const Rating& rating) override {
        progress_.Clear();
        const std::u16string_view word = frontend::VerdictWord(rating.verdict);
        if (options_.json) {
            std::printf("{\"path\":%s,\"verdict\":%s,\"level\":\"%s\",\"reason\":%s}\n",
                        JsonString(path).c_str(), JsonString(word).c_str(),
                        frontend::VerdictLevel(rating.verdict).data(),
                        JsonString(rating.reason).c_str());
        } else {
            std::printf("%s\t%s\t%s\n", ToUtf8(word).c_str(), ToUtf8(path).c_str(),
                        ToUtf8(rating.reason).c_str());
        }
        std::fflush(stdout);
        Count(rating.verdict);
    }

    frontend::ScanTotals& Totals() { return totals_; }
    void ClearProgress() { progress_.Clear(); }

  private:
    void Count(ScanVerdict verdict) {
        switch (verdict) {
            case VerdictSuspicious:
                ++totals_.suspicious;
                break;
            case VerdictDangerous:
                ++totals_.dangerous;
                break;
            case VerdictTrojan:
                ++totals_.trojan;
                break;
            default:
                break;
        }
    }

    const ScanOptions& options_;
    ProgressLine progress_;
    bool all_ = true;
    int reached_ = 0;
    frontend::ScanTotals totals_;
};

int Scan(const ScanOptions& options) {
    RequireDirectory(options.directory);
    ScanPrinter printer(options);
    frontend::ScanTotals& totals = printer.Totals();
    totals.files = ScanTree(FromUtf8(options.directory), printer);
    printer.ClearProgress();

    if (options.json) {
        std::printf(
            "{\"summary\":{\"files\":%d,\"suspicious\":%d,\"dangerous\":%d,\"trojan\":%d}}\n",
            totals.files, totals.suspicious, totals.dangerous, totals.trojan);
    } else {
        std::printf("%s\n", ToUtf8(frontend::ScanSummary(totals)).c_str());
    }
    return totals.suspicious + totals.dangerous + totals.trojan > 0 ? 1 : 0;
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
