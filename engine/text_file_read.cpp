// The reader decodes the file block by block into UTF-16 units and writes
// them into the text, each line terminator (CR LF, a lone LF or a lone CR)
// as the separator.
#include "text_file_read.h"

#include <algorithm>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

// Copies ASCII bytes other than CR and LF from `p` (of `n`) to `out` as
// units, the letters A to Z lowered when asked, and returns how many it
// copied. Sixteen bytes a step: each step stores all sixteen units and then
// counts only those before the first byte that stops it, so `out` needs room
// for `n` units.
std::size_t CopyPlainAscii(const std::uint8_t* p, std::size_t n, char16_t* out, bool fold) {
    std::size_t i = 0;
#ifdef __SSE2__
    const __m128i cr = _mm_set1_epi8(kCr), lf = _mm_set1_epi8(kLf), zero = _mm_setzero_si128(),
                  below_a = _mm_set1_epi8('A' - 1), above_z = _mm_set1_epi8('Z' + 1),
                  gap = _mm_set1_epi8(0x20);
    for (; i + 16 <= n; i += 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i breaks = _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf));
        const int stops = _mm_movemask_epi8(_mm_or_si128(v, breaks));
        if (fold) {
            // Bytes from 0x80 compare as negative and are never taken for letters.
            const __m128i upper =
                _mm_and_si128(_mm_cmpgt_epi8(v, below_a), _mm_cmpgt_epi8(above_z, v));
            v = _mm_add_epi8(v, _mm_and_si128(upper, gap));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(v, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_unpackhi_epi8(v, zero));
        if (stops != 0)
            return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(stops)));
    }
#endif
    for (; i < n; ++i) {
        const unsigned byte = p[i];
        if (byte >= 0x80 || byte == kCr || byte == kLf) break;
        out[i] = static_cast<char16_t>(fold ? byte + ((byte - 'A' < 26u) << 5) : byte);
    }
    return i;
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
    ScratchBuffer<char>& raw = buffers_->raw;
    if (in_memory_) {
        const std::string_view block = memory_.substr(offset_, kBlockBytes);
        if (block.empty()) {
            file_drained_ = true;
            return;
        }
        std::memcpy(raw.Room(block.size()), block.data(), block.size());
        raw.Commit(block.size());
        offset_ += block.size();
        return;
    }
    const std::int64_t n = file_.ReadSomeAt(offset_, raw.Room(kBlockBytes), kBlockBytes);
    if (n < 0) {
        raw.clear();
        const std::uint32_t error = file_.LastError();
        file_.Close();
        throw CTextFileException(error);
    }
    raw.Commit(static_cast<std::size_t>(n));
    offset_ += static_cast<std::uint64_t>(n);
    // Reaching the size the file had when it was opened ends the read: no
    // call is spent to hear that nothing follows (a file that grows
    // meanwhile is read as it was).
    if (n == 0 || offset_ >= static_cast<std::uint64_t>(file_.SizeAtOpen())) file_drained_ = true;
}

void CTextFileRead::DetectEncoding() {
    while (buffers_->raw.size() < 3 && !file_drained_) ReadBlock();
    const auto byte = [&](std::size_t i) {
        return static_cast<std::uint8_t>(buffers_->raw.data()[i]);
    };
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
    buffers_->raw.Consume(mark);
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

std::size_t CTextFileRead::JoinLines(const char16_t* units, std::size_t count,
                                     std::u16string_view separator, char16_t* out) {
    char16_t* o = out;
    for (const char16_t* p = units; p != units + count;) {
        if (after_cr_ && *p == kLf) ++p;
        after_cr_ = false;
        const char16_t* stop = FindLineBreak(p, units + count);
        std::copy(p, stop, o);
        if (fold_) LowerAsciiLetters(o, static_cast<std::size_t>(stop - p));
        o += stop - p;
        if (stop == units + count) break;
        o = std::copy(separator.begin(), separator.end(), o);
        after_cr_ = *stop == kCr;
        p = stop + 1;
    }
    return static_cast<std::size_t>(o - out);
}

std::size_t CTextFileRead::DecodeUtf8Lines(const std::uint8_t* bytes, std::size_t size,
                                           os::TextDecoder& decoder, std::u16string_view separator,
                                           char16_t* out, std::size_t& produced) {
    char16_t* o = out;
    std::size_t i = 0;
    while (i < size) {
        // The bulk of script text: ASCII without line breaks, many bytes a step.
        const std::size_t plain = CopyPlainAscii(bytes + i, size - i, o, fold_);
        if (plain > 0) {
            o += plain, i += plain;
            after_cr_ = false;
            if (i == size) break;
        }
        const std::uint8_t byte = bytes[i];
        if (byte == kCr || byte == kLf) {
            // Unit by unit: a separator is a unit or two, too short for a copy call.
            if (!(byte == kLf && after_cr_)) {
                for (const char16_t unit : separator) *o++ = unit;
            }
            after_cr_ = byte == kCr;
            ++i;
            continue;
        }
        // A run of other bytes goes to the decoder; a sequence it leaves at
        // the end of the block is completed by the next one.
        std::size_t end = i;
        while (end < size && bytes[end] >= 0x80) ++end;
        std::size_t units = 0;
        const std::size_t used =
            decoder.Decode(bytes + i, end - i, end < size || file_drained_, o, units);
        o += units, i += used;
        after_cr_ = false;
        if (i < end) break;
    }
    produced = static_cast<std::size_t>(o - out);
    return i;
}

bool CTextFileRead::ReadText(TextBuffer& text, std::u16string_view separator) {
    if (!IsOpen()) return false;
    text.clear();
    // A line break may become a longer separator.
    const std::size_t widening = std::max<std::size_t>(1, separator.size());
    const std::int64_t size =
        in_memory_ ? static_cast<std::int64_t>(memory_.size()) : file_.SizeAtOpen();
    if (size > 0) {
        // Room for the text the file's size foretells, and beyond it for the
        // most that the last bytes waiting (two blocks) may decode to before
        // the text is cut at its cap: the text is not moved as it grows.
        const auto units =
            static_cast<std::size_t>(size) /
            (encoding_ == EncodingUtf16BigEndian || encoding_ == EncodingUtf16LittleEndian ? 2 : 1);
        text.Room(std::min(units + units / 16 + 2, kMaxTextUnits) + 2 * kBlockBytes * widening + 2);
    }
    after_cr_ = false;
    ScratchBuffer<char>& raw = buffers_->raw;
    std::vector<char16_t>& units = buffers_->units;
    // UTF-8, marked or not, is decoded and joined in one step.
    os::TextDecoder* const utf8 = encoding_ == EncodingUtf8                          ? &marked_utf8_
                                  : encoding_ == EncodingAnsi && unmarked_->IsUtf8() ? unmarked_
                                                                                     : nullptr;
    while (!end_of_file_) {
        if (!file_drained_) ReadBlock();
        if (raw.empty() && file_drained_) break;
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(raw.data());
        char16_t* const out = text.Room(raw.size() * widening + 2);
        std::size_t count = 0, used;
        if (utf8) {
            used = DecodeUtf8Lines(bytes, raw.size(), *utf8, separator, out, count);
        } else {
            if (units.size() < raw.size()) units.resize(raw.size());
            std::size_t decoded = 0;
            used = Decode(bytes, raw.size(), units.data(), decoded);
            count = JoinLines(units.data(), decoded, separator, out);
        }
        raw.Consume(used);
        if (text.size() + count > kMaxTextUnits) {
            // The text is full: what is left is not read.
            text.Commit(kMaxTextUnits - text.size());
            truncated_ = true;
            break;
        }
        text.Commit(count);
        if (used == 0 && file_drained_) break;  // a tail that cannot decode further
    }
    end_of_file_ = true;
    return true;
}

bool CTextFileRead::ReadAgainUnmarked(TextBuffer& text, std::u16string_view separator) {
    if (!IsOpen()) return false;
    const bool utf16 =
        encoding_ == EncodingUtf16BigEndian || encoding_ == EncodingUtf16LittleEndian;
    Start(utf16 ? 2 : 0);
    encoding_ = EncodingAnsi;
    return ReadText(text, separator);
}

}  // namespace qx
