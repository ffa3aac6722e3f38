// CRC-64/WE fingerprints of files' raw bytes, compared with the known-good list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "os/file.h"

namespace qx {

// Continues a CRC-64/WE register over `size` bytes. Start from
// kCrc64WeInit and complement the register at the end.
std::uint64_t Crc64WeUpdate(std::uint64_t crc, const void* data, std::size_t size);
inline constexpr std::uint64_t kCrc64WeInit = ~std::uint64_t{0};

// CRC-64/WE of all bytes of the file; 0 when it cannot be opened (the same
// value as for an empty file).
std::uint64_t FileFingerprint(std::u16string_view path);
// The same through a file already open, read from its first byte.
std::uint64_t FileFingerprint(const os::File& file);

}  // namespace qx
