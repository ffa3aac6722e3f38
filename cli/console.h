// What every command needs from the console: UTF-8 arguments and output on
// every platform, JSON strings, a progress line, and the usage error that
// ends a run with status 2.
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

// `text` as a quoted JSON string.
std::string JsonString(std::u16string_view text);

// A path argument as the file system takes it.
std::filesystem::path FsPath(const std::string& utf8);

// Reads a whole file as bytes; throws UsageError naming `what` when it cannot.
std::string ReadFileBytes(const std::string& path, const char* what);
// Throws UsageError unless `path` is a directory that can be listed.
void RequireDirectory(const std::string& path);

// One self-overwriting line on standard error, shown only on a terminal.
class ProgressLine {
  public:
    explicit ProgressLine(bool wanted);
    void Show(int count, std::u16string_view path);
    void Clear();

  private:
    bool enabled_;
    bool shown_ = false;
};

}  // namespace qx::cli
