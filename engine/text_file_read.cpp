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
    if (!fold) return;
    for (char16_t* p = text.data() + old; p != text.data() + text.size(); ++p) {
        *p = static_cast<char16_t>(*p + ((static_cast<unsigned>(*p - u'A') < 26u) << 5));
    }
}

}  // namespace

CTextFileRead::CTextFileRead(std::u16string_view path)
    : own_unmarked_(os::MakeAnsiDecoder()), unmarked_(own_unmarked_.get()) {
    if (!file_.Open(path, os::File::Mode::kSharedRead)) return;
    Start(0);
    DetectEncoding();
}

CTextFileRead::CTextFileRead(os::File file, os::TextDecoder& unmarked) : unmarked_(&unmarked) {
    file_ = std::move(file);
    if (!file_.IsOpen()) return;
    Start(0);
    DetectEncoding();
}

CTextFileRead::CTextFileRead(std::string_view bytes, os::TextDecoder& unmarked)
    : memory_(bytes), in_memory_(true), unmarked_(&unmarked) {
    Start(0);
    DetectEncoding();
}

void CTextFileRead::Start(std::uint64_t offset) {
    offset_ = offset;
    end_of_file_ = file_drained_ = false;
    truncated_ = false;
    raw_.clear();
    unmarked_->Reset();
}

void CTextFileRead::ReadBlock() {
    if (in_memory_) {
        const std::string_view block = memory_.substr(offset_, kBlockBytes);
        raw_.append(block);
        offset_ += block.size();
        if (block.empty()) file_drained_ = true;
        return;
    }
    const std::size_t old = raw_.size();
    raw_.resize(old + kBlockBytes);
    const std::int64_t n = file_.ReadAt(offset_, raw_.data() + old, kBlockBytes);
    if (n < 0) {
        raw_.clear();
        const std::uint32_t error = file_.LastError();
        file_.Close();
        throw CTextFileException(error);
    }
    raw_.resize(old + static_cast<std::size_t>(n));
    offset_ += static_cast<std::uint64_t>(n);
    if (n == 0) file_drained_ = true;
}

void CTextFileRead::DetectEncoding() {
    while (raw_.size() < 3 && !file_drained_) ReadBlock();
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(raw_[i]); };
    std::size_t mark = 0;
    if (raw_.size() >= 2 && byte(0) == 0xFF && byte(1) == 0xFE) {
        encoding_ = EncodingUtf16LittleEndian, mark = 2;
    } else if (raw_.size() >= 2 && byte(0) == 0xFE && byte(1) == 0xFF) {
        encoding_ = EncodingUtf16BigEndian, mark = 2;
    } else if (raw_.size() >= 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF) {
        encoding_ = EncodingUtf8, mark = 3;
    } else {
        encoding_ = EncodingAnsi;
    }
    raw_.erase(0, mark);
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
        if (raw_.empty() && file_drained_) break;
        if (units_capacity_ < raw_.size()) {
            units_capacity_ = raw_.size();
            units_ = std::make_unique<char16_t[]>(units_capacity_);
        }
        std::size_t count = 0;
        const std::size_t used = Decode(reinterpret_cast<const std::uint8_t*>(raw_.data()),
                                        raw_.size(), units_.get(), count);
        raw_.erase(0, used);
        const char16_t* p = units_.get();
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
    Start(0);
    encoding_ = EncodingAnsi;
    return ReadText(text, separator);
}

}  // namespace qx
