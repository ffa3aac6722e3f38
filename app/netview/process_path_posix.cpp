#include <unistd.h>

#include <string>
#include <string_view>

#include "connection_rows.h"

namespace qx::netview {
namespace {

// UTF-8 to UTF-16, each byte that does not start a valid sequence carried as
// U+DC00 + byte: the convention by which the console writes the path's
// original bytes back out.
std::u16string FileSystemText(std::string_view bytes) {
    std::u16string text;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[at]);
        const int length = lead < 0x80                   ? 1
                           : lead >= 0xC2 && lead < 0xE0 ? 2
                           : lead >= 0xE0 && lead < 0xF0 ? 3
                           : lead >= 0xF0 && lead < 0xF5 ? 4
                                                         : 0;
        char32_t code = length == 1   ? lead
                        : length == 2 ? lead & 0x1F
                        : length == 3 ? lead & 0x0F
                                      : lead & 0x07;
        bool valid = length > 0 && at + length <= bytes.size();
        for (int i = 1; valid && i < length; ++i) {
            const auto next = static_cast<unsigned char>(bytes[at + i]);
            valid = (next & 0xC0) == 0x80;
            code = code << 6 | (next & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        valid = valid && !(length == 3 && code < 0x800) && !(length == 4 && code < 0x10000) &&
                !(code >= 0xD800 && code <= 0xDFFF) && code <= 0x10FFFF;
        if (!valid) {
            text.push_back(static_cast<char16_t>(0xDC00 + lead));
            ++at;
            continue;
        }
        if (code >= 0x10000) {
            text.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
            text.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        } else {
            text.push_back(static_cast<char16_t>(code));
        }
        at += static_cast<std::size_t>(length);
    }
    return text;
}

}  // namespace

std::u16string ProcessPath(std::uint32_t processId) {
    if (processId != 0) {
        const std::string link = "/proc/" + std::to_string(processId) + "/exe";
        char target[4096];
        const ssize_t length = readlink(link.c_str(), target, sizeof target);
        if (length > 0 && static_cast<std::size_t>(length) < sizeof target) {
            return FileSystemText({target, static_cast<std::size_t>(length)});
        }
    }
    return u"NT OS Kernel";
}

}  // namespace qx::netview
