#include "os/path.h"

#include "os/codepage.h"

namespace qx::os {

bool FitPath(std::u16string_view path, std::u16string& out) {
    const bool fits = path.size() <= kMaxPathUnits;
    out.assign(path.substr(0, kMaxPathUnits));
    return fits;
}

bool JoinPath(std::u16string_view directory, std::u16string_view name, std::u16string& out) {
    out.clear();
    out.reserve(directory.size() + 1 + name.size());
    out.append(directory);
    out.push_back(kPathSeparator);
    out.append(name);
    if (out.size() <= kMaxPathUnits) return true;
    out.resize(kMaxPathUnits);
    return false;
}

std::u16string_view FileName(std::u16string_view path) {
    const std::size_t slash = path.rfind(kPathSeparator);
    return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

std::u16string_view Extension(std::u16string_view name) {
    const auto dot = name.rfind(u'.');
    return dot == std::u16string_view::npos ? std::u16string_view{} : name.substr(dot);
}

bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= u'A' && x <= u'Z') x += 0x20;
        if (y >= u'A' && y <= u'Z') y += 0x20;
        if (x != y) return false;
    }
    return true;
}

#ifndef _WIN32
std::string NativePath(std::u16string_view path) {
    return Utf16ToUtf8(path);
}
std::u16string PathFromNative(std::string_view bytes) {
    return Utf8ToUtf16(bytes);
}
void PathFromNative(std::string_view bytes, std::u16string& path) {
    Utf8ToUtf16(bytes, path);
}
const char* NativeName(std::u16string_view name) {
    thread_local std::string bytes;
    Utf16ToUtf8(name, bytes);
    return bytes.c_str();
}
#endif

}  // namespace qx::os
