#include "quarantine_record.h"

#include <charconv>
#include <cstdio>
#include <map>

namespace qx::cli {
namespace {

constexpr std::string_view kMagic = "quellix-quarantine 1";

std::string Escape(std::string_view bytes) {
    std::string out;
    char hex[4];
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F || b == '%') {
            std::snprintf(hex, sizeof hex, "%%%02X", b);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::string> Unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        const int high = HexDigit(text[i + 1]), low = HexDigit(text[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

template <typename T>
bool ParseNumber(std::string_view text, T& out, int base = 10) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, out, base);
    return error == std::errc() && stop == end && !text.empty();
}

bool ParseTime(std::string_view text, RecordTime& out) {
    const std::size_t space = text.find(' ');
    return space != std::string_view::npos && ParseNumber(text.substr(0, space), out.seconds) &&
           ParseNumber(text.substr(space + 1), out.nanoseconds) && out.nanoseconds >= 0 &&
           out.nanoseconds < 1'000'000'000;
}

std::string TimeText(const RecordTime& t) {
    return std::to_string(t.seconds) + " " + std::to_string(t.nanoseconds);
}

}  // namespace

std::string FormatRecord(const QuarantineRecord& r) {
    char mode[16];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(r.mode));
    std::string out(kMagic);
    out += "\npath " + Escape(r.path);
    out += "\nuid " + std::to_string(r.uid);
    out += "\ngid " + std::to_string(r.gid);
    out += "\nmode " + std::string(mode);
    out += "\nsize " + std::to_string(r.size);
    out += "\natime " + TimeText(r.atime);
    out += "\nmtime " + TimeText(r.mtime);
    out += "\nsha256 " + r.sha256;
    out += "\nquarantined " + TimeText(r.quarantined);
    out += "\nlevel " + Escape(r.level);
    out += "\nreason " + Escape(r.reason);
    return out + "\n";
}

std::optional<QuarantineRecord> ParseRecord(std::string_view text) {
    if (!text.starts_with(kMagic) || text.substr(kMagic.size(), 1) != "\n") return std::nullopt;
    std::map<std::string_view, std::string_view> fields;
    text.remove_prefix(kMagic.size() + 1);
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) return std::nullopt;  // cut short
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        const std::size_t space = line.find(' ');
        if (space == std::string_view::npos) return std::nullopt;
        fields[line.substr(0, space)] = line.substr(space + 1);
    }
    for (const char* key : {"path", "uid", "gid", "mode", "size", "atime", "mtime", "sha256",
                            "quarantined", "level", "reason"}) {
        if (!fields.contains(key)) return std::nullopt;
    }

    QuarantineRecord r;
    const std::optional<std::string> path = Unescape(fields["path"]);
    const std::optional<std::string> level = Unescape(fields["level"]);
    const std::optional<std::string> reason = Unescape(fields["reason"]);
    const std::string_view sha = fields["sha256"];
    const bool sha_ok =
        sha.size() == 64 && sha.find_first_not_of("0123456789abcdef") == std::string_view::npos;
    if (!path || path->empty() || !level || !reason || !sha_ok ||
        !ParseNumber(fields["uid"], r.uid) || !ParseNumber(fields["gid"], r.gid) ||
        !ParseNumber(fields["mode"], r.mode, 8) || r.mode > 07777 ||
        !ParseNumber(fields["size"], r.size) || !ParseTime(fields["atime"], r.atime) ||
        !ParseTime(fields["mtime"], r.mtime) || !ParseTime(fields["quarantined"], r.quarantined)) {
        return std::nullopt;
    }
    r.path = *path;
    r.level = *level;
    r.reason = *reason;
    r.sha256 = sha;
    return r;
}

bool IsQuarantineId(std::string_view text) {
    return text.size() == 32 &&
           text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

}  // namespace qx::cli
