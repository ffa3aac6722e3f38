// Lists one directory's entries in the order the platform returns them.
#pragma once

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

class DirReader {
  public:
    DirReader();
    ~DirReader();
    DirReader(const DirReader&) = delete;
    DirReader& operator=(const DirReader&) = delete;

    // False when the directory cannot be listed (missing, no access, a link).
    bool Open(std::u16string_view directory);
    // The next entry, "." and ".." included; false at the end.
    bool Next(DirEntry& entry);
    void Close();

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace qx::os
