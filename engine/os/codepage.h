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
void Utf16ToUtf8(std::u16string_view text, std::string& out);  // into `out`, its buffer kept

// UTF-8 to UTF-16. Each byte that does not start a valid sequence becomes
// U+DC00 + byte, so that any byte string round-trips through Utf16ToUtf8.
std::u16string Utf8ToUtf16(std::string_view bytes);
void Utf8ToUtf16(std::string_view bytes, std::u16string& out);  // into `out`, its buffer kept

// ANSI code page (or the code set named as MakeDecoder names it) to UTF-16;
// false when the bytes are not valid in it or the code set is unknown.
bool AnsiToUtf16(std::string_view bytes, std::u16string& out, std::string_view code_set = {});

// UTF-16 to the ANSI code page (or the named code set). Characters it cannot
// represent become its default character ('?' on POSIX); empty when the code
// set is unknown.
std::string Utf16ToAnsi(std::u16string_view text, std::string_view code_set = {});

// Code page 936 (GBK) to UTF-16 whatever the locale or the ANSI code page:
// the encoding that some file formats fix (the IP database's strings). Bytes
// that do not decode become U+FFFD.
std::u16string GbkToUtf16(std::string_view bytes);

// Decodes a stream of bytes in one code set into UTF-16, block after block;
// a character cut by the end of one block is completed by the next. Invalid
// bytes become U+FFFD, and a byte that cannot continue a character is never
// taken with it.
class TextDecoder {
  public:
    virtual ~TextDecoder() = default;
    // Decodes `bytes` into `out`, which has room for `size` units (no code
    // set makes more units than bytes), and sets `produced` to the units
    // written; returns how many bytes were consumed (fewer than `size` only
    // when the tail is an incomplete character and `at_end` is false).
    virtual std::size_t Decode(const std::uint8_t* bytes, std::size_t size, bool at_end,
                               char16_t* out, std::size_t& produced) = 0;
    // Forgets what a previous stream left behind.
    virtual void Reset() {}
    // Whether this is our own UTF-8 decoder, which readers may bypass for
    // ASCII.
    virtual bool IsUtf8() const { return false; }
};

// Our own UTF-8 decoder: sequences of up to `max_bytes` bytes (3 or 4) decode;
// every invalid or truncated sequence becomes one U+FFFD for its maximal
// invalid part (the lead byte and the continuation bytes that fit it).
class Utf8Decoder : public TextDecoder {
  public:
    explicit Utf8Decoder(int max_bytes = 4) : max_bytes_(max_bytes) {}
    std::size_t Decode(const std::uint8_t* bytes, std::size_t size, bool at_end, char16_t* out,
                       std::size_t& produced) override;
    bool IsUtf8() const override { return true; }

  private:
    int max_bytes_;
};

// The decoder of a code set named as the platform names it ("UTF-8",
// "GB18030", "GBK", "BIG5", "SHIFT_JIS", "CP1252", ...); null when the
// platform does not know it. UTF-8 is decoded by our own decoder.
std::unique_ptr<TextDecoder> MakeDecoder(std::string_view code_set);
// The ANSI code page's decoder (see above for what that is per platform).
std::unique_ptr<TextDecoder> MakeAnsiDecoder();

}  // namespace qx::os
