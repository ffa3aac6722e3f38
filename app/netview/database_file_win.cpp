#include <windows.h>

#include <algorithm>

#include "database_file.h"

namespace qx::netview {

bool DatabaseFile::Open(const std::filesystem::path& path) {
    Close();
    handle_ = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle_, &size)) {
        Close();
        return false;
    }
    size_ = size.QuadPart;
    return true;
}

bool DatabaseFile::IsOpen() const {
    return handle_ != INVALID_HANDLE_VALUE;
}

void DatabaseFile::Close() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    size_ = 0;
}

std::size_t DatabaseFile::ReadAt(std::int64_t offset, void* buffer, std::size_t size) const {
    if (handle_ == INVALID_HANDLE_VALUE || offset < 0 || offset >= size_) return 0;
    size = static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(size), size_ - offset));
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (!ReadFile(handle_, buffer, static_cast<DWORD>(size), &got, &at)) return 0;
    return got;
}

std::filesystem::path ExecutableFolder() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    std::wstring folder(path, length);
    folder.erase(folder.rfind(L'\\') + 1);
    return folder;
}

}  // namespace qx::netview
