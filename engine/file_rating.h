// Rating one file: reading its text once (twice for a file that starts with a
// UTF-16 mark, whose bytes are also read as unmarked text), running its
// family's cascade over each reading, taking the higher verdict, and
// cancelling levels 1 and 2 for known-good files. Besides the rating it tells
// what kept the file from being checked in full.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine_types.h"
#include "os/codepage.h"
#include "os/dir_reader.h"
#include "os/file.h"
#include "rules/rule_sets.h"

namespace qx {

struct FileRating {
    Rating rating;
    // The file could not be opened or read; `error` is the system's code.
    bool unreadable = false;
    std::uint32_t error = 0;
    // Larger than the rater's limit: not read.
    bool too_large = false;
    // The text passed the reader's cap and was rated up to it.
    bool rated_in_part = false;
    // A pattern search stopped at a bound of the pattern engine.
    bool search_stopped = false;
    bool out_of_memory = false;

    // Whether the file was checked in full.
    bool Complete() const {
        return !unreadable && !too_large && !rated_in_part && !search_stopped && !out_of_memory;
    }
};

// Everything that rating reuses from file to file; one per rating thread.
class FileRater {
  public:
    // `code_set` names the encoding of text without a byte-order mark;
    // empty: the ANSI code page (check a name with os::MakeDecoder first).
    // Files larger than `max_file_size` bytes are not read; 0: no limit.
    explicit FileRater(std::string_view code_set = {}, std::uint64_t max_file_size = 0);

    FileRating Rate(Family family, const os::Directory& directory, std::u16string_view name);
    FileRating Rate(Family family, std::u16string_view path);

  private:
    FileRating RateOpen(Family family, os::File file);

    std::unique_ptr<os::TextDecoder> unmarked_;
    std::uint64_t max_file_size_;
    std::u16string text_;  // reused: its capacity stays from file to file
};

}  // namespace qx
