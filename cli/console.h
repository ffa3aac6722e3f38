// What every command needs from the console: UTF-8 arguments and output on
// every platform, text and JSON that a hostile file name cannot bend,
// output that notices a closed pipe or a full disk, a progress line, and the
// usage error that ends a run with status 2.
#pragma once

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qx::cli {

// Bad usage or a run that cannot start: main prints "quellix: <what>" and exits 2.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The program's arguments in UTF-8 (on Windows taken from the wide command line).
std::vector<std::string> Utf8Arguments(int argc, char** argv);
// Makes the console take UTF-8 output (Windows).
void PrepareConsole();

// Conversions at the console boundary. On POSIX, bytes of a path that are not
// UTF-8 survive the round trip unchanged.
std::u16string FromUtf8(std::string_view text);
std::string ToUtf8(std::u16string_view text);

// `text` for a line of text output: backslash, control and format characters
// (line breaks, tabs, escape sequences, bidirectional overrides) and bytes
// that are not UTF-8 are written as backslash escapes, as `ls -b` does, so
// that a name can neither rewrite the terminal nor split a line or a field.
// On Windows a backslash is left as it is: it separates a path's names and is
// never part of one, nor is any control character, so nothing is ambiguous.
std::string Escaped(std::u16string_view text);

// `text` as a quoted JSON string in valid UTF-8: bytes of a name that are not
// UTF-8 become U+FFFD (see JsonPath).
std::string JsonString(std::u16string_view text);
// "path":"..." for a path, and ,"path_bytes":"<base64>" with its exact bytes
// when the name is not valid UTF-8, so that tools can still act on the file.
std::string JsonPath(std::u16string_view path);

// A path argument as the file system takes it.
std::filesystem::path FsPath(const std::string& utf8);

// Reads a whole file as bytes; throws UsageError naming `what` when it cannot.
std::string ReadFileBytes(const std::string& path, const char* what);
// Throws UsageError unless `path` is a directory that can be listed.
void RequireDirectory(const std::string& path);

// Standard output and error, line by line. A line that cannot be written
// stops the output for good: a closed pipe (the reader went away, as `| head`
// does) quietly, anything else with one line on standard error.
class Output {
  public:
    // Writes `line` and a line break to standard output, flushed.
    static void Line(const std::string& line);
    // "quellix: <what>" on standard error.
    static void Error(const std::string& what);
    static bool Failed();
    // The exit status a failed output demands (141 for a closed pipe, 2
    // otherwise); 0 when the output is fine.
    static int FailureStatus();
};

// One self-overwriting line on standard error, shown only on a terminal: the
// count of files and the current path, at most ten times a second, cut to the
// terminal's width, erased at the end.
class ProgressLine {
  public:
    explicit ProgressLine(bool wanted);
    ~ProgressLine() { Clear(); }
    void Show(long count, std::u16string_view path);
    void Clear();

  private:
    bool enabled_;
    bool shown_ = false;
    long long last_ms_ = 0;
};

}  // namespace qx::cli
