// Builds IP databases in the QQWry.dat layout that CQQwry reads: for the
// tests, the fuzzing seeds, the benchmark and the demo. Strings are written as
// given (GBK bytes for Chinese text).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace qx::host {

// Where a record's two strings lie (the shape numbers the reader's comments use):
//   1 both inline                       5 block redirection to: both inline
//   2 country inline, area redirected   6 ... country inline, area redirected
//   3 country redirected, area inline   7 ... country redirected, area inline
//   4 both redirected                   8 ... both redirected
// Redirected strings and blocks are shared between records that repeat them.
struct QqwryRecord {
    std::uint32_t startIp = 0;
    std::uint32_t endIp = 0;
    std::string country;
    std::string area;
    int shape = 1;
};

struct QqwryImage {
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint32_t> dataOffsets;  // of each record, in index order
    std::uint32_t firstIndex = 0;
    std::uint32_t lastIndex = 0;
};

// Lays the records out in the given order (callers sort them by start IP).
// Throws std::invalid_argument for a shape outside 1-8 and std::length_error
// when an offset would not fit the format's 24 bits.
QqwryImage BuildQqwryDatabase(const std::vector<QqwryRecord>& records);

// `count` adjacent ranges covering the whole address space, with locations
// drawn from a small pool of Chinese (GBK) names and every shape in turn,
// reproducible for a given seed.
std::vector<QqwryRecord> SampleQqwryRecords(std::size_t count, std::uint32_t seed);

// A small database of well-known ranges, for the demo when no real one is at hand.
std::vector<QqwryRecord> DemoQqwryRecords();

// Throws std::runtime_error when the file cannot be written.
void WriteQqwryFile(const std::filesystem::path& path, const QqwryImage& image);

}  // namespace qx::host
