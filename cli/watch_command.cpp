// `quellix watch`: rates the files created, moved in or written under each
// DIR once they have settled, and prints each finding as `scan` does, at
// once. Runs until SIGTERM or SIGINT.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"
#include "console.h"
#include "interrupt.h"
#include "os/path.h"
#include "scan_options.h"
#include "scan_report.h"
#include "settling_paths.h"
#include "system_log.h"
#include "tree_watcher.h"

namespace qx::cli {
namespace {

using Clock = SettlingPaths::Clock;
using std::chrono::milliseconds;

// A file is rated once nothing has changed it for this long, so that one
// being written is rated whole, not at every write.
constexpr milliseconds kQuiet{500};
// The longest the watch waits before it looks for a signal again.
constexpr milliseconds kLongestWait{200};

// Whether the directories between `root` and the file at `path` are all
// still real ones. Files are rated by path: one swapped for a link since the
// change was seen must not lead the rating (or the quarantine) out of the
// tree, which the walk never leaves either.
bool WithoutLinks(const std::u16string& root, const std::u16string& path) {
    if (path.size() <= root.size() + 1 || path.compare(0, root.size(), root) != 0) return false;
    for (std::size_t slash = path.find(os::kPathSeparator, root.size() + 1);
         slash != std::u16string::npos; slash = path.find(os::kPathSeparator, slash + 1)) {
        std::error_code error;
        const auto status =
            std::filesystem::symlink_status(FsPath(ToUtf8(path.substr(0, slash))), error);
        if (error || !std::filesystem::is_directory(status)) return false;
    }
    return true;
}

struct WatchOptions {
    ScanOptions scan;
    std::vector<std::string> dirs;
    bool syslog = false, no_initial_scan = false;
};

class Watch {
  public:
    Watch(const ScanPlan& plan, const std::vector<std::string>& dirs, bool syslog)
        : plan_(plan), report_(plan), scanner_(report_, plan.settings), syslog_(syslog) {
        for (const std::string& dir : dirs) roots_.push_back(FromUtf8(dir));
        if (syslog_) report_.EchoTo(LogWarning);
        watcher_ = TreeWatcher::Create(
            [this](std::size_t root, const std::u16string& path, std::u16string_view name) {
                report_.BeginRoot(roots_[root]);
                return report_.ShouldEnter(path, name);
            });
        for (std::size_t i = 0; i < roots_.size(); ++i) {
            const std::string error = watcher_->Watch(roots_[i]);
            if (!error.empty()) throw UsageError("cannot watch " + dirs[i] + ": " + error);
        }
    }

    // Every file of every tree, as `scan` rates them.
    void ScanTrees() {
        for (const std::u16string& root : roots_) {
            if (report_.StopRequested()) break;
            report_.BeginRoot(root);
            scanner_.Tree(root);
        }
        scanner_.Finish();
    }

    void Run() {
        SettlingPaths settling(kQuiet);
        while (!report_.StopRequested()) {
            milliseconds wait = kLongestWait;
            if (const auto next = settling.NextSettling()) {
                const auto until = std::chrono::ceil<milliseconds>(*next - Clock::now());
                wait = std::clamp(until, milliseconds{0}, kLongestWait);
            }
            const std::vector<TreeChange> changes = watcher_->Wait(wait);
            const Clock::time_point now = Clock::now();
            bool lost = false;
            for (const TreeChange& change : changes) {
                switch (change.kind) {
                    case TreeChange::Kind::kFile:
                        if (Rated(change.path)) settling.Touch(change.path, change.root, now);
                        break;
                    case TreeChange::Kind::kLost:
                        Notice(change.what + "; scanning the trees again");
                        lost = true;
                        break;
                    case TreeChange::Kind::kProblem:
                        report_.Problem(change.path, change.what);
                        break;
                    case TreeChange::Kind::kNotice:
                        Notice(change.what);
                        break;
                }
            }
            if (lost) {
                // The scan rates every file that was waiting too.
                settling.Clear();
                ScanTrees();
                continue;
            }
            for (const auto& [path, root] : settling.TakeSettled(Clock::now())) {
                if (report_.StopRequested()) break;
                RateFile(path, root);
            }
            scanner_.Finish();
        }
    }

  private:
    // Whether a file of this name is rated at all (before it is looked at).
    bool Rated(const std::u16string& path) const {
        const FileRoute route = plan_.Route(os::FileName(path));
        return route.family || route.examine;
    }

    void RateFile(const std::u16string& path, std::size_t root) {
        if (!WithoutLinks(roots_[root], path)) return;
        std::error_code error;
        const std::filesystem::file_status status =
            std::filesystem::status(FsPath(ToUtf8(path)), error);
        // Gone again, or a directory (through a link): nothing to rate.
        if (status.type() == std::filesystem::file_type::not_found ||
            std::filesystem::is_directory(status)) {
            return;
        }
        report_.BeginRoot(roots_[root]);
        scanner_.File(path);
    }

    void Notice(const std::string& line) const {
        Output::Error(line);
        if (syslog_) LogWarning(line);
    }

    const ScanPlan& plan_;
    ScanReport report_;
    // The rating threads and their examiners, made once for the watch's life.
    Scanner scanner_;
    const bool syslog_;
    std::vector<std::u16string> roots_;
    std::unique_ptr<TreeWatcher> watcher_;
};

int RunWatch(const WatchOptions& options) {
    ScanPlan plan = MakeScanPlan(options.scan);
    plan.progress = false;  // a watch never ends for a progress line to be erased at
    for (const std::string& dir : options.dirs) RequireDirectory(dir);
    CheckQuarantine(plan, options.dirs);
    if (options.syslog) {
        if (!SystemLogSupported()) throw UsageError("--syslog: this platform has no system log");
        OpenSystemLog();
    }
    Watch watch(plan, options.dirs, options.syslog);
    if (!options.no_initial_scan) watch.ScanTrees();
    watch.Run();
    // Ending on a signal is how a watch ends.
    return Output::Failed() ? Output::FailureStatus() : 0;
}

}  // namespace

void AddWatchCommand(CLI::App& app, int& status) {
    auto options = std::make_shared<WatchOptions>();
    CLI::App* watch = app.add_subcommand(
        "watch",
        "Scan each DIR, then rate every file created, moved in or written under it once it has "
        "settled, and print each finding as scan does, at once. Runs until SIGTERM or SIGINT; "
        "exit status 0 then, 2 when the watch cannot start.");
    AddScanOptions(*watch, options->scan);
    watch->add_flag("--syslog", options->syslog,
                    "also send findings and problems to the system log (daemon facility)");
    watch->add_flag("--no-initial-scan", options->no_initial_scan,
                    "do not scan the trees first; rate only what changes");
    watch->add_option("DIR", options->dirs, "directories to watch")->required();
    watch->callback([options, &status] { status = RunWatch(*options); });
}

}  // namespace qx::cli
