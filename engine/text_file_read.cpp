// The reader decodes the file block by block into UTF-16 units and writes
// them into the text, each line terminator (CR LF, a lone LF or a lone CR)
// as the separator.
#include "text_file_read.h"

#include <algorithm>
#include <cstring>

namespace qx {
namespace {

constexpr std::size_t kBlockBytes = 64 * 1024;
constexpr char16_t kCr = 13;
constexpr char16_t kLf = 10;

// The first CR or LF in [p, end), or end; four units a step.
const char16_t* FindLineBreak(const char16_t* p, const char16_t* end) {
    constexpr std::uint64_t kOnes = 0x0001000100010001ull, kHighs = 0x8000800080008000ull;
    while (end - p >= 4) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        const std::uint64_t cr = word ^ (kOnes * kCr), lf = word ^ (kOnes * kLf);
        if (((cr - kOnes) & ~cr & kHighs) | ((lf - kOnes) & ~lf & kHighs)) break;
        p += 4;
    }
    while (p < end && *p != kCr && *p != kLf) ++p;
    return p;
}

// Appends [begin, end) to `text`, the letters A to Z lowered when asked.
void AppendRun(std::u16string& text, const char16_t* begin, const char16_t* end, bool fold) {
    const std::size_t old = text.size();
    text.append(begin, end);
    if (fold) LowerAsciiLetters(text.data() + old, text.size() - old);
}

}  // namespace

void LowerAsciiLetters(char16_t* units, std::size_t count) {
    // Four units a step: a lane from 'A' to 'Z' gains 0x20. The top bit of
    // each lane is set aside so that the sums stay within their lanes.
    constexpr std::uint64_t kOnes = 0x0001000100010001ull, kTops = kOnes * 0x8000;
    std::size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        std::uint64_t word;
        std::memcpy(&word, units + i, 8);
        const std::uint64_t low = word & ~kTops;
        const std::uint64_t at_least_a = (low + kOnes * (0x8000 - u'A')) & kTops;
        const std::uint64_t above_z = (low + kOnes * (0x8000 - u'Z' - 1)) & kTops;
        word += ((at_least_a & ~above_z & ~word) >> 10);  // 0x8000 >> 10 == 0x20
        std::memcpy(units + i, &word, 8);
    }
    for (; i < count; ++i) {
        units[i] =
            static_cast<char16_t>(units[i] + ((static_cast<unsigned>(units[i] - u'A') < 26u) << 5));
    }
}

CTextFileRead::CTextFileRead(std::u16string_view path)
    : own_buffers_(std::make_unique<ReadBuffers>()),
      buffers_(own_buffers_.get()),
      own_unmarked_(os::MakeAnsiDecoder()),
      unmarked_(own_unmarked_.get()) {
    if (!file_.Open(path, os::File::Mode::kSharedRead)) return;
    Start(0);
    DetectEncoding();
}

CTextFileRead::CTextFileRead(os::File file, os::TextDecoder& unmarked, ReadBuffers& buffers)
    : buffers_(&buffers), unmarked_(&unmarked) {
    file_ = std::move(file);
    if (!file_.IsOpen()) return;
    Start(0);
    DetectEncoding();
}

CTextFileRead::CTextFileRead(std::string_view bytes, os::TextDecoder& unmarked,
                             ReadBuffers& buffers)
    : memory_(bytes), in_memory_(true), buffers_(&buffers), unmarked_(&unmarked) {
    Start(0);
    DetectEncoding();
}

void CTextFileRead::Start(std::uint64_t offset) {
    offset_ = offset;
    end_of_file_ = file_drained_ = false;
    truncated_ = false;
    buffers_->raw.clear();
    unmarked_->Reset();
}

void CTextFileRead::ReadBlock() {
    if (in_memory_) {
        const std::string_view block = memory_.substr(offset_, kBlockBytes);
        buffers_->raw.append(block);
        offset_ += block.size();
        if (block.empty()) file_drained_ = true;
        return;
    }
    // The block goes through a buffer of its own: growing buffers_->raw to read into
    // it would clear the bytes first.
    std::vector<char>& block = buffers_->block;
    block.resize(kBlockBytes);
    const std::int64_t n = file_.ReadAt(offset_, block.data(), kBlockBytes);
    if (n < 0) {
        buffers_->raw.clear();
        const std::uint32_t error = file_.LastError();
        file_.Close();
        throw CTextFileException(error);
    }
    buffers_->raw.append(block.data(), static_cast<std::size_t>(n));
    offset_ += static_cast<std::uint64_t>(n);
    if (n == 0) file_drained_ = true;
}

void CTextFileRead::DetectEncoding() {
    while (buffers_->raw.size() < 3 && !file_drained_) ReadBlock();
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(buffers_->raw[i]); };
    std::size_t mark = 0;
    if (buffers_->raw.size() >= 2 && byte(0) == 0xFF && byte(1) == 0xFE) {
        encoding_ = EncodingUtf16LittleEndian, mark = 2;
    } else if (buffers_->raw.size() >= 2 && byte(0) == 0xFE && byte(1) == 0xFF) {
        encoding_ = EncodingUtf16BigEndian, mark = 2;
    } else if (buffers_->raw.size() >= 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF) {
        encoding_ = EncodingUtf8, mark = 3;
    } else {
        encoding_ = EncodingAnsi;
    }
    buffers_->raw.erase(0, mark);
}

std::size_t CTextFileRead::Decode(const std::uint8_t* bytes, std::size_t size, char16_t* out,
                                  std::size_t& produced) {
    switch (encoding_) {
        case EncodingUtf16BigEndian:
        case EncodingUtf16LittleEndian: {
            const std::size_t pairs = size / 2;
            const bool big = encoding_ == EncodingUtf16BigEndian;
            for (std::size_t i = 0; i < pairs; ++i) {
                const std::uint8_t b0 = bytes[2 * i], b1 = bytes[2 * i + 1];
                out[i] = static_cast<char16_t>(big ? (b0 << 8) | b1 : (b1 << 8) | b0);
            }
            produced = pairs;
            // A lone last byte makes no unit.
            return file_drained_ ? size : pairs * 2;
        }
        case EncodingUtf8:
            return marked_utf8_.Decode(bytes, size, file_drained_, out, produced);
        default:
            return unmarked_->Decode(bytes, size, file_drained_, out, produced);
    }
}

bool CTextFileRead::ReadText(std::u16string& text, std::u16string_view separator) {
    if (!IsOpen()) return false;
    text.clear();
    const std::int64_t size = in_memory_ ? static_cast<std::int64_t>(memory_.size()) : file_.Size();
    if (size > 0) {
        const auto units =
            static_cast<std::size_t>(size) /
            (encoding_ == EncodingUtf16BigEndian || encoding_ == EncodingUtf16LittleEndian ? 2 : 1);
        text.reserve(std::min(units + units / 16 + 2, kMaxTextUnits));
    }
    bool after_cr = false;  // the last unit was a CR: an LF now belongs to it
    while (!end_of_file_) {
        if (!file_drained_) ReadBlock();
        if (buffers_->raw.empty() && file_drained_) break;
        std::vector<char16_t>& units = buffers_->units;
        if (units.size() < buffers_->raw.size()) units.resize(buffers_->raw.size());
        std::size_t count = 0;
        const std::size_t used = Decode(reinterpret_cast<const std::uint8_t*>(buffers_->raw.data()),
                                        buffers_->raw.size(), units.data(), count);
        buffers_->raw.erase(0, used);
        const char16_t* p = units.data();
        const char16_t* const end = p + count;
        if (after_cr && p != end && *p == kLf) ++p;
        after_cr = false;
        while (p != end) {
            const char16_t* stop = FindLineBreak(p, end);
            if (text.size() + static_cast<std::size_t>(stop - p) > kMaxTextUnits) {
                // The text is full: what is left is not read.
                AppendRun(text, p, p + (kMaxTextUnits - text.size()), fold_);
                truncated_ = end_of_file_ = true;
                return true;
            }
            AppendRun(text, p, stop, fold_);
            if (stop == end) break;
            if (text.size() + separator.size() > kMaxTextUnits) {
                truncated_ = end_of_file_ = true;
                return true;
            }
            text.append(separator);
            p = stop + 1;
            if (*stop == kCr) {
                if (p == end) {
                    after_cr = true;
                } else if (*p == kLf) {
                    ++p;
                }
            }
        }
    }
    end_of_file_ = true;
    return true;
}

bool CTextFileRead::ReadAgainUnmarked(std::u16string& text, std::u16string_view separator) {
    if (!IsOpen()) return false;
    const bool utf16 =
        encoding_ == EncodingUtf16BigEndian || encoding_ == EncodingUtf16LittleEndian;
    Start(utf16 ? 2 : 0);
    encoding_ = EncodingAnsi;
    return ReadText(text, separator);
}

}  // namespace qx
