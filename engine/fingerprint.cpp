// CRC-64/WE: polynomial 0x42F0E1EBA9EA3693, most significant bit first,
// register starting at all ones and complemented at the end.
#include "fingerprint.h"

#include <array>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define QX_CRC_FOLDING 1
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

std::uint64_t UpdateByTables(std::uint64_t crc, const std::uint8_t* p, std::size_t size) {
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

#ifdef QX_CRC_FOLDING

// x^n mod P, as the register holds it.
constexpr std::uint64_t PowerOfX(int n) {
    std::uint64_t r = kPolynomial;  // x^64
    for (int i = 64; i < n; ++i) r = (r << 1) ^ ((r >> 63) != 0 ? kPolynomial : 0);
    return r;
}

// Folds sixteen bytes a step with carry-less multiplication: 128 bits of
// message A followed by B stand for A * x^128 + B, and A * x^128 is, modulo
// P, A's high half times x^192 mod P plus its low half times x^128 mod P, a
// product that fits in 128 bits again. What remains is run through the
// tables as sixteen bytes, which multiplies it by x^64 modulo P as the
// register would have. Byte 0 of the message is the highest power, so each
// block is reversed into the processor's order.
__attribute__((target("pclmul,ssse3"))) std::uint64_t UpdateByFolding(std::uint64_t crc,
                                                                      const std::uint8_t* p,
                                                                      std::size_t size) {
    const __m128i reverse = _mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    constexpr std::uint64_t kHighHalf = PowerOfX(192), kLowHalf = PowerOfX(128);
    const __m128i fold =
        _mm_set_epi64x(static_cast<long long>(kHighHalf), static_cast<long long>(kLowHalf));
    __m128i acc = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), reverse);
    // The register joins the first eight bytes, as the tables' step joins them.
    acc = _mm_xor_si128(acc, _mm_set_epi64x(static_cast<long long>(crc), 0));
    p += 16;
    size -= 16;
    for (; size >= 16; p += 16, size -= 16) {
        const __m128i block =
            _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), reverse);
        acc = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(acc, fold, 0x11),
                                          _mm_clmulepi64_si128(acc, fold, 0x00)),
                            block);
    }
    alignas(16) std::uint8_t rest[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(rest), _mm_shuffle_epi8(acc, reverse));
    return UpdateByTables(UpdateByTables(0, rest, sizeof rest), p, size);
}

bool CanFold() {
    static const bool can = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("ssse3");
    return can;
}

#endif

}  // namespace

std::uint64_t Crc64WeUpdate(std::uint64_t crc, const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
#ifdef QX_CRC_FOLDING
    // Below a few blocks the tables are as quick.
    if (size >= 64 && CanFold()) return UpdateByFolding(crc, p, size);
#endif
    return UpdateByTables(crc, p, size);
}

std::uint64_t FileFingerprint(const os::File& file) {
    std::vector<std::uint8_t> block(64 * 1024);
    std::uint64_t crc = kCrc64WeInit;
    std::uint64_t offset = 0;
    std::int64_t n;
    // A read error ends the sum as the end of the file would.
    while ((n = file.ReadAt(offset, block.data(), block.size())) > 0) {
        crc = Crc64WeUpdate(crc, block.data(), static_cast<std::size_t>(n));
        offset += static_cast<std::uint64_t>(n);
    }
    return ~crc;
}

std::uint64_t FileFingerprint(std::u16string_view path) {
    os::File file;
    // Only regular files: a FIFO in the tree must not stall the scan.
    if (!file.Open(path, os::File::Mode::kSharedRead)) return 0;
    return FileFingerprint(file);
}

}  // namespace qx
