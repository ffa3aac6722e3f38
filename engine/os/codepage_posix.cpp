// The ANSI code page on POSIX is the codeset of the LC_CTYPE locale, chosen
// once per process; the C locale's plain ASCII is taken as UTF-8.
#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <cstring>

#include "os/codepage.h"

namespace qx::os {
namespace {

const char* AnsiCodeset() {
    // Chosen on first use; C++ makes the initialisation of a local static
    // thread-safe, so every thread sees the one choice.
    static const std::string codeset = [] {
        const char* current = nl_langinfo(CODESET);
        if (current == nullptr || *current == '\0' || std::strcmp(current, "ANSI_X3.4-1968") == 0 ||
            std::strcmp(current, "ASCII") == 0 || std::strcmp(current, "US-ASCII") == 0) {
            return std::string("UTF-8");
        }
        return std::string(current);
    }();
    return codeset.c_str();
}

class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (Valid()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t Get() const { return cd_; }
    void Reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

  private:
    iconv_t cd_;
};

constexpr const char* kUtf16 = "UTF-16LE";

// Runs `cd` over the input, appending to `out` (whose element type is T)
// directly, without a staging buffer. On an invalid sequence calls
// `on_invalid(in, left)`, which returns false to give up. Returns the number
// of input bytes consumed.
template <class T, class OnInvalid>
std::size_t Convert(iconv_t cd, const char* input, std::size_t size, std::basic_string<T>& out,
                    bool at_end, OnInvalid on_invalid) {
    char* in = const_cast<char*>(input);
    std::size_t left = size;
    while (left > 0) {
        // Room for the common case in one call: no code page takes more
        // output units than input bytes, save a few that grow both ways.
        const std::size_t old = out.size();
        out.resize(old + (left + 8) * (sizeof(T) == 1 ? 4 : 1));
        char* outp = reinterpret_cast<char*>(out.data() + old);
        std::size_t room = (out.size() - old) * sizeof(T);
        const std::size_t r = iconv(cd, &in, &left, &outp, &room);
        out.resize(static_cast<std::size_t>(reinterpret_cast<T*>(outp) - out.data()));
        if (r != static_cast<std::size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        if (errno == EINVAL && !at_end) break;  // incomplete tail: wait for more bytes
        if (!on_invalid(in, left)) break;
    }
    return size - left;
}

}  // namespace

bool AnsiToUtf16(std::string_view bytes, std::u16string& out, std::string_view code_set) {
    out.clear();
    Converter converter(kUtf16, code_set.empty() ? AnsiCodeset() : std::string(code_set).c_str());
    if (!converter.Valid()) return false;
    bool ok = true;
    Convert(converter.Get(), bytes.data(), bytes.size(), out, true, [&](char*&, std::size_t&) {
        ok = false;
        return false;
    });
    return ok;
}

std::string Utf16ToAnsi(std::u16string_view text, std::string_view code_set) {
    std::string out;
    Converter converter(code_set.empty() ? AnsiCodeset() : std::string(code_set).c_str(), kUtf16);
    if (!converter.Valid()) return out;
    Convert(converter.Get(), reinterpret_cast<const char*>(text.data()), text.size() * 2, out, true,
            [&](char*& in, std::size_t& left) {
                // A character the codeset cannot hold: '?' for it, as Windows does.
                out.push_back('?');
                const std::size_t skip = left >= 4 && (in[1] & 0xFC) == 0xD8 ? 4 : 2;
                const std::size_t step = skip <= left ? skip : left;
                in += step;
                left -= step;
                return true;
            });
    return out;
}

std::u16string GbkToUtf16(std::string_view bytes) {
    std::u16string out;
    thread_local Converter converter(kUtf16, "GBK");
    if (!converter.Valid()) {
        for (const unsigned char byte : bytes)
            out.push_back(byte < 0x80 ? char16_t{byte} : u'\uFFFD');
        return out;
    }
    converter.Reset();
    Convert(converter.Get(), bytes.data(), bytes.size(), out, true,
            [&](char*& in, std::size_t& left) {
                out.push_back(u'\uFFFD');
                ++in;
                --left;
                converter.Reset();
                return true;
            });
    return out;
}

namespace {

// A code set that iconv converts.
class IconvDecoder : public TextDecoder {
  public:
    explicit IconvDecoder(const char* code_set) : converter_(kUtf16, code_set) {}
    bool Valid() const { return converter_.Valid(); }

    std::size_t Decode(const std::uint8_t* bytes, std::size_t size, bool at_end, char16_t* out,
                       std::size_t& produced) override {
        char* in = reinterpret_cast<char*>(const_cast<std::uint8_t*>(bytes));
        std::size_t left = size;
        char* to = reinterpret_cast<char*>(out);
        std::size_t room = size * sizeof(char16_t);
        while (left > 0) {
            if (iconv(converter_.Get(), &in, &left, &to, &room) != static_cast<std::size_t>(-1)) {
                break;
            }
            if (errno == EINVAL && !at_end) break;  // an incomplete tail: wait for more bytes
            if (errno == E2BIG || room < sizeof(char16_t)) break;
            // One replacement for the byte that cannot start a character;
            // the next byte starts afresh.
            std::memcpy(to, u"\uFFFD", sizeof(char16_t));
            to += sizeof(char16_t), room -= sizeof(char16_t);
            ++in, --left;
            converter_.Reset();
        }
        produced = (size * sizeof(char16_t) - room) / sizeof(char16_t);
        return size - left;
    }
    void Reset() override { converter_.Reset(); }

  private:
    Converter converter_;
};

bool IsUtf8(std::string_view code_set) {
    std::string folded;
    for (const char c : code_set) {
        if (c != '-' && c != '_')
            folded.push_back(static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c));
    }
    return folded == "UTF8";
}

}  // namespace

std::unique_ptr<TextDecoder> MakeDecoder(std::string_view code_set) {
    if (IsUtf8(code_set)) return std::make_unique<Utf8Decoder>();
    auto decoder = std::make_unique<IconvDecoder>(std::string(code_set).c_str());
    if (!decoder->Valid()) return nullptr;
    return decoder;
}

std::unique_ptr<TextDecoder> MakeAnsiDecoder() {
    std::unique_ptr<TextDecoder> decoder = MakeDecoder(AnsiCodeset());
    // No converter for this codeset: read it as UTF-8 rather than lose it.
    return decoder ? std::move(decoder) : std::make_unique<Utf8Decoder>();
}

}  // namespace qx::os
