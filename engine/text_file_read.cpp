// The reader decodes the file block by block into UTF-16 units and cuts lines
// out of the units. Line terminators are CR LF, a lone LF or a lone CR.
#include "text_file_read.h"

#include <algorithm>

namespace qx {
namespace {

constexpr std::size_t kBlockBytes = 64 * 1024;
constexpr char16_t kCr = 13;
constexpr char16_t kLf = 10;

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
    first_line_ = true;
    truncated_ = false;
    raw_.clear();
    units_.clear();
    next_unit_ = 0;
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

std::size_t CTextFileRead::DecodeUtf16(const std::uint8_t* bytes, std::size_t size) {
    const std::size_t pairs = size / 2;
    const std::size_t old = units_.size();
    units_.resize(old + pairs);
    char16_t* out = units_.data() + old;
    const bool big = encoding_ == EncodingUtf16BigEndian;
    for (std::size_t i = 0; i < pairs; ++i) {
        const std::uint8_t b0 = bytes[2 * i], b1 = bytes[2 * i + 1];
        out[i] = static_cast<char16_t>(big ? (b0 << 8) | b1 : (b1 << 8) | b0);
    }
    return pairs * 2;
}

bool CTextFileRead::FillUnits() {
    units_.erase(0, next_unit_);
    next_unit_ = 0;
    while (units_.empty()) {
        if (!file_drained_) ReadBlock();
        if (raw_.empty() && file_drained_) return false;
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(raw_.data());
        std::size_t used;
        switch (encoding_) {
            case EncodingUtf16BigEndian:
            case EncodingUtf16LittleEndian:
                used = DecodeUtf16(bytes, raw_.size());
                if (file_drained_) used = raw_.size();  // a lone last byte makes no unit
                break;
            case EncodingUtf8:
                used = marked_utf8_.Decode(bytes, raw_.size(), file_drained_, units_);
                break;
            default:
                used = unmarked_->Decode(bytes, raw_.size(), file_drained_, units_);
                break;
        }
        raw_.erase(0, used);
    }
    return true;
}

bool CTextFileRead::NextUnit(char16_t& unit) {
    if (next_unit_ == units_.size() && !FillUnits()) return false;
    unit = units_[next_unit_++];
    return true;
}

bool CTextFileRead::AppendLine(std::u16string& out, std::size_t room) {
    if (end_of_file_) return false;
    char16_t c;
    const bool got = NextUnit(c);
    if (got && !first_line_) {
        // `c` is the terminator that ended the previous line.
        bool more = true;
        if (c == kCr) more = NextUnit(c);
        if (more && c == kLf) more = NextUnit(c);
        if (!more) {
            end_of_file_ = true;
            return true;
        }
    }
    first_line_ = false;
    if (!got) {
        end_of_file_ = true;
        return true;
    }
    --next_unit_;  // `c` starts the line (or ends it at once)
    for (;;) {
        if (next_unit_ == units_.size() && !FillUnits()) {
            end_of_file_ = true;
            return true;
        }
        const char16_t* begin = units_.data() + next_unit_;
        const char16_t* end = units_.data() + units_.size();
        const char16_t* stop =
            std::find_if(begin, end, [](char16_t u) { return u == kCr || u == kLf; });
        auto count = static_cast<std::size_t>(stop - begin);
        if (out.size() + count > room) {
            // The text is full: what is left is not read.
            out.append(begin, room - out.size());
            truncated_ = true;
            end_of_file_ = true;
            return true;
        }
        out.append(begin, stop);
        next_unit_ += count;
        if (stop != end) return true;
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
    bool first = true;
    while (!end_of_file_) {
        if (!first) {
            if (text.size() + separator.size() > kMaxTextUnits) {
                truncated_ = true;
                break;
            }
            text.append(separator);
        }
        first = false;
        AppendLine(text, kMaxTextUnits);
    }
    return true;
}

bool CTextFileRead::ReadAgainUnmarked(std::u16string& text, std::u16string_view separator) {
    if (!IsOpen()) return false;
    Start(0);
    encoding_ = EncodingAnsi;
    return ReadText(text, separator);
}

}  // namespace qx
