#include <windows.h>

#include <string>
#include <utility>

#include "os/file.h"

namespace qx::os {

File::File(File&& other) noexcept
    : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)), last_error_(other.last_error_) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
        last_error_ = other.last_error_;
    }
    return *this;
}

bool File::Open(std::u16string_view path, Mode mode) {
    Close();
    std::wstring wide(path.begin(), path.end());
    const bool exclusive = mode == Mode::kExclusiveReadWrite;
    // The cleaner opens the link itself rather than its target, and then
    // refuses it: a page reached through a link is never written.
    HANDLE handle = CreateFileW(
        wide.c_str(), exclusive ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
        exclusive ? 0 : FILE_SHARE_READ, nullptr, OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL | (exclusive ? FILE_FLAG_OPEN_REPARSE_POINT : 0), nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        last_error_ = GetLastError();
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info;
    const bool regular = GetFileType(handle) == FILE_TYPE_DISK &&
                         GetFileInformationByHandle(handle, &info) &&
                         !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                         !(exclusive && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT));
    if (!regular) {
        last_error_ = ERROR_ACCESS_DENIED;
        CloseHandle(handle);
        return false;
    }
    handle_ = handle;
    return true;
}

bool File::IsOpen() const {
    return handle_ != INVALID_HANDLE_VALUE;
}

void File::Close() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

std::int64_t File::Read(void* buffer, std::size_t size) {
    DWORD read = 0;
    const DWORD want = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    if (!ReadFile(handle_, buffer, want, &read, nullptr)) {
        last_error_ = GetLastError();
        return -1;
    }
    return read;
}

bool File::Write(const void* buffer, std::size_t size) {
    const auto* p = static_cast<const char*>(buffer);
    while (size > 0) {
        DWORD written = 0;
        const DWORD want = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        if (!WriteFile(handle_, p, want, &written, nullptr) || written == 0) {
            last_error_ = GetLastError();
            return false;
        }
        p += written;
        size -= written;
    }
    return true;
}

bool File::Seek(std::uint64_t offset) {
    LARGE_INTEGER distance;
    distance.QuadPart = static_cast<LONGLONG>(offset);
    if (SetFilePointerEx(handle_, distance, nullptr, FILE_BEGIN)) return true;
    last_error_ = GetLastError();
    return false;
}

std::int64_t File::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) const {
    std::size_t done = 0;
    while (done < size) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset + done);
        at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
        const std::size_t left = size - done;
        const DWORD want = left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left);
        DWORD read = 0;
        if (!ReadFile(handle_, static_cast<char*>(buffer) + done, want, &read, &at)) {
            if (GetLastError() == ERROR_HANDLE_EOF) break;
            return -1;
        }
        if (read == 0) break;
        done += read;
    }
    return static_cast<std::int64_t>(done);
}

std::int64_t File::Size() const {
    LARGE_INTEGER size;
    return GetFileSizeEx(handle_, &size) ? size.QuadPart : -1;
}

}  // namespace qx::os
