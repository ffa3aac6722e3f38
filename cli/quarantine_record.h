// The record kept beside each quarantined file: everything needed to put it
// back as it was, and why it was taken. A small text file, one "key value"
// line each, so that an administrator can read it:
//
//   quellix-quarantine 1
//   path /srv/www/upload/x.php
//   uid 33
//   gid 33
//   mode 0644
//   size 1375
//   atime 1718000000 123456789
//   mtime 1717990000 987654321
//   sha256 9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08
//   quarantined 1718000100 5000
//   level trojan
//   reason ...
//
// Times are seconds and nanoseconds since 1970 (UTC). The path keeps the file
// name's exact bytes and the reason is UTF-8; in both, '%', control bytes and
// DEL are written as %XX so that every value stays on its line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qx::cli {

struct RecordTime {
    std::int64_t seconds = 0;
    std::int64_t nanoseconds = 0;
    bool operator==(const RecordTime&) const = default;
};

struct QuarantineRecord {
    std::string path;  // absolute, as the file system's bytes
    std::uint32_t uid = 0, gid = 0;
    std::uint32_t mode = 0;  // permission bits, set-id and sticky bits included
    std::uint64_t size = 0;
    RecordTime atime, mtime;
    std::string sha256;  // of the bytes, lowercase hex
    RecordTime quarantined;
    std::string level;   // the finding's verdict: suspicious, dangerous or trojan
    std::string reason;  // the finding's reason
    bool operator==(const QuarantineRecord&) const = default;
};

std::string FormatRecord(const QuarantineRecord& record);
// The record written by FormatRecord; nullopt when a line is missing or
// malformed. Lines with keys it does not know are skipped.
std::optional<QuarantineRecord> ParseRecord(std::string_view text);

// An entry's ID: 32 lowercase hex digits.
bool IsQuarantineId(std::string_view text);

}  // namespace qx::cli
