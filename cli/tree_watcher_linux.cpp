// The tree watcher on inotify: one watch per directory, added as directories
// appear and dropped as they go or move away. A directory that appears is
// watched before it is listed, so a file written into it meanwhile is told
// either way.
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <unordered_map>
#include <utility>

#include "console.h"
#include "os/dir_reader.h"  // ErrorText
#include "os/path.h"
#include "tree_watcher.h"

namespace qx::cli {
namespace {

constexpr std::uint32_t kChanges = IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_MODIFY |
                                   IN_CLOSE_WRITE | IN_ONLYDIR | IN_EXCL_UNLINK;
// The root may be a link (the user named it); below it no link is followed.
constexpr std::uint32_t kRootMask = kChanges | IN_MOVE_SELF;
constexpr std::uint32_t kBelowRootMask = kChanges | IN_DONT_FOLLOW;

std::string Why(int error) {
    return os::ErrorText(static_cast<std::uint32_t>(error));
}

// A number from /proc/sys, or 0.
long Setting(const char* name) {
    std::ifstream in(std::string("/proc/sys/fs/inotify/") + name);
    long value = 0;
    in >> value;
    return value;
}

// Which limit was reached, and how to raise it.
std::string LimitText(const char* setting, const char* things) {
    const long value = Setting(setting);
    return std::string("the kernel's limit on inotify ") + things + " (fs.inotify." + setting +
           " = " + std::to_string(value) + ") is reached; raise it with sysctl fs.inotify." +
           setting + "=" + (value > 0 ? std::to_string(value * 2) : "N");
}

class InotifyWatcher final : public TreeWatcher {
  public:
    InotifyWatcher(int fd, DirectoryFilter filter) : fd_(fd), filter_(std::move(filter)) {}
    ~InotifyWatcher() override { ::close(fd_); }

    std::string Watch(const std::u16string& root) override {
        const std::string path = os::NativePath(root);
        const std::size_t index = roots_.size();
        roots_.push_back(path);
        const int wd = inotify_add_watch(fd_, path.c_str(), kRootMask);
        if (wd < 0) {
            return errno == ENOSPC ? LimitText("max_user_watches", "watches") : Why(errno);
        }
        watched_[wd] = {index, path};
        WatchBelow(index, path, false);
        return {};
    }

    std::vector<TreeChange> Wait(std::chrono::milliseconds timeout) override {
        pollfd ready{fd_, POLLIN, 0};
        if (::poll(&ready, 1, static_cast<int>(timeout.count())) > 0) ReadEvents();
        return std::exchange(changes_, {});
    }

  private:
    struct Watched {
        std::size_t root;
        std::string path;
    };

    void Tell(TreeChange::Kind kind, std::size_t root, const std::string& path,
              std::string what = {}) {
        changes_.push_back({kind, root, os::PathFromNative(path), std::move(what)});
    }

    bool AddWatch(std::size_t root, const std::string& path) {
        const int wd = inotify_add_watch(fd_, path.c_str(), kBelowRootMask);
        if (wd >= 0) {
            watched_[wd] = {root, path};  // watched again after lost changes: same wd
            return true;
        }
        if (errno == ENOSPC) {
            // Told once: past the limit every further directory fails alike.
            if (!limit_told_) {
                limit_told_ = true;
                Tell(TreeChange::Kind::kNotice, root, path,
                     Escaped(os::PathFromNative(path)) +
                         " and further directories are not watched: " +
                         LimitText("max_user_watches", "watches"));
            }
        } else if (errno != ENOENT && errno != ENOTDIR) {  // gone, or a link now
            Tell(TreeChange::Kind::kProblem, root, path, "not watched: " + Why(errno));
        }
        return false;
    }

    // Watches every directory below `top` that the filter lets in; with
    // `tell_files`, tells every file met as changed (a directory that was
    // created or moved in brings its files along).
    void WatchBelow(std::size_t root, const std::string& top, bool tell_files) {
        std::vector<std::string> pending{top};
        while (!pending.empty()) {
            const std::string dir = std::move(pending.back());
            pending.pop_back();
            const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
            const int fd = ::open(dir.c_str(), dir == roots_[root] ? flags : flags | O_NOFOLLOW);
            DIR* listing = fd < 0 ? nullptr : ::fdopendir(fd);
            if (!listing) {
                const int error = errno;
                if (fd >= 0) ::close(fd);
                if (error != ENOENT && error != ENOTDIR && error != ELOOP) {
                    Tell(TreeChange::Kind::kProblem, root, dir,
                         "not watched below: cannot list the directory: " + Why(error));
                }
                continue;
            }
            while (const dirent* entry = ::readdir(listing)) {
                const std::string_view name = entry->d_name;
                if (name == "." || name == "..") continue;
                unsigned char type = entry->d_type;
                if (type == DT_UNKNOWN) {
                    struct stat status;
                    if (::fstatat(fd, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) continue;
                    type = S_ISDIR(status.st_mode) ? DT_DIR : DT_REG;
                }
                const std::string path = dir + "/" + entry->d_name;
                if (type != DT_DIR) {
                    if (tell_files) Tell(TreeChange::Kind::kFile, root, path);
                } else if (Admits(root, path, name) && AddWatch(root, path)) {
                    pending.push_back(path);
                }
            }
            ::closedir(listing);
        }
    }

    bool Admits(std::size_t root, const std::string& path, std::string_view name) const {
        return filter_(root, os::PathFromNative(path), os::PathFromNative(name));
    }

    // Drops the watches on `top` and everything below it: it left the tree,
    // or is about to come back under another name.
    void Unwatch(const std::string& top) {
        for (auto it = watched_.begin(); it != watched_.end();) {
            const std::string& path = it->second.path;
            if (path.compare(0, top.size(), top) == 0 &&
                (path.size() == top.size() || path[top.size()] == '/')) {
                inotify_rm_watch(fd_, it->first);
                it = watched_.erase(it);
            } else {
                ++it;
            }
        }
    }

    void ReadEvents() {
        alignas(inotify_event) char buffer[64 * 1024];
        bool lost = false;
        // A bounded number of reads, so that a flood of changes cannot keep
        // the settled files from being rated.
        for (int reads = 0; reads < 16; ++reads) {
            const ssize_t size = ::read(fd_, buffer, sizeof buffer);
            if (size <= 0) break;
            for (ssize_t at = 0; at < size;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                if (event->mask & IN_Q_OVERFLOW) {
                    lost = true;
                } else {
                    Handle(*event);
                }
            }
        }
        if (!lost) return;
        // Directories that appeared among the lost changes are watched now;
        // the caller looks at the trees again.
        std::vector<std::size_t> roots;
        for (const auto& [wd, watched] : watched_) {
            if (watched.path == roots_[watched.root]) roots.push_back(watched.root);
        }
        for (const std::size_t root : roots) WatchBelow(root, roots_[root], false);
        changes_.push_back({TreeChange::Kind::kLost,
                            0,
                            {},
                            "changes were lost: the kernel's inotify queue overflowed "
                            "(fs.inotify.max_queued_events = " +
                                std::to_string(Setting("max_queued_events")) + ")"});
    }

    void Handle(const inotify_event& event) {
        const auto it = watched_.find(event.wd);
        if (it == watched_.end()) return;  // a watch dropped meanwhile
        const Watched dir = it->second;
        const bool is_root = dir.path == roots_[dir.root];
        if (event.mask & IN_IGNORED) {  // removed, or its file system unmounted
            watched_.erase(it);
            if (is_root) {
                Tell(TreeChange::Kind::kProblem, dir.root, dir.path,
                     "no longer watched: the directory is gone");
            }
            return;
        }
        if (event.mask & IN_MOVE_SELF) {  // only roots ask for it: their paths are no more
            Unwatch(dir.path);
            Tell(TreeChange::Kind::kProblem, dir.root, dir.path,
                 "no longer watched: the directory was moved away");
            return;
        }
        if (event.len == 0) return;
        const std::string path = dir.path + "/" + event.name;
        if (!(event.mask & IN_ISDIR)) {
            if (!(event.mask & IN_MOVED_FROM)) Tell(TreeChange::Kind::kFile, dir.root, path);
        } else if (event.mask & IN_MOVED_FROM) {
            Unwatch(path);
        } else if (event.mask & (IN_CREATE | IN_MOVED_TO)) {
            if (Admits(dir.root, path, event.name) && AddWatch(dir.root, path)) {
                WatchBelow(dir.root, path, true);
            }
        }
    }

    const int fd_;
    const DirectoryFilter filter_;
    std::vector<std::string> roots_;
    std::unordered_map<int, Watched> watched_;
    std::vector<TreeChange> changes_;
    bool limit_told_ = false;
};

}  // namespace

std::unique_ptr<TreeWatcher> TreeWatcher::Create(DirectoryFilter filter) {
    const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) {
        throw UsageError("cannot watch: " + (errno == EMFILE
                                                 ? LimitText("max_user_instances", "instances")
                                                 : Why(errno)));
    }
    return std::make_unique<InotifyWatcher>(fd, std::move(filter));
}

}  // namespace qx::cli
