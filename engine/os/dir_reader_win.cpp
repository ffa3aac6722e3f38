#include <windows.h>

#include "os/codepage.h"
#include "os/dir_reader.h"
#include "os/path.h"

namespace qx::os {

std::size_t DirectoriesToHold() {
    return static_cast<std::size_t>(-1);  // listed by path: nothing is held
}

Directory::~Directory() = default;

bool Directory::OpenRoot(std::u16string_view path) {
    path_.assign(path);
    last_error_ = 0;
    return true;  // listed by path; a missing one fails to list
}

bool Directory::OpenChild(const Directory& parent, std::u16string_view name) {
    // A path that had to be cut would name some other directory.
    last_error_ = JoinPath(parent.path_, name, path_) ? 0 : ERROR_FILENAME_EXCED_RANGE;
    return last_error_ == 0;
}

struct DirReader::State {
    HANDLE find = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW data{};
    bool pending = false;  // `data` holds an entry not yet handed out
};

DirReader::DirReader() : state_(std::make_unique<State>()) {}
DirReader::~DirReader() {
    Close();
}

bool DirReader::Open(const Directory& directory) {
    Close();
    std::u16string pattern;
    JoinPath(directory.Path(), u"*.*", pattern);
    state_->find = FindFirstFileW(reinterpret_cast<const wchar_t*>(pattern.c_str()), &state_->data);
    state_->pending = state_->find != INVALID_HANDLE_VALUE;
    last_error_ = state_->pending ? 0 : GetLastError();
    return state_->pending;
}

bool DirReader::Next(DirEntry& entry) {
    if (state_->find == INVALID_HANDLE_VALUE) return false;
    if (!state_->pending && !FindNextFileW(state_->find, &state_->data)) {
        const DWORD error = GetLastError();
        last_error_ = error == ERROR_NO_MORE_FILES ? 0 : error;
        return false;
    }
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

std::string ErrorText(std::uint32_t error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::u16string message(reinterpret_cast<const char16_t*>(text), text ? length : 0);
    LocalFree(text);
    while (!message.empty() && (message.back() == u'\n' || message.back() == u'\r' ||
                                message.back() == u'.' || message.back() == u' ')) {
        message.pop_back();
    }
    return message.empty() ? "system error " + std::to_string(error) : Utf16ToUtf8(message);
}

}  // namespace qx::os
