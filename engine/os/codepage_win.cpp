// The ANSI code page on Windows: the calling thread's for strings crossing the
// interface, the system's for file text (code page 0).
#include <windows.h>

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

// The longest prefix of `bytes` that ends on a character boundary of the
// system code page.
std::size_t CompleteCharacters(const std::uint8_t* bytes, std::size_t size) {
    const UINT code_page = GetACP();
    if (code_page == CP_UTF8) {
        std::size_t end = size, back = 0;
        while (end > 0 && back < 3 && (bytes[end - 1] & 0xC0) == 0x80) --end, ++back;
        if (end == 0) return size;
        const std::uint8_t lead = bytes[end - 1];
        const std::size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        return need > back + 1 ? end - 1 : size;
    }
    std::size_t i = 0;
    while (i < size) {
        const std::size_t step = IsDBCSLeadByteEx(code_page, bytes[i]) ? 2 : 1;
        if (i + step > size) break;
        i += step;
    }
    return i;
}

}  // namespace

bool AnsiToUtf16(std::string_view bytes, std::u16string& out) {
    return MultiByteToUtf16(CP_THREAD_ACP, MB_ERR_INVALID_CHARS, bytes.data(), bytes.size(), out);
}

std::string Utf16ToAnsi(std::u16string_view text) {
    std::string out;
    if (text.empty()) return out;
    const int size = static_cast<int>(text.size());
    const int count = WideCharToMultiByte(CP_THREAD_ACP, 0, Wide(text.data()), size, nullptr, 0,
                                          nullptr, nullptr);
    if (count <= 0) return out;
    out.resize(static_cast<std::size_t>(count));
    WideCharToMultiByte(CP_THREAD_ACP, 0, Wide(text.data()), size, out.data(), count, nullptr,
                        nullptr);
    return out;
}

std::u16string GbkToUtf16(std::string_view bytes) {
    constexpr UINT kGbkCodePage = 936;
    std::u16string out;
    MultiByteToUtf16(kGbkCodePage, 0, bytes.data(), bytes.size(), out);
    return out;
}

struct AnsiStreamDecoder::State {};

AnsiStreamDecoder::AnsiStreamDecoder() = default;
AnsiStreamDecoder::~AnsiStreamDecoder() = default;

std::size_t AnsiStreamDecoder::Decode(const std::uint8_t* bytes, std::size_t size, bool at_end,
                                      std::u16string& out) {
    const std::size_t take = at_end ? size : CompleteCharacters(bytes, size);
    std::u16string part;
    if (!MultiByteToUtf16(CP_ACP, 0, reinterpret_cast<const char*>(bytes), take, part)) {
        // Only a broken code page gets here: keep the bytes rather than lose them.
        part.assign(bytes, bytes + take);
    }
    out.append(part);
    return take;
}

}  // namespace qx::os
