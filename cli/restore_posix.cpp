// Putting a quarantined file back where it was.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "quarantine.h"
#include "quarantine_io_posix.h"

namespace qx::cli {
namespace {

constexpr const char* kAppeared = "refused: a file has appeared at its path since";

// The restored file under a hidden name in its directory until it is
// complete; removed again unless it got its real name.
class RestoringFile {
  public:
    explicit RestoringFile(int dir) : dir_(dir) {}
    RestoringFile(const RestoringFile&) = delete;
    RestoringFile& operator=(const RestoringFile&) = delete;
    ~RestoringFile() {
        if (!name_.empty()) unlinkat(dir_, name_.c_str(), 0);
    }

    bool Create(std::string& error) {
        for (int attempt = 0; attempt < 10 && !file_; ++attempt) {
            name_ = RandomName(".quellix-restore-");
            file_ = Fd(openat(dir_, name_.c_str(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
            if (!file_ && errno != EEXIST) break;
        }
        if (!file_) {
            error = StepFailed("cannot create a file in its directory");
            name_.clear();
        }
        return static_cast<bool>(file_);
    }

    int get() const { return file_.get(); }

    bool Publish(const std::string& name, std::string& error) {
        if (RenameNoReplace(dir_, name_.c_str(), name.c_str()) != 0) {
            error = errno == EEXIST ? kAppeared : StepFailed("cannot give it its name");
            return false;
        }
        name_.clear();
        return true;
    }

  private:
    int dir_;
    std::string name_;
    Fd file_;
};

RestoreResult NotRestored(RestoreResult result, std::string why) {
    result.outcome = RestoreResult::Outcome::kNotRestored;
    result.error = std::move(why);
    return result;
}

}  // namespace

RestoreResult Restore(const std::string& quarantine_dir, const std::string& id) {
    RestoreResult result;
    if (!IsQuarantineId(id)) return NotRestored(result, "not a quarantine ID");
    std::string error;
    const Fd store = OpenStore(quarantine_dir, false, error);
    if (!store) return NotRestored(result, error);
    const Fd entry(
        openat(store.get(), id.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!entry && errno == ENOENT) return NotRestored(result, "no such entry");
    if (!entry) return NotRestored(result, StepFailed("cannot open the entry"));
    const std::optional<QuarantineRecord> record = ReadRecord(entry.get(), error);
    if (!record) return NotRestored(result, error);
    result.path = record->path;
    const Fd data(openat(entry.get(), "data", O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!data) return NotRestored(result, StepFailed("cannot open the entry's data"));

    const auto [parent_path, name] = SplitPath(record->path);
    const Fd parent(open(parent_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!parent && errno == ENOENT) {
        return NotRestored(result, "refused: its directory " + parent_path + " no longer exists");
    }
    if (!parent) return NotRestored(result, StepFailed("cannot open its directory"));
    struct stat existing;
    if (fstatat(parent.get(), name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        return NotRestored(result, kAppeared);
    }

    RestoringFile file(parent.get());
    if (!file.Create(error)) return NotRestored(result, error);
    Sha256 hash;
    std::uint64_t copied = 0;
    error = CopyHashing(data.get(), file.get(), hash, copied);
    if (!error.empty()) return NotRestored(result, error);
    // Checked before the file gets its name: damaged bytes never reach the site.
    if (copied != record->size || hash.HexDigest() != record->sha256) {
        return NotRestored(result,
                           "refused: the entry is damaged (its bytes do not match their SHA-256)");
    }

    std::string partly;
    mode_t mode = record->mode;
    if (fchown(file.get(), record->uid, record->gid) != 0) {
        partly = StepFailed("its owner " + std::to_string(record->uid) + ":" +
                            std::to_string(record->gid) + " could not be restored");
        // A set-ID bit would now lend the restorer's identity to the file.
        mode &= ~static_cast<mode_t>(S_ISUID | S_ISGID);
    }
    // After the owner: changing the owner clears the set-ID bits.
    if (fchmod(file.get(), mode) != 0)
        return NotRestored(result, StepFailed("cannot set its mode"));
    const struct timespec times[2] = {
        {static_cast<time_t>(record->atime.seconds), static_cast<long>(record->atime.nanoseconds)},
        {static_cast<time_t>(record->mtime.seconds), static_cast<long>(record->mtime.nanoseconds)}};
    if (futimens(file.get(), times) != 0)
        return NotRestored(result, StepFailed("cannot set its times"));
    if (fsync(file.get()) != 0) return NotRestored(result, StepFailed("cannot sync it"));
    if (!file.Publish(name, error)) return NotRestored(result, error);

    result.outcome = RestoreResult::Outcome::kRestoredPartly;
    const auto also = [&partly](const std::string& what) {
        partly += (partly.empty() ? "" : "; ") + what;
    };
    if (fsync(parent.get()) != 0) {
        // Until its directory is synced the file may not survive a crash:
        // the entry stays as its only durable copy.
        also(StepFailed("its directory could not be synced, the entry is kept"));
    } else if (const std::string left = RemoveEntry(store.get(), id); !left.empty()) {
        also("the entry could not be removed: " + left);
    }
    if (partly.empty()) result.outcome = RestoreResult::Outcome::kRestored;
    result.error = partly;
    return result;
}

}  // namespace qx::cli
