#include <iconv.h>
#include <langinfo.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <string>

#include "ansi_text.h"

namespace qx::netview {
namespace {

constexpr char16_t kReplacement = u'\uFFFD';

std::string SourceCodeset() {
    const std::string codeset = nl_langinfo(CODESET);
    if (codeset == "UTF-8" || codeset == "ANSI_X3.4-1968" || codeset == "ASCII" ||
        codeset == "US-ASCII") {
        return "GBK";
    }
    return codeset;
}

const char* Utf16Native() {
    return std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
}

}  // namespace

AnsiDecoder::AnsiDecoder() {
    iconv_t converter = iconv_open(Utf16Native(), SourceCodeset().c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) converter = iconv_open(Utf16Native(), "GBK");
    converter_ = converter == reinterpret_cast<iconv_t>(-1) ? nullptr : converter;
}

AnsiDecoder::~AnsiDecoder() {
    if (converter_ != nullptr) iconv_close(static_cast<iconv_t>(converter_));
}

std::u16string AnsiDecoder::Decode(std::string_view bytes) {
    std::u16string text;
    if (converter_ == nullptr) {
        for (const char byte : bytes) {
            text.push_back(static_cast<unsigned char>(byte) < 0x80 ? char16_t(byte) : kReplacement);
        }
        return text;
    }
    const auto converter = static_cast<iconv_t>(converter_);
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    // Every byte yields at most one UTF-16 unit in the multibyte code pages
    // this reads, GB18030's four-byte sequences at most two.
    text.resize(bytes.size() + 1);
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* out = reinterpret_cast<char*>(text.data());
    std::size_t outLeft = text.size() * sizeof(char16_t);
    while (inLeft > 0) {
        if (iconv(converter, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG || outLeft < sizeof(char16_t)) break;
        // An invalid or cut-off sequence: one replacement for its first byte.
        std::memcpy(out, &kReplacement, sizeof kReplacement);
        out += sizeof(char16_t);
        outLeft -= sizeof(char16_t);
        ++in;
        --inLeft;
    }
    text.resize(text.size() - outLeft / sizeof(char16_t));
    return text;
}

}  // namespace qx::netview
