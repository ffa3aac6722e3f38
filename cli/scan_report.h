// The command line's scan client: routes files by the plan, prints every
// finding and every problem as it comes (text or JSON, in walk order),
// moves the files found at the quarantine level out of the tree, counts them
// and ends with the summary and the exit status.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "console.h"
#include "frontend/shown_texts.h"
#include "scan_driver.h"
#include "scan_options.h"

namespace qx::cli {

class ScanReport : public ScanClient {
  public:
    explicit ScanReport(const ScanPlan& plan);

    // The PATH whose tree comes next, against which --exclude paths are taken.
    void BeginRoot(const std::u16string& root) { root_ = root; }
    // A problem met outside the engine (a PATH from --files-from that is gone).
    void Problem(const std::u16string& path, const std::string& what);
    // Also hands every finding and problem shown to `echo`, as one line of
    // plain text (the system log).
    void EchoTo(std::function<void(const std::string&)> echo) { echo_ = std::move(echo); }

    bool StopRequested() const override;
    FileRoute Route(const std::u16string& path, std::u16string_view name) override;
    bool ShouldEnter(const std::u16string& path, std::u16string_view name) override;
    // Files are counted, and shown in progress, as they are routed.
    bool HearsEntries() const override { return false; }
    void OnFinding(const std::u16string& path, const Finding& finding) override;
    void OnProblem(const std::u16string& path, const qx::Problem& problem) override;

    // The summary (unless quiet), after the progress line is gone.
    void Finish();
    // 130/143 after a signal, 141 or 2 after an output error, 2 when anything
    // was left unchecked, 1 for findings, else 0.
    int ExitStatus() const;

  private:
    std::u16string BelowRoot(const std::u16string& path) const;
    void Echo(const std::string& line) const {
        if (echo_) echo_(line);
    }

    const ScanPlan& plan_;
    ProgressLine progress_;
    std::u16string root_;
    frontend::ScanTotals totals_;
    int unchecked_ = 0;
    std::function<void(const std::string&)> echo_;
};

// Makes sure that the plan's quarantine directory, if it has one, can take
// files before anything under `roots` is scanned: throws UsageError saying
// why not (the platform has no quarantine, the directory lies inside a
// scanned tree, or it cannot be created or is not safe).
void CheckQuarantine(const ScanPlan& plan, const std::vector<std::string>& roots);

// Why a problem left a file unchecked, as the command line says it.
std::string ProblemText(const qx::Problem& problem);

}  // namespace qx::cli
