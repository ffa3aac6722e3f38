// Conversions between UTF-16 and the byte encodings the engine meets: UTF-8
// (our own codec, exact and lossless for file names) and the ANSI code page
// (through the platform: MultiByteToWideChar and friends on Windows, iconv on
// POSIX, where the ANSI code page is the LC_CTYPE codeset and UTF-8 stands in
// for plain ASCII).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace qx::os {

// UTF-16 to UTF-8. Units U+DC80..U+DCFF that stand alone become the single
// bytes 0x80..0xFF (see Utf8ToUtf16); other lone surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// UTF-8 to UTF-16. Each byte that does not start a valid sequence becomes
// U+DC00 + byte, so that any byte string round-trips through Utf16ToUtf8.
std::u16string Utf8ToUtf16(std::string_view bytes);

// ANSI code page to UTF-16; false when the bytes are not valid in it.
bool AnsiToUtf16(std::string_view bytes, std::u16string& out);

// UTF-16 to the ANSI code page. Characters it cannot represent become its
// default character ('?' on POSIX).
std::string Utf16ToAnsi(std::u16string_view text);

// Code page 936 (GBK) to UTF-16 whatever the locale or the ANSI code page:
// the encoding that some file formats fix (the IP database's strings). Bytes
// that do not decode become U+FFFD.
std::u16string GbkToUtf16(std::string_view bytes);

// Decodes a stream of bytes in the ANSI code page, block after block; a
// character cut by the end of one block is completed by the next. Invalid
// bytes become U+FFFD.
class AnsiStreamDecoder {
  public:
    AnsiStreamDecoder();
    ~AnsiStreamDecoder();
    AnsiStreamDecoder(const AnsiStreamDecoder&) = delete;
    AnsiStreamDecoder& operator=(const AnsiStreamDecoder&) = delete;

    // Appends the decoded units of `bytes` to `out`; returns how many bytes
    // were consumed (fewer than `size` only when the tail is an incomplete
    // character and `at_end` is false).
    std::size_t Decode(const std::uint8_t* bytes, std::size_t size, bool at_end,
                       std::u16string& out);

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace qx::os
