// CQQwry: the location of an IPv4 address in a QQWry.dat IP database.
//
// The file starts with the offsets of the first and the last 7-byte index
// record (start IP, 3-byte offset of the data record); a data record holds the
// end IP and then the location, whose first string (country or region) may lie
// inline or behind one or two redirections. Only that first string is read.
// Every look-up reads the file afresh; a damaged or hostile file gives misses
// and empty strings, never a read outside it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "os/file.h"

class CQQwry {
  public:
    CQQwry() = default;
    CQQwry(const CQQwry&) = delete;
    CQQwry& operator=(const CQQwry&) = delete;

    // Opens the database read-only; when that fails (or the path names no
    // regular file) every look-up misses.
    void Open(std::u16string_view path);
    bool IsOpen() const { return file_.IsOpen(); }

    // The location of dotted IPv4 text such as inet_ntoa gives: the first
    // location string of the record that covers it (GBK, as the format
    // defines, whatever the locale), kAskForAddress for empty text,
    // kNoInformation when no record covers it.
    std::u16string Lookup(std::string_view ipText) const;

    // Dotted text to an IP number, each part read as atoi reads it and cut to
    // 8 bits, missing parts 0, parts after the fourth ignored.
    static std::uint32_t IpNumber(std::string_view ipText);

    static constexpr std::u16string_view kAskForAddress = u"请输入IP地址";
    static constexpr std::u16string_view kNoInformation = u"没有查到相关信息";

  private:
    struct IndexRecord {
        std::uint32_t startIp;
        std::uint32_t dataOffset;
    };

    std::int64_t RecordCount() const;
    std::optional<IndexRecord> ReadIndexRecord(std::int64_t index) const;
    std::optional<std::uint32_t> ReadEndIp(std::uint32_t dataOffset) const;
    std::optional<std::int64_t> Find(std::uint32_t ip) const;
    std::int64_t FirstStringOffset(std::uint32_t dataOffset) const;
    std::u16string ReadString(std::int64_t offset) const;
    // Reads at `offset`, never past the end the file had when it was opened;
    // returns how many bytes arrived.
    std::size_t ReadAt(std::int64_t offset, void* buffer, std::size_t size) const;

    std::int32_t firstIndex_ = 0;
    std::int32_t lastIndex_ = 0;
    qx::os::File file_;
};
