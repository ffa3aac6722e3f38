// Directories as the walk holds them, and the listing of their entries. On
// POSIX a directory is an open descriptor: its entries are listed and opened
// through it, so no path is resolved twice, depth and path length do not
// matter, and no link below the root is ever followed. On Windows a
// directory is its path, within the platform's 259 units.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace qx::os {

enum class EntryKind {
    kFile,             // anything that is not a directory
    kDirectory,        // a real directory
    kLinkToDirectory,  // a symbolic link or junction to a directory: never entered
};

struct DirEntry {
    std::u16string name;
    EntryKind kind = EntryKind::kFile;
};

class Directory {
  public:
    Directory() = default;
    Directory(const Directory&) = delete;
    Directory& operator=(const Directory&) = delete;
    ~Directory();

    // Opens the directory at `path`, following a link there: the root is
    // the user's choice. False (LastError() tells why) when it cannot be.
    bool OpenRoot(std::u16string_view path);
    // Opens the subdirectory `name` of `parent`, never through a link; its
    // path is the parent's joined with the name. False when it cannot be
    // opened or, on Windows, when its path would pass the platform's limit.
    bool OpenChild(const Directory& parent, std::u16string_view name);

    const std::u16string& Path() const { return path_; }
    std::uint32_t LastError() const { return last_error_; }
#ifndef _WIN32
    int Descriptor() const {
        return fd_;
    }
#endif

  private:
    std::u16string path_;
    std::uint32_t last_error_ = 0;
#ifndef _WIN32
    int fd_ = -1;
#endif
};

// How many directories may be held open at once for work still to be done
// in them: a share of the descriptors the process may open (POSIX), so that
// a tree of many small directories behind one large file cannot use them
// all up. Unbounded on Windows, where a directory holds no handle.
std::size_t DirectoriesToHold();

class DirReader {
  public:
    DirReader();
    ~DirReader();
    DirReader(const DirReader&) = delete;
    DirReader& operator=(const DirReader&) = delete;

    // False (LastError() tells why) when the directory cannot be listed.
    // On POSIX it is listed through its own descriptor: it stays open, and
    // is listed by one reader at a time, until the reader is done.
    bool Open(const Directory& directory);
    // The next entry, "." and ".." included; false at the end or when the
    // listing failed part way (LastError() is then not 0).
    bool Next(DirEntry& entry);
    void Close();
    std::uint32_t LastError() const { return last_error_; }

  private:
    struct State;
    std::unique_ptr<State> state_;
    std::uint32_t last_error_ = 0;
};

// The system's description of an error code, in UTF-8.
std::string ErrorText(std::uint32_t error);

}  // namespace qx::os
