// Whether one of a set of literals may begin at a position of a text, asked
// at every position by searches that skip where none can: the literals'
// first units, hashed into 8 KB of bits. "No" is exact; "yes" is now and then
// wrong, which only costs the caller a closer look.
//
// Four units are looked at when every literal has three or more (three when
// many have just three), two otherwise. Of the fourth only the low seven
// bits count, so that a literal of three units stands for whatever follows
// it with 128 entries; text beyond ASCII there (rare in code) only lets a
// position through.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace qx::pattern {

class BeginningSet {
  public:
    // Units that must be readable from every position asked about.
    static constexpr std::size_t kReadable = 4;

    BeginningSet() = default;  // unusable
    // Literals shorter than two units leave the set unusable: every
    // position may begin one.
    template <class Literals>
    explicit BeginningSet(const Literals& literals) {
        std::size_t shortest = 4, threes = 0;
        for (const std::u16string_view literal : literals) {
            shortest = std::min(shortest, literal.size());
            threes += literal.size() == 3;
        }
        if (shortest < 2) return;
        // With many literals of three, 128 entries each would fill the bits.
        units_ = shortest == 2 ? 2 : shortest == 3 && threes > kMostThrees ? 3 : 4;
        mask_ = units_ == 4 ? 0x007FFFFFFFFFFFFFull : (std::uint64_t{1} << (16 * units_)) - 1;
        bits_.assign(kWords, 0);
        for (const std::u16string_view literal : literals) {
            char16_t units[4] = {};
            std::copy_n(literal.begin(), std::min<std::size_t>(literal.size(), 4), units);
            if (literal.size() >= units_) Add(units);
            for (units[3] = 0; literal.size() < units_ && units[3] < 0x80; ++units[3]) Add(units);
        }
    }

    bool Usable() const { return units_ != 0; }
    // Units of a literal that a "yes" stands for: 2 to 4.
    std::size_t Units() const { return units_; }

    // 1 when a literal may begin at `at`, 0 when none does.
    std::uint64_t Bit(const char16_t* at) const {
        const std::size_t hash = Hash(FourUnits(at) & mask_);
        return bits_[hash / 64] >> (hash % 64) & 1;
    }

  private:
    static constexpr int kHashBits = 16;
    static constexpr std::size_t kWords = (std::size_t{1} << kHashBits) / 64;
    static constexpr std::size_t kMostThrees = 8;  // a few per cent of the bits

    // Four units as one number, the first in the low bits.
    static std::uint64_t FourUnits(const char16_t* units) {
        std::uint64_t value;
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(&value, units, sizeof value);
        } else {
            value = 0;
            for (int k = 3; k >= 0; --k) value = value << 16 | units[k];
        }
        return value;
    }

    static std::size_t Hash(std::uint64_t units) {
        return static_cast<std::size_t>((units * 0x9E3779B97F4A7C15ull) >> (64 - kHashBits));
    }

    void Add(const char16_t* units) {
        const std::size_t hash = Hash(FourUnits(units) & mask_);
        bits_[hash / 64] |= std::uint64_t{1} << (hash % 64);
    }

    std::size_t units_ = 0;
    std::uint64_t mask_ = 0;
    std::vector<std::uint64_t> bits_;
};

}  // namespace qx::pattern
