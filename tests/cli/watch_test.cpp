// `quellix watch` as a service runs it: a child process whose output is read
// through pipes, every finding awaited with a deadline, ended by SIGTERM.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "temp_tree.h"

namespace {

using namespace std::chrono_literals;
using qx::test::TempTree;
using Clock = std::chrono::steady_clock;

constexpr const char* kShell = "<?php eval($_POST[cmd])?>\n";

class WatchProcess {
  public:
    explicit WatchProcess(std::vector<std::string> args) {
        int out[2], err[2];
        if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe");
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], 1);
            dup2(err[1], 2);
            std::vector<char*> argv;
            for (std::string& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execvp(argv[0], argv.data());
            _exit(127);
        }
        close(out[1]), close(err[1]);
        out_ = out[0], err_ = err[0];
    }
    ~WatchProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(out_), close(err_);
    }

    // The next line of standard output, if one comes within `within`.
    std::optional<std::string> NextLine(Clock::duration within) {
        const Clock::time_point deadline = Clock::now() + within;
        std::size_t end;
        while ((end = out_text_.find('\n')) == std::string::npos) {
            if (!Pump(deadline)) return std::nullopt;
        }
        std::string line = out_text_.substr(0, end);
        out_text_.erase(0, end + 1);
        return line;
    }

    // Whether standard error says `text` within `within`.
    bool ErrorSays(const std::string& text, Clock::duration within) {
        const Clock::time_point deadline = Clock::now() + within;
        while (err_text_.find(text) == std::string::npos) {
            if (!Pump(deadline)) return false;
        }
        return true;
    }

    void Signal(int signal) const { kill(pid_, signal); }

    // SIGTERM, then the exit status (-1 when it did not exit by itself).
    int Terminate() {
        kill(pid_, SIGTERM);
        int raw = 0;
        waitpid(pid_, &raw, 0);
        pid_ = -1;
        while (Pump(Clock::now() + 100ms)) {
        }
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    const std::string& Unread() const { return out_text_; }
    const std::string& Errors() const { return err_text_; }

  private:
    // Reads what either pipe has, waiting until `deadline`; false when the
    // time is up or both pipes are closed.
    bool Pump(Clock::time_point deadline) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return false;
        pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
        if (poll(fds, 2, static_cast<int>(left.count())) <= 0) return false;
        bool open = false;
        for (int i = 0; i < 2; ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP))) {
                open = true;
                continue;
            }
            char buffer[4096];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) (i == 0 ? out_text_ : err_text_).append(buffer, static_cast<std::size_t>(n));
            open = open || n > 0;
        }
        return open;
    }

    pid_t pid_ = -1;
    int out_ = -1, err_ = -1;
    std::string out_text_, err_text_;
};

std::string FindingOf(const std::filesystem::path& path) {
    return "{\"path\":\"" + path.string() + "\",";
}

void ExpectFinding(WatchProcess& watch, const std::filesystem::path& path) {
    const std::optional<std::string> line = watch.NextLine(2s);
    ASSERT_TRUE(line) << "no finding for " << path << " within 2 s; stderr: " << watch.Errors();
    EXPECT_EQ(line->rfind(FindingOf(path), 0), 0u) << *line;
}

void WriteInChunks(const std::filesystem::path& path, const std::vector<std::string>& chunks,
                   Clock::duration pause) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    for (const std::string& chunk : chunks) {
        ASSERT_EQ(write(fd, chunk.data(), chunk.size()), static_cast<ssize_t>(chunk.size()));
        std::this_thread::sleep_for(pause);
    }
    close(fd);
}

std::vector<std::string> WatchArgs(const TempTree& tree) {
    return {QX_CLI_PATH, "watch", "--json", "--no-progress", tree.Root().string()};
}

TEST(WatchTest, RatesWhatArrivesOnceItSettles) {
    TempTree tree, outside;
    tree.Write("seed.php", kShell);
    tree.Write("index.php", "<?php echo 'hello'; ?>");
    WatchProcess watch(WatchArgs(tree));
    // The initial scan comes after the watches are in place.
    ExpectFinding(watch, tree.Root() / "seed.php");

    // A shell from its first write on, growing for longer than the watch's
    // quiet time: rated once, after the last write.
    WriteInChunks(tree.Root() / "door.php", {kShell, "// 1\n", "// 2\n", "// 3\n", "// 4\n"},
                  150ms);
    ExpectFinding(watch, tree.Root() / "door.php");

    outside.Write("moved.php", kShell);
    std::filesystem::rename(outside.Root() / "moved.php", tree.Root() / "moved.php");
    ExpectFinding(watch, tree.Root() / "moved.php");

    tree.Write("notes.php", "<?php echo date('Y'); ?>");  // benign: nothing said
    tree.Write("a/b/c.php", kShell);                      // in directories made just now
    ExpectFinding(watch, tree.Root() / "a/b/c.php");
    outside.Write("upload/x/shell.php", kShell);  // a directory moved in brings its files
    std::filesystem::rename(outside.Root() / "upload", tree.Root() / "upload");
    ExpectFinding(watch, tree.Root() / "upload/x/shell.php");

    EXPECT_EQ(watch.Terminate(), 0);
    EXPECT_EQ(watch.Unread(), "");
    EXPECT_EQ(watch.Errors(), "");
}

TEST(WatchTest, NeverRatesThroughALinkSwappedIn) {
    TempTree tree, outside;
    tree.Write("seed.php", kShell);
    outside.Write("d/x.php", kShell);
    WatchProcess watch(WatchArgs(tree));
    ExpectFinding(watch, tree.Root() / "seed.php");

    // Written, then its directory swapped for a link out before it settled.
    tree.Write("d/x.php", "<?php echo 1; ?>");
    std::filesystem::rename(tree.Root() / "d", tree.Root() / "e");
    std::filesystem::create_directory_symlink(outside.Root() / "d", tree.Root() / "d");
    tree.Write("end.php", kShell);
    ExpectFinding(watch, tree.Root() / "end.php");
    EXPECT_EQ(watch.Terminate(), 0);
    EXPECT_EQ(watch.Unread(), "");
}

TEST(WatchTest, RescansAfterTheKernelDroppedChanges) {
    long queue = 0;
    std::ifstream("/proc/sys/fs/inotify/max_queued_events") >> queue;
    if (queue <= 0 || queue > 200000) GTEST_SKIP() << "inotify queue of " << queue << " events";
    TempTree tree;
    tree.Write("seed.php", kShell);
    WatchProcess watch(WatchArgs(tree));
    ExpectFinding(watch, tree.Root() / "seed.php");

    // A stopped watch reads nothing: two events a file overfill its queue.
    watch.Signal(SIGSTOP);
    for (long i = 0; i < queue / 2 + 100; ++i) {
        close(open((tree.Root() / ("f" + std::to_string(i))).c_str(), O_CREAT | O_WRONLY, 0644));
    }
    tree.Write("late.php", kShell);
    watch.Signal(SIGCONT);
    EXPECT_TRUE(watch.ErrorSays("inotify queue overflowed", 5s)) << watch.Errors();
    // The trees are scanned again: the file whose change was lost is rated.
    bool rated = false;
    while (const std::optional<std::string> line = watch.NextLine(10s)) {
        if ((rated = line->rfind(FindingOf(tree.Root() / "late.php"), 0) == 0)) break;
    }
    EXPECT_TRUE(rated) << watch.Errors();
    EXPECT_EQ(watch.Terminate(), 0);
}

TEST(WatchTest, SaysWhichLimitStoppedWatchesAndGoesOn) {
    // A user namespace of its own lets the test lower the watch limit there
    // without touching the machine's.
    const std::string lower = "echo 3 >/proc/sys/user/max_inotify_watches";
    if (std::system(("unshare -U -r sh -c '" + lower + "' 2>/dev/null").c_str()) != 0) {
        GTEST_SKIP() << "no user namespace in which to lower the inotify watch limit";
    }
    TempTree tree;
    for (const char* dir : {"d1", "d2", "d3", "d4", "d5"}) tree.MakeDirectory(dir);
    tree.Write("seed.php", kShell);
    std::vector<std::string> args = {"unshare", "-U", "-r", "sh", "-c", lower + " && exec \"$@\"",
                                     "sh"};
    for (const std::string& arg : WatchArgs(tree)) args.push_back(arg);
    WatchProcess watch(args);
    ExpectFinding(watch, tree.Root() / "seed.php");
    EXPECT_TRUE(watch.ErrorSays("sysctl fs.inotify.max_user_watches=", 2s)) << watch.Errors();
    EXPECT_NE(watch.Errors().find("limit on inotify watches (fs.inotify.max_user_watches"),
              std::string::npos);

    tree.Write("door.php", kShell);  // the root is watched
    ExpectFinding(watch, tree.Root() / "door.php");
    EXPECT_EQ(watch.Terminate(), 0);
}

}  // namespace
