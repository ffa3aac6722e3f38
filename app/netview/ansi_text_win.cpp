#include <windows.h>

#include "ansi_text.h"

namespace qx::netview {
namespace {
constexpr unsigned kGbkCodePage = 936;
}

AnsiDecoder::AnsiDecoder() : codePage_(GetACP() == CP_UTF8 ? kGbkCodePage : GetACP()) {}

AnsiDecoder::~AnsiDecoder() = default;

std::u16string AnsiDecoder::Decode(std::string_view bytes) {
    std::u16string text;
    if (bytes.empty()) return text;
    const int size = static_cast<int>(bytes.size());
    const int units = MultiByteToWideChar(codePage_, 0, bytes.data(), size, nullptr, 0);
    if (units <= 0) return text;
    text.resize(static_cast<std::size_t>(units));
    MultiByteToWideChar(codePage_, 0, bytes.data(), size, reinterpret_cast<wchar_t*>(text.data()),
                        units);
    return text;
}

}  // namespace qx::netview
