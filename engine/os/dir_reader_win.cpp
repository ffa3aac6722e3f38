#include <windows.h>

#include "os/dir_reader.h"
#include "os/path.h"

namespace qx::os {

struct DirReader::State {
    HANDLE find = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW data{};
    bool pending = false;  // `data` holds an entry not yet handed out
};

DirReader::DirReader() : state_(std::make_unique<State>()) {}
DirReader::~DirReader() {
    Close();
}

bool DirReader::Open(std::u16string_view directory) {
    Close();
    std::u16string pattern;
    JoinPath(directory, u"*.*", pattern);
    state_->find = FindFirstFileW(reinterpret_cast<const wchar_t*>(pattern.c_str()), &state_->data);
    state_->pending = state_->find != INVALID_HANDLE_VALUE;
    return state_->pending;
}

bool DirReader::Next(DirEntry& entry) {
    if (state_->find == INVALID_HANDLE_VALUE) return false;
    if (!state_->pending && !FindNextFileW(state_->find, &state_->data)) return false;
    state_->pending = false;
    const WIN32_FIND_DATAW& d = state_->data;
    entry.name.assign(reinterpret_cast<const char16_t*>(d.cFileName));
    if (!(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        entry.kind = EntryKind::kFile;
    } else if (d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        entry.kind = EntryKind::kLinkToDirectory;
    } else {
        entry.kind = EntryKind::kDirectory;
    }
    return true;
}

void DirReader::Close() {
    if (state_->find != INVALID_HANDLE_VALUE) FindClose(state_->find);
    state_->find = INVALID_HANDLE_VALUE;
    state_->pending = false;
}

}  // namespace qx::os
