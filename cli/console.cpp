#include "console.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
// windows.h first: shellapi.h builds on it.
#include <shellapi.h>
#else
#include <unistd.h>
#endif

#include "os/codepage.h"

namespace qx::cli {

std::u16string FromUtf8(std::string_view text) {
#ifdef _WIN32
    std::u16string out;
    if (text.empty()) return out;
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    out.resize(static_cast<std::size_t>(n));
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                        reinterpret_cast<wchar_t*>(out.data()), n);
    return out;
#else
    return os::Utf8ToUtf16(text);
#endif
}

std::string ToUtf8(std::u16string_view text) {
    return os::Utf16ToUtf8(text);
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
#ifdef _WIN32
    (void)argc, (void)argv;
    std::vector<std::string> args;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 0; i < count; ++i) {
        args.push_back(ToUtf8(reinterpret_cast<const char16_t*>(wide[i])));
    }
    LocalFree(wide);
    return args;
#else
    return std::vector<std::string>(argv, argv + argc);
#endif
}

void PrepareConsole() {
#ifdef _WIN32
    SetConsoleOutputCP(CP_UTF8);
#endif
}

std::string JsonString(std::u16string_view text) {
    std::string out = "\"";
    char escape[8];
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        const bool high = u >= 0xD800 && u <= 0xDBFF;
        const bool paired =
            high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        if (u == u'"' || u == u'\\') {
            out += '\\';
            out += static_cast<char>(u);
        } else if (u < 0x20 || (u >= 0xD800 && u <= 0xDFFF && !paired)) {
            // Control characters, and the lone surrogates that stand for a
            // file name's raw bytes, as escapes: the line stays valid UTF-8.
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(u));
            out += escape;
        } else if (paired) {
            out += ToUtf8(text.substr(i, 2));
            ++i;
        } else {
            out += ToUtf8(text.substr(i, 1));
        }
    }
    out += '"';
    return out;
}

std::filesystem::path FsPath(const std::string& utf8) {
#ifdef _WIN32
    return std::filesystem::path(FromUtf8(utf8));
#else
    return std::filesystem::path(utf8);  // already the file system's bytes
#endif
}

std::string ReadFileBytes(const std::string& path, const char* what) {
    std::ifstream in(FsPath(path), std::ios::binary);
    std::ostringstream bytes;
    if (in) bytes << in.rdbuf();
    if (!in || in.bad()) throw UsageError(std::string("cannot read ") + what + ": " + path);
    return bytes.str();
}

void RequireDirectory(const std::string& path) {
    std::error_code error;
    const std::filesystem::path p = FsPath(path);
    if (!std::filesystem::is_directory(p, error)) {
        throw UsageError("not a directory: " + path);
    }
    std::filesystem::directory_iterator listing(p, error);
    if (error) throw UsageError("cannot read directory: " + path);
}

ProgressLine::ProgressLine(bool wanted) {
#ifdef _WIN32
    enabled_ = wanted && _isatty(_fileno(stderr));
#else
    enabled_ = wanted && isatty(STDERR_FILENO);
#endif
}

void ProgressLine::Show(int count, std::u16string_view path) {
    if (!enabled_) return;
    std::string shown =
        path.size() > 100 ? "..." + ToUtf8(path.substr(path.size() - 97)) : ToUtf8(path);
    std::fprintf(stderr, "\r\033[K%d  %s", count, shown.c_str());
    shown_ = true;
}

void ProgressLine::Clear() {
    if (!enabled_ || !shown_) return;
    std::fprintf(stderr, "\r\033[K");
    shown_ = false;
}

}  // namespace qx::cli
