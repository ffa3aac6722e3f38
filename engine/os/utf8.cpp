// Our own UTF-8 codec: exact, and lossless for arbitrary bytes so that file
// names that are not UTF-8 can still be reached and reported.
#include "os/codepage.h"

#include <cstring>

namespace qx::os {
namespace {

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

bool IsContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

// Length of the valid sequence at `p` (1 to 4) and its code point, or 0.
std::size_t DecodeSequence(const unsigned char* p, std::size_t left, char32_t& c) {
    const unsigned char b0 = p[0];
    if (b0 < 0x80) {
        c = b0;
        return 1;
    }
    std::size_t length;
    char32_t min;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2, min = 0x80, c = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3, min = 0x800, c = b0 & 0x0F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4, min = 0x10000, c = b0 & 0x07;
    } else {
        return 0;
    }
    if (left < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if (!IsContinuation(p[i])) return 0;
        c = (c << 6) | (p[i] & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    return length;
}

}  // namespace

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    Utf16ToUtf8(text, out);
    return out;
}

void Utf16ToUtf8(std::u16string_view text, std::string& out) {
    out.clear();
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (u < 0x80) {
            out.push_back(static_cast<char>(u));
        } else if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                   text[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((char32_t{u} - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (u >= 0xDC80 && u <= 0xDCFF) {
            out.push_back(static_cast<char>(u - 0xDC00));  // an escaped raw byte
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, u);
        }
    }
}

std::u16string Utf8ToUtf16(std::string_view bytes) {
    std::u16string out;
    Utf8ToUtf16(bytes, out);
    return out;
}

void Utf8ToUtf16(std::string_view bytes, std::u16string& out) {
    // No sequence yields more units than it has bytes.
    out.resize(bytes.size());
    char16_t* o = out.data();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (p[i] < 0x80) {
            *o++ = p[i++];
            continue;
        }
        char32_t c;
        const std::size_t length = DecodeSequence(p + i, bytes.size() - i, c);
        if (length == 0) {
            *o++ = static_cast<char16_t>(0xDC00 + p[i]);
            ++i;
            continue;
        }
        if (c >= 0x10000) {
            *o++ = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            *o++ = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            *o++ = static_cast<char16_t>(c);
        }
        i += length;
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
}

std::size_t Utf8Decoder::Decode(const std::uint8_t* bytes, std::size_t size, bool at_end,
                                char16_t* out, std::size_t& produced) {
    // No sequence yields more units than it has bytes.
    char16_t* o = out;
    std::size_t i = 0;
    while (i < size) {
        // Runs of ASCII, the bulk of script text, eight bytes at a time.
        while (i + 8 <= size) {
            std::uint64_t word;
            std::memcpy(&word, bytes + i, 8);
            if (word & 0x8080808080808080ull) break;
            for (int k = 0; k < 8; ++k) o[k] = bytes[i + k];
            o += 8, i += 8;
        }
        if (i == size) break;
        const std::uint8_t lead = bytes[i];
        if (lead < 0x80) {
            *o++ = lead;
            ++i;
            continue;
        }
        // The well-formed sequences: the ranges that the byte after the lead
        // may take narrow for E0, ED, F0 and F4 (no overlong forms, no
        // surrogates, nothing past U+10FFFF).
        std::size_t need;
        std::uint8_t low = 0x80, high = 0xBF;
        char32_t c;
        if (lead >= 0xC2 && lead <= 0xDF) {
            need = 1, c = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            need = 2, c = lead & 0x0F;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (max_bytes_ >= 4 && lead >= 0xF0 && lead <= 0xF4) {
            need = 3, c = lead & 0x07;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            *o++ = u'\uFFFD';  // a byte that starts nothing
            ++i;
            continue;
        }
        std::size_t taken = 1;
        while (taken <= need && i + taken < size) {
            const std::uint8_t next = bytes[i + taken];
            if (next < low || next > high) break;
            c = (c << 6) | (next & 0x3F);
            low = 0x80, high = 0xBF;
            ++taken;
        }
        if (taken > need) {
            if (c >= 0x10000) {
                *o++ = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
                *o++ = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
            } else {
                *o++ = static_cast<char16_t>(c);
            }
            i += taken;
            continue;
        }
        if (i + taken == size && !at_end) break;  // the rest may come with the next block
        *o++ = u'\uFFFD';  // cut short: the bytes that fit, and not the one that did not
        i += taken;
    }
    produced = static_cast<std::size_t>(o - out);
    return i;
}

}  // namespace qx::os
