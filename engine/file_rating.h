// Rating one file: reading its text once (twice for a file that starts with a
// UTF-16 mark, whose bytes are also read as unmarked text), running its
// family's cascade over each reading, taking the higher verdict, cancelling
// levels 1 and 2 for known-good files, and handing the same bytes to the
// scan's examiner. Besides the finding it tells what kept the file from
// being checked in full.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "engine_types.h"
#include "file_examiner.h"
#include "os/codepage.h"
#include "os/dir_reader.h"
#include "os/file.h"
#include "rules/rule_sets.h"
#include "scan_driver.h"
#include "scratch_buffer.h"

namespace qx {

class CTextFileRead;
struct ReadBuffers;

struct FileRating {
    Finding finding;
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
};

// Everything that rating reuses from file to file; one per rating thread.
class FileRater {
  public:
    // `code_set` names the encoding of text without a byte-order mark;
    // empty: the ANSI code page (check a name with os::MakeDecoder first).
    // Files larger than `max_file_size` bytes are not read; 0: no limit.
    // `reference_rules` runs the cascades the step-by-step way (see
    // rule_frame.h), for comparison.
    explicit FileRater(std::string_view code_set = {}, std::uint64_t max_file_size = 0,
                       std::unique_ptr<FileExaminer> examiner = nullptr,
                       bool reference_rules = false);
    ~FileRater();

    FileRating Rate(const FileRoute& route, const os::Directory& directory,
                    std::u16string_view name, const std::u16string& path);
    FileRating Rate(const FileRoute& route, const std::u16string& path);
    // Rates a file's bytes already in memory, as if read from `path`.
    FileRating RateBytes(const FileRoute& route, std::string_view bytes,
                         const std::u16string& path = {});

    // The examiner looks at files of at most this many bytes.
    static constexpr std::size_t kMaxExaminedBytes = std::size_t{1} << 27;

  private:
    FileRating RateOpen(const FileRoute& route, os::File file, const std::u16string& path);
    void RateLoaded(const FileRoute& route, std::string_view bytes, const std::u16string& path,
                    FileRating& result);
    void RateText(Family family, CTextFileRead& reader, FileRating& result);
    static bool KnownGood(const FileRating& result,
                          const std::function<std::uint64_t()>& fingerprint);
    // The finding's verdict, and the buffers trimmed back for the next file.
    FileRating Finish(FileRating& result);

    std::unique_ptr<os::TextDecoder> unmarked_;
    std::uint64_t max_file_size_;
    std::unique_ptr<FileExaminer> examiner_;
    bool reference_rules_;
    ScratchBuffer<char16_t> text_;  // reused: their capacity stays from file to file
    std::string bytes_;
    std::unique_ptr<ReadBuffers> buffers_;
};

}  // namespace qx
