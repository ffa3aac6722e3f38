// CRC-64/WE: polynomial 0x42F0E1EBA9EA3693, most significant bit first,
// register starting at all ones and complemented at the end.
#include "fingerprint.h"

#include <array>
#include <cstdio>
#include <memory>
#include <vector>

#include "os/path.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qx {
namespace {

constexpr std::uint64_t kPolynomial = 0x42F0E1EBA9EA3693;

// tables[0] is the classic byte table; tables[k] advances a byte that stands k
// bytes further from the end, so eight bytes are folded in one step.
using Tables = std::array<std::array<std::uint64_t, 256>, 8>;

constexpr Tables MakeTables() {
    Tables t{};
    for (std::uint64_t i = 0; i < 256; ++i) {
        std::uint64_t r = i << 56;
        for (int bit = 0; bit < 8; ++bit)
            r = (r & (std::uint64_t{1} << 63)) ? (r << 1) ^ kPolynomial : r << 1;
        t[0][i] = r;
    }
    for (std::size_t k = 1; k < 8; ++k) {
        for (std::size_t i = 0; i < 256; ++i)
            t[k][i] = (t[k - 1][i] << 8) ^ t[0][t[k - 1][i] >> 56];
    }
    return t;
}

constexpr Tables kTables = MakeTables();

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

std::FILE* OpenForReading(std::u16string_view path) {
#ifdef _WIN32
    std::wstring wide(path.begin(), path.end());
    return _wfopen(wide.c_str(), L"rb");
#else
    // Only regular files: a FIFO in the tree must not stall the scan.
    const int fd = ::open(os::NativePath(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info;
    std::FILE* file = nullptr;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0) {
        file = fdopen(fd, "rb");
    }
    if (file == nullptr) ::close(fd);
    return file;
#endif
}

}  // namespace

std::uint64_t Crc64WeUpdate(std::uint64_t crc, const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    while (size >= 8) {
        crc ^= std::uint64_t{p[0]} << 56 | std::uint64_t{p[1]} << 48 | std::uint64_t{p[2]} << 40 |
               std::uint64_t{p[3]} << 32 | std::uint64_t{p[4]} << 24 | std::uint64_t{p[5]} << 16 |
               std::uint64_t{p[6]} << 8 | std::uint64_t{p[7]};
        crc = kTables[7][crc >> 56] ^ kTables[6][(crc >> 48) & 0xFF] ^
              kTables[5][(crc >> 40) & 0xFF] ^ kTables[4][(crc >> 32) & 0xFF] ^
              kTables[3][(crc >> 24) & 0xFF] ^ kTables[2][(crc >> 16) & 0xFF] ^
              kTables[1][(crc >> 8) & 0xFF] ^ kTables[0][crc & 0xFF];
        p += 8;
        size -= 8;
    }
    while (size-- > 0) crc = (crc << 8) ^ kTables[0][(crc >> 56) ^ *p++];
    return crc;
}

std::uint64_t FileFingerprint(std::u16string_view path) {
    std::unique_ptr<std::FILE, FileCloser> file(OpenForReading(path));
    if (!file) return 0;
    std::vector<std::uint8_t> block(64 * 1024);
    std::uint64_t crc = kCrc64WeInit;
    std::size_t n;
    while ((n = std::fread(block.data(), 1, block.size(), file.get())) > 0) {
        crc = Crc64WeUpdate(crc, block.data(), n);
    }
    return ~crc;
}

}  // namespace qx
