#include "host/qqwry.h"

#include <algorithm>
#include <array>

#include "os/codepage.h"

namespace {

constexpr std::int64_t kIndexRecordBytes = 7;
constexpr std::size_t kRecordHeadBytes = 64;
constexpr std::size_t kRedirectBytes = 50;
constexpr std::size_t kMaxStringBytes = 50;

constexpr std::uint8_t kRedirectToBlock = 1;   // the whole location lies elsewhere
constexpr std::uint8_t kRedirectToString = 2;  // one string lies elsewhere

std::uint32_t Load24(const std::uint8_t* at) {
    return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16;
}

std::uint32_t Load32(const std::uint8_t* at) {
    return Load24(at) | std::uint32_t{at[3]} << 24;
}

bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// atoi's reading of one dotted part, cut to its low 8 bits.
std::uint8_t PartValue(std::string_view part) {
    std::size_t at = 0;
    while (at < part.size() && IsSpace(part[at])) ++at;
    bool negative = false;
    if (at < part.size() && (part[at] == '+' || part[at] == '-')) negative = part[at++] == '-';
    std::uint8_t value = 0;
    for (; at < part.size() && part[at] >= '0' && part[at] <= '9'; ++at) {
        value = static_cast<std::uint8_t>(value * 10 + (part[at] - '0'));
    }
    return negative ? static_cast<std::uint8_t>(-value) : value;
}

}  // namespace

void CQQwry::Open(std::u16string_view path) {
    if (!file_.Open(path, qx::os::File::Mode::kSharedRead)) return;
    std::array<std::uint8_t, 8> header{};
    if (ReadAt(0, header.data(), header.size()) != header.size()) return;
    firstIndex_ = static_cast<std::int32_t>(Load32(header.data()));
    lastIndex_ = static_cast<std::int32_t>(Load32(header.data() + 4));
}

std::uint32_t CQQwry::IpNumber(std::string_view ipText) {
    std::array<std::uint8_t, 4> parts{};
    std::size_t taken = 0;
    while (taken < parts.size()) {
        const std::size_t dot = ipText.find('.');
        parts[taken++] = PartValue(ipText.substr(0, dot));
        if (dot == std::string_view::npos) break;
        ipText.remove_prefix(dot + 1);
    }
    return std::uint32_t{parts[0]} << 24 | std::uint32_t{parts[1]} << 16 |
           std::uint32_t{parts[2]} << 8 | parts[3];
}

std::int64_t CQQwry::RecordCount() const {
    if (!file_.IsOpen() || lastIndex_ < firstIndex_) return 0;
    return (std::int64_t{lastIndex_} - firstIndex_) / kIndexRecordBytes + 1;
}

std::optional<CQQwry::IndexRecord> CQQwry::ReadIndexRecord(std::int64_t index) const {
    if (index < 0 || index >= RecordCount()) return std::nullopt;
    std::array<std::uint8_t, kIndexRecordBytes> record{};
    const std::int64_t offset = firstIndex_ + kIndexRecordBytes * index;
    if (ReadAt(offset, record.data(), record.size()) != record.size()) return std::nullopt;
    return IndexRecord{Load32(record.data()), Load24(record.data() + 4)};
}

std::optional<std::uint32_t> CQQwry::ReadEndIp(std::uint32_t dataOffset) const {
    std::array<std::uint8_t, 4> endIp{};
    if (ReadAt(dataOffset, endIp.data(), endIp.size()) != endIp.size()) return std::nullopt;
    return Load32(endIp.data());
}

// A binary search over the start IPs that answers as soon as an address equals
// the start IP it lands on, and otherwise checks the end IPs of the last two
// candidates. A database of a single record therefore never matches.
std::optional<std::int64_t> CQQwry::Find(std::uint32_t ip) const {
    std::int64_t lo = 0;
    std::int64_t hi = RecordCount() - 1;
    std::int64_t mid = hi / 2;
    while (lo < hi) {
        const std::optional<IndexRecord> probe = ReadIndexRecord(mid);
        if (!probe) return std::nullopt;
        if (ip == probe->startIp) return mid;
        if (hi - lo <= 1) {
            for (std::int64_t k = lo; k <= hi; ++k) {
                const std::optional<IndexRecord> candidate = ReadIndexRecord(k);
                if (!candidate) return std::nullopt;
                const std::optional<std::uint32_t> endIp = ReadEndIp(candidate->dataOffset);
                if (candidate->startIp <= ip && endIp && ip <= *endIp) return k;
            }
            return std::nullopt;
        }
        if (ip > probe->startIp) {
            lo = mid;
        } else {
            hi = mid;
        }
        mid = lo + (hi - lo) / 2;
    }
    return std::nullopt;
}

// The location after the end IP comes in eight shapes, by where its two
// strings lie: both inline (1, 2 with the second redirected), the first behind
// a string redirection (3, 4), or the whole location behind a block
// redirection whose block again holds the first string inline (5, 6) or
// behind a string redirection (7, 8). Bytes the file does not have read as 0.
std::int64_t CQQwry::FirstStringOffset(std::uint32_t dataOffset) const {
    std::array<std::uint8_t, kRecordHeadBytes> head{};
    ReadAt(dataOffset, head.data(), head.size());
    switch (head[4]) {
        case kRedirectToBlock: {
            const std::uint32_t block = Load24(&head[5]);
            std::array<std::uint8_t, kRedirectBytes> redirect{};
            ReadAt(block, redirect.data(), redirect.size());
            return redirect[0] == kRedirectToString ? Load24(&redirect[1]) : block;
        }
        case kRedirectToString:
            return Load24(&head[5]);
        default:
            return std::int64_t{dataOffset} + 4;
    }
}

std::size_t CQQwry::ReadAt(std::int64_t offset, void* buffer, std::size_t size) const {
    const std::int64_t end = file_.SizeAtOpen();
    if (!file_.IsOpen() || offset < 0 || offset >= end) return 0;
    size = static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(size), end - offset));
    const std::int64_t got = file_.ReadAt(static_cast<std::uint64_t>(offset), buffer, size);
    return got > 0 ? static_cast<std::size_t>(got) : 0;
}

std::u16string CQQwry::ReadString(std::int64_t offset) const {
    if (offset > lastIndex_) return {};
    std::array<char, kMaxStringBytes> bytes{};
    const std::size_t got = ReadAt(offset, bytes.data(), bytes.size());
    std::string_view text(bytes.data(), got);
    text = text.substr(0, text.find('\0'));
    return qx::os::GbkToUtf16(text);
}

std::u16string CQQwry::Lookup(std::string_view ipText) const {
    if (ipText.empty()) return std::u16string(kAskForAddress);
    const std::optional<std::int64_t> index = Find(IpNumber(ipText));
    if (!index) return std::u16string(kNoInformation);
    const std::optional<IndexRecord> record = ReadIndexRecord(*index);
    if (!record) return std::u16string(kNoInformation);
    return ReadString(FirstStringOffset(record->dataOffset));
}
