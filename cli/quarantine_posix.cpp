// Taking a file into quarantine, and listing what the quarantine holds.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <optional>
#include <tuple>

#include "quarantine.h"
#include "quarantine_io_posix.h"

namespace qx::cli {
namespace {

RecordTime TimeOf(const struct timespec& t) {
    return {static_cast<std::int64_t>(t.tv_sec), static_cast<std::int64_t>(t.tv_nsec)};
}

// The same file, with the same bytes as far as its status can tell.
bool Unchanged(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           TimeOf(a.st_mtim) == TimeOf(b.st_mtim) && TimeOf(a.st_ctim) == TimeOf(b.st_ctim) &&
           b.st_nlink == 1;
}

std::string AbsolutePath(std::string path) {
    if (path.starts_with('/')) return path;
    while (path.starts_with("./")) path.erase(0, 2);
    std::unique_ptr<char, decltype(&free)> cwd(getcwd(nullptr, 0), &free);
    if (!cwd) return {};
    const std::string base = cwd.get();
    return base == "/" ? "/" + path : base + "/" + path;
}

// Opens the file to be moved without following a link, and where the
// system allows it without touching its access time: a file that stays
// (a refusal, a failure) stays as it was, for whoever examines it.
Fd OpenOriginal(int parent, const std::string& name) {
    const int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
#ifdef O_NOATIME
    Fd file(openat(parent, name.c_str(), flags | O_NOATIME));
    if (file || errno != EPERM) return file;  // EPERM: not the owner's, and not root
#endif
    return Fd(openat(parent, name.c_str(), flags));
}

// An entry being built in the store under a hidden name; removed again,
// whatever its name by then, unless kept.
class StagedEntry {
  public:
    explicit StagedEntry(int store) : store_(store) {}
    StagedEntry(const StagedEntry&) = delete;
    StagedEntry& operator=(const StagedEntry&) = delete;
    ~StagedEntry() {
        if (!name_.empty() && !kept_) Discard();
    }

    bool Create(std::string& error) {
        for (int attempt = 0; attempt < 10 && name_.empty(); ++attempt) {
            const std::string name = RandomName(".new-");
            if (mkdirat(store_, name.c_str(), 0700) == 0)
                name_ = name;
            else if (errno != EEXIST)
                break;
        }
        if (!name_.empty()) {
            dir_ =
                Fd(openat(store_, name_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        }
        if (!dir_) error = StepFailed("cannot create an entry in the quarantine directory");
        return static_cast<bool>(dir_);
    }

    int Dir() const { return dir_.get(); }

    // Writes one of the entry's files, 0400, and syncs it.
    bool WriteFile(const char* name, const std::string& bytes, std::string& error) {
        Fd file(openat(Dir(), name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0400));
        for (std::size_t done = 0; file && done < bytes.size();) {
            const ssize_t put = write(file.get(), bytes.data() + done, bytes.size() - done);
            if (put < 0 && errno != EINTR) file = Fd();
            if (put > 0) done += static_cast<std::size_t>(put);
        }
        if (!file || fsync(file.get()) != 0) {
            error = StepFailed(std::string("cannot write the entry's ") + name);
            return false;
        }
        return true;
    }

    // Gives the complete entry its ID, never replacing another entry.
    bool Publish(const std::string& id, std::string& error) {
        if (fsync(Dir()) != 0) {
            error = StepFailed("cannot sync the entry");
            return false;
        }
        if (RenameNoReplace(store_, name_.c_str(), id.c_str()) != 0) {
            error = StepFailed("cannot name the entry " + id);
            return false;
        }
        name_ = id;
        if (fsync(store_) != 0) {
            error = StepFailed("cannot sync the quarantine directory");
            return false;
        }
        return true;
    }

    void Keep() { kept_ = true; }

    // Empty when the entry is gone, otherwise what is left and why.
    std::string Discard() {
        kept_ = true;
        if (name_.empty()) return {};
        const std::string error = RemoveEntry(store_, name_);
        return error.empty() ? error : "the entry " + name_ + " is left: " + error;
    }

  private:
    int store_;
    std::string name_;
    Fd dir_;
    bool kept_ = false;
};

class Mover {
  public:
    Mover(int store, QuarantineRecord& record) : entry_(store), record_(record) {}

    // Every failure leaves the original where it was and takes the entry away.
    QuarantineResult Fail(std::string why) {
        const std::string left = entry_.Discard();
        if (!left.empty()) why += "; " + left;
        return {false, "", why};
    }

    QuarantineResult Move() {
        const auto [parent_path, name] = SplitPath(record_.path);
        const Fd parent(open(parent_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!parent) return {false, "", StepFailed("cannot open its directory")};
        const Fd source = OpenOriginal(parent.get(), name);
        if (!source && errno == ELOOP) return {false, "", "refused: it is a symbolic link"};
        if (!source) return {false, "", StepFailed("cannot open it")};
        struct stat before;
        if (fstat(source.get(), &before) != 0)
            return {false, "", StepFailed("cannot read its status")};
        if (!S_ISREG(before.st_mode)) return {false, "", "refused: it is not a regular file"};
        if (before.st_nlink != 1) {
            return {false, "",
                    "refused: it has " + std::to_string(before.st_nlink) +
                        " hard links, and the others would stay in place"};
        }
        record_.uid = before.st_uid;
        record_.gid = before.st_gid;
        record_.mode = before.st_mode & 07777;
        record_.size = static_cast<std::uint64_t>(before.st_size);
        record_.atime = TimeOf(before.st_atim);
        record_.mtime = TimeOf(before.st_mtim);

        std::string error;
        if (!entry_.Create(error)) return {false, "", error};
        if (!CopyInto(source.get(), error) ||
            !entry_.WriteFile("record", FormatRecord(record_), error)) {
            return Fail(error);
        }
        const std::string id = Sha256Hex(record_.sha256 + '\0' + record_.path + '\0' +
                                         std::to_string(record_.quarantined.seconds) + '.' +
                                         std::to_string(record_.quarantined.nanoseconds))
                                   .substr(0, 32);
        if (!entry_.Publish(id, error)) return Fail(error);

        // Only the very file that was copied, unchanged and still at its
        // path, may go.
        struct stat now, at_path;
        if (fstat(source.get(), &now) != 0 ||
            fstatat(parent.get(), name.c_str(), &at_path, AT_SYMLINK_NOFOLLOW) != 0 ||
            !Unchanged(before, now) || !Unchanged(before, at_path)) {
            return Fail("refused: it changed while it was being quarantined");
        }
        if (unlinkat(parent.get(), name.c_str(), 0) != 0) {
            return Fail(StepFailed("cannot remove the original"));
        }
        entry_.Keep();
        // Should this fail, a crash could bring the original back beside its
        // entry: a duplicate, nothing lost.
        fsync(parent.get());
        return {true, id, ""};
    }

  private:
    // Copies the bytes into the entry, syncs them and reads them back.
    bool CopyInto(int source, std::string& error) {
        Fd data(openat(entry_.Dir(), "data", O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                       0400));
        if (!data) {
            error = StepFailed("cannot create the copy");
            return false;
        }
        Sha256 hash;
        std::uint64_t copied = 0;
        error = CopyHashing(source, data.get(), hash, copied);
        if (!error.empty()) return false;
        if (copied != record_.size) {
            error = "refused: it changed while it was being copied";
            return false;
        }
        if (fsync(data.get()) != 0) {
            error = StepFailed("cannot sync the copy");
            return false;
        }
        record_.sha256 = hash.HexDigest();

        Fd check(openat(entry_.Dir(), "data", O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        Sha256 again;
        if (!check || !CopyHashing(check.get(), -1, again, copied).empty()) {
            error = StepFailed("cannot read the copy back");
            return false;
        }
        if (again.HexDigest() != record_.sha256 || copied != record_.size) {
            error = "the copy does not match the original";
            return false;
        }
        return true;
    }

    StagedEntry entry_;
    QuarantineRecord& record_;
};

}  // namespace

bool QuarantineSupported() {
    return true;
}

std::string PrepareQuarantineDir(const std::string& quarantine_dir) {
    std::string error;
    OpenStore(quarantine_dir, true, error);
    return error;
}

QuarantineResult Quarantine(const std::string& file_path, const std::string& quarantine_dir,
                            const FindingInfo& why) {
    std::string error;
    const Fd store = OpenStore(quarantine_dir, true, error);
    if (!store) return {false, "", error};
    QuarantineRecord record;
    record.path = AbsolutePath(file_path);
    if (record.path.empty()) return {false, "", StepFailed("cannot tell the current directory")};
    record.level = why.level;
    record.reason = why.reason;
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    record.quarantined = TimeOf(now);
    return Mover(store.get(), record).Move();
}

std::vector<QuarantineEntry> ListQuarantine(const std::string& quarantine_dir, std::string& error) {
    std::vector<QuarantineEntry> entries;
    const Fd store = OpenStore(quarantine_dir, false, error);
    DIR* listing = store ? fdopendir(dup(store.get())) : nullptr;
    if (store && !listing) error = StepFailed("cannot list " + quarantine_dir);
    if (!listing) return entries;
    while (const dirent* item = readdir(listing)) {
        if (!IsQuarantineId(item->d_name)) continue;  // '.' names are entries being built
        QuarantineEntry entry{item->d_name, {}, {}};
        const Fd dir(
            openat(store.get(), item->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!dir) {
            entry.error = StepFailed("cannot open the entry");
        } else if (std::optional<QuarantineRecord> record = ReadRecord(dir.get(), entry.error)) {
            entry.record = std::move(*record);
        }
        entries.push_back(std::move(entry));
    }
    closedir(listing);
    std::sort(entries.begin(), entries.end(),
              [](const QuarantineEntry& a, const QuarantineEntry& b) {
                  const auto key = [](const QuarantineEntry& e) {
                      return std::tuple(!e.error.empty(), e.record.quarantined.seconds,
                                        e.record.quarantined.nanoseconds, e.id);
                  };
                  return key(a) < key(b);
              });
    return entries;
}

}  // namespace qx::cli
