#include "console.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
// windows.h first: shellapi.h builds on it.
#include <shellapi.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

#include "os/codepage.h"

namespace qx::cli {
namespace {

bool IsHighSurrogate(char16_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLowSurrogate(char16_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

// Characters that change how text is shown rather than showing something:
// C0 and C1 controls, DEL, and the format characters that reorder or hide
// text (bidirectional overrides and isolates, zero-width characters, line
// and paragraph separators, the byte-order mark).
bool IsInvisible(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || (c >= 0x200B && c <= 0x200F) ||
           (c >= 0x2028 && c <= 0x202E) || (c >= 0x2060 && c <= 0x2069) || c == 0xFEFF;
}

void AppendOctal(std::string& out, unsigned char byte) {
    out += '\\';
    out += static_cast<char>('0' + (byte >> 6));
    out += static_cast<char>('0' + ((byte >> 3) & 7));
    out += static_cast<char>('0' + (byte & 7));
}

// Calls `visit(code_point, units, lone)` for each character of `text`; a lone
// surrogate (on POSIX, a byte of a name that is not UTF-8) comes as itself.
template <class Visit>
void ForEachCharacter(std::u16string_view text, Visit visit) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (IsHighSurrogate(u) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            visit(0x10000 + ((char32_t{u} - 0xD800) << 10) + (text[i + 1] - 0xDC00),
                  text.substr(i, 2), false);
            ++i;
        } else {
            visit(char32_t{u}, text.substr(i, 1), IsHighSurrogate(u) || IsLowSurrogate(u));
        }
    }
}

bool HasLoneSurrogate(std::u16string_view text) {
    bool lone = false;
    ForEachCharacter(text, [&](char32_t, std::u16string_view, bool l) { lone = lone || l; });
    return lone;
}

std::string Base64(std::string_view bytes) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t group = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) group |= static_cast<unsigned char>(bytes[i + 2]);
        out += kDigits[group >> 18];
        out += kDigits[(group >> 12) & 63];
        out += i + 1 < bytes.size() ? kDigits[(group >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kDigits[group & 63] : '=';
    }
    return out;
}

// Display columns of a character on a terminal: East Asian wide ones take two.
int Columns(char32_t c) {
    const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                      (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                      (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                      (c >= 0xFFE0 && c <= 0xFFE6) || c >= 0x1F300;
    return wide ? 2 : 1;
}

int TerminalColumns() {
#ifdef _WIN32
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info)) {
        return info.srWindow.Right - info.srWindow.Left + 1;
    }
#else
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
#endif
    return 80;
}

enum class OutputState { kFine, kPipeClosed, kFailed };
OutputState output_state = OutputState::kFine;

}  // namespace

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

#ifdef _WIN32
constexpr bool kBackslashIsSeparator = true;
#else
constexpr bool kBackslashIsSeparator = false;
#endif

std::string Escaped(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    ForEachCharacter(text, [&](char32_t c, std::u16string_view units, bool lone) {
        if (c == '\\') {
            out += kBackslashIsSeparator ? "\\" : "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (lone || IsInvisible(c)) {
            // A raw byte of a POSIX name as that byte, any other lone
            // surrogate in its three-byte form, a character as its UTF-8.
            std::string bytes;
            if (lone && c >= 0xDC80 && c <= 0xDCFF) {
                bytes.assign(1, static_cast<char>(c - 0xDC00));
            } else if (lone) {
                bytes = {static_cast<char>(0xE0 | (c >> 12)),
                         static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                         static_cast<char>(0x80 | (c & 0x3F))};
            } else {
                bytes = ToUtf8(units);
            }
            for (const char byte : bytes) AppendOctal(out, static_cast<unsigned char>(byte));
        } else {
            out += ToUtf8(units);
        }
    });
    return out;
}

std::string JsonString(std::u16string_view text) {
    std::string out = "\"";
    char escape[8];
    ForEachCharacter(text, [&](char32_t c, std::u16string_view units, bool lone) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F || c == 0x2028 || c == 0x2029) {
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            out += escape;
        } else if (lone) {
            out += "\xEF\xBF\xBD";  // U+FFFD; the exact bytes go in "path_bytes"
        } else {
            out += ToUtf8(units);
        }
    });
    out += '"';
    return out;
}

std::string JsonPath(std::u16string_view path) {
    std::string members = "\"path\":" + JsonString(path);
    if (HasLoneSurrogate(path)) members += ",\"path_bytes\":\"" + Base64(ToUtf8(path)) + "\"";
    return members;
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

void Output::Line(const std::string& line) {
    if (output_state != OutputState::kFine) return;
    errno = 0;
    const bool written = std::fwrite(line.data(), 1, line.size(), stdout) == line.size() &&
                         std::fputc('\n', stdout) != EOF && std::fflush(stdout) == 0;
    if (written) return;
    if (errno == EPIPE) {
        output_state = OutputState::kPipeClosed;
        return;
    }
    output_state = OutputState::kFailed;
    Error(std::string("cannot write the output: ") + std::strerror(errno ? errno : EIO));
}

void Output::Error(const std::string& what) {
    std::fprintf(stderr, "quellix: %s\n", what.c_str());
    std::fflush(stderr);
}

bool Output::Failed() {
    return output_state != OutputState::kFine;
}

int Output::FailureStatus() {
    switch (output_state) {
        case OutputState::kPipeClosed:
            return 141;  // as if the closed pipe's signal had ended the program
        case OutputState::kFailed:
            return 2;
        default:
            return 0;
    }
}

ProgressLine::ProgressLine(bool wanted) {
#ifdef _WIN32
    enabled_ = wanted && _isatty(_fileno(stderr));
#else
    enabled_ = wanted && isatty(STDERR_FILENO);
#endif
}

void ProgressLine::Show(long count, std::u16string_view path) {
    if (!enabled_) return;
    const long long now = std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::steady_clock::now().time_since_epoch())
                              .count();
    if (shown_ && now - last_ms_ < 100) return;
    last_ms_ = now;
    const std::string head = std::to_string(count) + "  ";
    // The path's tail that fits, the last column left free so that the
    // terminal never wraps.
    const int room = TerminalColumns() - 1 - static_cast<int>(head.size());
    if (room < 4) return;
    const std::u16string shown = FromUtf8(Escaped(path));
    // Where each character starts and how wide it is, then as many of the
    // last ones as fit, a column kept for the ellipsis when some are left.
    std::vector<std::pair<std::size_t, int>> characters;
    ForEachCharacter(shown, [&](char32_t c, std::u16string_view units, bool) {
        characters.emplace_back(static_cast<std::size_t>(units.data() - shown.data()), Columns(c));
    });
    int used = 0;
    std::size_t first = characters.size();
    while (first > 0 && used + characters[first - 1].second <= room - (first > 1 ? 1 : 0)) {
        used += characters[--first].second;
    }
    const std::size_t start = first < characters.size() ? characters[first].first : shown.size();
    const std::string tail = (start > 0 ? "\xE2\x80\xA6" : "") + ToUtf8(shown.substr(start));
    std::fprintf(stderr, "\r\033[K%s%s", head.c_str(), tail.c_str());
    std::fflush(stderr);
    shown_ = true;
}

void ProgressLine::Clear() {
    if (!enabled_ || !shown_) return;
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
    shown_ = false;
}

}  // namespace qx::cli
