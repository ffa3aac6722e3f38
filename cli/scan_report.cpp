#include "scan_report.h"

#include "interrupt.h"
#include "os/dir_reader.h"
#include "quarantine.h"
#include "text_file_read.h"

namespace qx::cli {

std::string ProblemText(const qx::Problem& problem) {
    using Kind = qx::Problem::Kind;
    switch (problem.kind) {
        case Kind::kUnlistable:
            return "cannot list the directory: " + os::ErrorText(problem.error);
        case Kind::kUnreadable:
            return "cannot read: " + os::ErrorText(problem.error);
        case Kind::kPathTooLong:
            return "not checked: the path is too long for the platform";
        case Kind::kTooLarge:
            return "skipped: larger than --max-filesize";
        case Kind::kRatedInPart:
            return "rated in part: the text is longer than " +
                   std::to_string(CTextFileRead::kMaxTextUnits) + " characters";
        case Kind::kSearchStopped:
            return "rated in part: a pattern search stopped at the engine's bound";
        case Kind::kOutOfMemory:
            return "not rated: out of memory";
        case Kind::kExaminationFailed:
            return "not inspected: " + problem.what;
    }
    return "not checked";
}

ScanReport::ScanReport(const ScanPlan& plan) : plan_(plan), progress_(plan.progress) {}

bool ScanReport::StopRequested() const {
    return InterruptSignal() != 0 || Output::Failed();
}

std::u16string ScanReport::BelowRoot(const std::u16string& path) const {
    std::u16string below = path.size() > root_.size() && path.compare(0, root_.size(), root_) == 0
                               ? path.substr(root_.size() + 1)
                               : path;
    for (char16_t& c : below) {
        if (c == u'\\') c = u'/';  // globs are written with forward slashes
    }
    return below;
}

FileRoute ScanReport::Route(const std::u16string& path, std::u16string_view name) {
    // The path below the root is formed only when a glob may need it.
    if (plan_.filter.ExcludesFiles() && plan_.filter.ExcludesFile(BelowRoot(path), name)) return {};
    ++totals_.files;
    progress_.Show(totals_.files, path);
    return plan_.Route(name);
}

bool ScanReport::ShouldEnter(const std::u16string& path, std::u16string_view name) {
    return !plan_.filter.ExcludesDirectories() ||
           !plan_.filter.ExcludesDirectory(BelowRoot(path), name);
}

void ScanReport::OnFinding(const std::u16string& path, const Finding& finding) {
    const ScanVerdict verdict = finding.verdict;
    if (verdict < plan_.min_level) return;
    switch (verdict) {
        case VerdictSuspicious:
            ++totals_.suspicious;
            break;
        case VerdictDangerous:
            ++totals_.dangerous;
            break;
        default:
            ++totals_.trojan;
            break;
    }
    progress_.Clear();
    const std::u16string_view word = frontend::VerdictWord(verdict);
    const std::string level(frontend::VerdictLevel(verdict));
    const Examination& examination = finding.examination;
    // The rule set's reason, then what the examiner matched.
    std::u16string reason = finding.rating.reason;
    if (!examination.names.empty()) reason += (reason.empty() ? u"" : u" ") + examination.names;

    // Moved before the finding is shown, so that its line can name the entry.
    // On POSIX ToUtf8 gives the name's exact bytes back.
    const bool quarantining = !plan_.quarantine_dir.empty() && verdict >= plan_.quarantine_level;
    const QuarantineResult moved =
        quarantining ? Quarantine(ToUtf8(path), plan_.quarantine_dir, {level, ToUtf8(reason)})
                     : QuarantineResult{};
    if (plan_.json) {
        Output::Line("{" + JsonPath(path) + ",\"verdict\":" + JsonString(word) + ",\"level\":\"" +
                     level + "\",\"reason\":" + JsonString(finding.rating.reason) +
                     (examination.json.empty() ? "" : "," + examination.json) +
                     (moved.ok ? ",\"quarantined\":\"" + moved.id + "\"" : "") + "}");
    } else {
        Output::Line(ToUtf8(word) + "\t" + Escaped(path) + "\t" + Escaped(reason));
        if (moved.ok) Output::Error(Escaped(path) + ": quarantined as " + moved.id);
    }
    Echo(Escaped(path) + ": " + ToUtf8(word) + " (" + level + "): " + Escaped(reason) +
         (moved.ok ? "; quarantined as " + moved.id : ""));
    // The file stays where it was.
    if (quarantining && !moved.ok) Problem(path, "not quarantined: " + moved.error);
}

void ScanReport::OnProblem(const std::u16string& path, const qx::Problem& problem) {
    Problem(path, ProblemText(problem));
}

void ScanReport::Problem(const std::u16string& path, const std::string& what) {
    ++unchecked_;
    progress_.Clear();
    if (plan_.json) {
        Output::Line("{\"problem\":{" + JsonPath(path) + ",\"what\":" + JsonString(FromUtf8(what)) +
                     "}}");
    } else {
        Output::Error(Escaped(path) + ": " + what);
    }
    Echo(Escaped(path) + ": " + what);
}

void ScanReport::Finish() {
    progress_.Clear();
    if (plan_.quiet || Output::Failed()) return;
    const bool interrupted = InterruptSignal() != 0;
    if (plan_.json) {
        Output::Line("{\"summary\":{\"files\":" + std::to_string(totals_.files) +
                     ",\"suspicious\":" + std::to_string(totals_.suspicious) +
                     ",\"dangerous\":" + std::to_string(totals_.dangerous) +
                     ",\"trojan\":" + std::to_string(totals_.trojan) +
                     ",\"unchecked\":" + std::to_string(unchecked_) +
                     (interrupted ? ",\"interrupted\":true" : "") + "}}");
        return;
    }
    std::string summary = ToUtf8(frontend::ScanSummary(totals_));
    if (unchecked_ > 0) {
        summary += "另有" + std::to_string(unchecked_) + "处未能完整检查，见标准错误输出。";
    }
    if (interrupted) summary += "扫描被中断。";
    Output::Line(summary);
}

void CheckQuarantine(const ScanPlan& plan, const std::vector<std::string>& roots) {
    const std::string& dir = plan.quarantine_dir;
    if (dir.empty()) return;
    if (!QuarantineSupported()) throw UsageError(std::string(kQuarantineUnsupported));
    // Inside a scanned tree, a served one, the files would stay within reach.
    if (InsideAny(dir, roots))
        throw UsageError("the quarantine directory " + dir + " lies inside a scanned tree");
    const std::string error = PrepareQuarantineDir(dir);
    if (!error.empty()) throw UsageError(error);  // it names the directory
}

int ScanReport::ExitStatus() const {
    if (InterruptSignal() != 0) return InterruptStatus();
    if (Output::Failed()) return Output::FailureStatus();
    if (unchecked_ > 0) return 2;
    return totals_.suspicious + totals_.dangerous + totals_.trojan > 0 ? 1 : 0;
}

}  // namespace qx::cli
