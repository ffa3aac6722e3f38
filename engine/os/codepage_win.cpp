// The ANSI code page on Windows: the calling thread's for strings crossing the
// interface, the system's for file text (code page 0).
#include <windows.h>

#include <algorithm>

#include "os/codepage.h"

namespace qx::os {
namespace {

const wchar_t* Wide(const char16_t* p) {
    return reinterpret_cast<const wchar_t*>(p);
}
wchar_t* Wide(char16_t* p) {
    return reinterpret_cast<wchar_t*>(p);
}

bool MultiByteToUtf16(UINT code_page, DWORD flags, const char* bytes, std::size_t size,
                      std::u16string& out) {
    out.clear();
    if (size == 0) return true;
    const int count =
        MultiByteToWideChar(code_page, flags, bytes, static_cast<int>(size), nullptr, 0);
    if (count <= 0) return false;
    out.resize(static_cast<std::size_t>(count));
    return MultiByteToWideChar(code_page, flags, bytes, static_cast<int>(size), Wide(out.data()),
                               count) == count;
}

constexpr UINT kGb18030 = 54936;

// Bytes in the character that starts at `bytes[i]` in a multi-byte code page.
std::size_t CharacterBytes(UINT code_page, const std::uint8_t* bytes, std::size_t i,
                           std::size_t size) {
    if (code_page != kGb18030) return IsDBCSLeadByteEx(code_page, bytes[i]) ? 2 : 1;
    if (bytes[i] < 0x81 || bytes[i] == 0xFF) return 1;
    // Four bytes when a digit follows the lead, else two.
    return i + 1 < size && bytes[i + 1] >= 0x30 && bytes[i + 1] <= 0x39 ? 4 : 2;
}

// The longest prefix of `bytes` that ends on a character boundary.
std::size_t CompleteCharacters(UINT code_page, const std::uint8_t* bytes, std::size_t size) {
    std::size_t i = 0;
    while (i < size) {
        const std::size_t step = CharacterBytes(code_page, bytes, i, size);
        if (i + step > size) break;
        i += step;
    }
    return i;
}

// The code page of a code set's name; 0 when it has none (further below).
UINT CodePageOf(std::string_view name);

}  // namespace

bool AnsiToUtf16(std::string_view bytes, std::u16string& out, std::string_view code_set) {
    const UINT code_page = code_set.empty() ? CP_THREAD_ACP : CodePageOf(code_set);
    if (code_page == 0) return false;
    return MultiByteToUtf16(code_page, MB_ERR_INVALID_CHARS, bytes.data(), bytes.size(), out);
}

std::string Utf16ToAnsi(std::u16string_view text, std::string_view code_set) {
    std::string out;
    const UINT code_page = code_set.empty() ? CP_THREAD_ACP : CodePageOf(code_set);
    if (text.empty() || code_page == 0) return out;
    const int size = static_cast<int>(text.size());
    const int count =
        WideCharToMultiByte(code_page, 0, Wide(text.data()), size, nullptr, 0, nullptr, nullptr);
    if (count <= 0) return out;
    out.resize(static_cast<std::size_t>(count));
    WideCharToMultiByte(code_page, 0, Wide(text.data()), size, out.data(), count, nullptr, nullptr);
    return out;
}

std::u16string GbkToUtf16(std::string_view bytes) {
    constexpr UINT kGbkCodePage = 936;
    std::u16string out;
    MultiByteToUtf16(kGbkCodePage, 0, bytes.data(), bytes.size(), out);
    return out;
}

namespace {

// A code page that the system converts.
class CodePageDecoder : public TextDecoder {
  public:
    explicit CodePageDecoder(UINT code_page) : code_page_(code_page) {}

    std::size_t Decode(const std::uint8_t* bytes, std::size_t size, bool at_end, char16_t* out,
                       std::size_t& produced) override {
        const std::size_t take = at_end ? size : CompleteCharacters(code_page_, bytes, size);
        const int units =
            take == 0
                ? 0
                : MultiByteToWideChar(code_page_, 0, reinterpret_cast<const char*>(bytes),
                                      static_cast<int>(take), Wide(out), static_cast<int>(size));
        if (units > 0 || take == 0) {
            produced = static_cast<std::size_t>(units);
        } else {
            // Only a broken code page gets here: keep the bytes rather than lose them.
            std::copy(bytes, bytes + take, out);
            produced = take;
        }
        return take;
    }

  private:
    UINT code_page_;
};

// Code page numbers of the code set names that scripts are saved in.
UINT CodePageOf(std::string_view name) {
    std::string folded;
    for (const char c : name) {
        if (c != '-' && c != '_')
            folded.push_back(static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c));
    }
    static const struct {
        const char* name;
        UINT code_page;
    } kNames[] = {
        {"UTF8", CP_UTF8},     {"GBK", 936},         {"GB2312", 936},     {"CP936", 936},
        {"GB18030", kGb18030}, {"BIG5", 950},        {"CP950", 950},      {"SHIFTJIS", 932},
        {"SJIS", 932},         {"CP932", 932},       {"EUCKR", 949},      {"CP949", 949},
        {"EUCJP", 20932},      {"KOI8R", 20866},     {"ISO88591", 28591}, {"LATIN1", 28591},
        {"ISO88592", 28592},   {"ISO885915", 28605},
    };
    for (const auto& entry : kNames) {
        if (folded == entry.name) return entry.code_page;
    }
    // CP1252, WINDOWS1251, or a bare number.
    std::string_view digits = folded;
    if (digits.rfind("WINDOWS", 0) == 0)
        digits.remove_prefix(7);
    else if (digits.rfind("CP", 0) == 0)
        digits.remove_prefix(2);
    if (digits.empty() || digits.size() > 5) return 0;
    UINT number = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return 0;
        number = number * 10 + static_cast<UINT>(c - '0');
    }
    return IsValidCodePage(number) ? number : 0;
}

}  // namespace

std::unique_ptr<TextDecoder> MakeDecoder(std::string_view code_set) {
    const UINT code_page = CodePageOf(code_set);
    if (code_page == CP_UTF8) return std::make_unique<Utf8Decoder>();
    if (code_page == 0) return nullptr;
    return std::make_unique<CodePageDecoder>(code_page);
}

std::unique_ptr<TextDecoder> MakeAnsiDecoder() {
    const UINT code_page = GetACP();
    if (code_page == CP_UTF8) return std::make_unique<Utf8Decoder>();
    return std::make_unique<CodePageDecoder>(code_page);
}

}  // namespace qx::os
