// Quarantine: moves a file that a scan rated out of the served tree into a
// directory of the administrator's choosing, and puts it back, bytes, owner,
// mode and times, when it was a false alarm. POSIX only; elsewhere every
// call fails with kQuarantineUnsupported.
//
// A quarantine directory DIR (created 0700 when missing; refused when a group
// or others may write to it, or another user than root owns it) holds one
// directory per quarantined file:
//
//   DIR/ID/data     the file's bytes, mode 0400
//   DIR/ID/record   its original path, owner, mode, size, times, SHA-256,
//                   the time of quarantine and the finding (quarantine_record.h)
//
// ID is 32 lowercase hex digits, the first half of the SHA-256 of the
// content's SHA-256, the original path and the time of quarantine: the same
// content taken from two paths, or twice from one, makes two entries, and an
// entry is never replaced. An entry is built under a name starting with '.'
// and renamed into place complete, after its files and DIR were synced;
// the original is unlinked only then. A '.' name left in DIR means a run
// was cut short before the original was touched; it is never listed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "quarantine_record.h"

namespace qx::cli {

inline constexpr std::string_view kQuarantineUnsupported =
    "quarantine is not supported on this platform";

bool QuarantineSupported();

// The finding that caused a quarantine.
struct FindingInfo {
    std::string level;   // the verdict's stable name: suspicious, dangerous or trojan
    std::string reason;  // the rule's reason, UTF-8
};

struct QuarantineResult {
    bool ok = false;
    std::string id;     // the new entry, when ok
    std::string error;  // which step failed and why, when not ok; the file is then untouched
};

// Opens DIR for quarantining, creating it 0700 (not its parents) when it does
// not exist. Empty when it can be used, otherwise why not.
std::string PrepareQuarantineDir(const std::string& quarantine_dir);

// Moves the regular file at `file_path` (not a link, one hard link only)
// into DIR. A relative path is kept as an absolute one, under the current
// directory. The original is removed only once the entry is complete and
// durable, and only if it did not change meanwhile.
QuarantineResult Quarantine(const std::string& file_path, const std::string& quarantine_dir,
                            const FindingInfo& why);

struct RestoreResult {
    enum class Outcome {
        kRestored,        // back at its path, the entry removed
        kRestoredPartly,  // back at its path, but `error` says what could not be done
        kNotRestored,     // nothing changed, the entry kept; `error` says why
    };
    Outcome outcome = Outcome::kNotRestored;
    std::string path;  // the original path, when the record could be read
    std::string error;
};

// Puts entry `id` of DIR back at its original path, after checking its bytes
// against their SHA-256. Never replaces a file that has appeared there since,
// and never creates the directory that held it. When the owner cannot be set
// (not running as root) the file is restored with the runner's and without
// set-user-ID and set-group-ID bits, and the outcome is kRestoredPartly.
RestoreResult Restore(const std::string& quarantine_dir, const std::string& id);

struct QuarantineEntry {
    std::string id;
    QuarantineRecord record;  // meaningful only when `error` is empty
    std::string error;        // why the record could not be read
};

// DIR's entries, oldest first (unreadable ones last, by ID). Throws nothing;
// `error` is set when DIR itself cannot be used.
std::vector<QuarantineEntry> ListQuarantine(const std::string& quarantine_dir, std::string& error);

// True when `dir` is one of `roots` or lies below one of them, after
// resolving links and "..". A quarantine directory inside a scanned (and
// therefore served) tree would keep the files within reach.
bool InsideAny(const std::string& dir, const std::vector<std::string>& roots);

}  // namespace qx::cli
