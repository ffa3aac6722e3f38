#include <windows.h>

#include <string>
#include <utility>

#include "os/dir_reader.h"
#include "os/file.h"
#include "os/path.h"

namespace qx::os {

File::File(File&& other) noexcept
    : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)),
      size_at_open_(other.size_at_open_),
      last_error_(other.last_error_) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
        size_at_open_ = other.size_at_open_;
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
    size_at_open_ = static_cast<std::int64_t>(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
    return true;
}

bool File::Open(const Directory& directory, std::u16string_view name, Mode mode) {
    Close();
    std::u16string path;
    // A path that had to be cut would name some other file.
    if (!JoinPath(directory.Path(), name, path)) {
        last_error_ = ERROR_FILENAME_EXCED_RANGE;
        return false;
    }
    return Open(path, mode);
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

std::int64_t File::ReadSomeAt(std::uint64_t offset, void* buffer, std::size_t size) const {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    const DWORD want = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    DWORD read = 0;
    if (ReadFile(handle_, buffer, want, &read, &at)) return read;
    const DWORD error = GetLastError();
    if (error == ERROR_HANDLE_EOF) return 0;
    last_error_ = error;
    return -1;
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
            const DWORD error = GetLastError();
            if (error == ERROR_HANDLE_EOF) break;
            last_error_ = error;
            return -1;
        }
        if (read == 0) break;
        done += read;
    }
    return static_cast<std::int64_t>(done);
}

bool File::WriteAt(std::uint64_t offset, const void* buffer, std::size_t size) {
    const auto* p = static_cast<const char*>(buffer);
    while (size > 0) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        const DWORD want = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(handle_, p, want, &written, &at) || written == 0) {
            last_error_ = GetLastError();
            return false;
        }
        p += written;
        offset += written;
        size -= written;
    }
    return true;
}

std::int64_t File::Size() const {
    LARGE_INTEGER size;
    return GetFileSizeEx(handle_, &size) ? size.QuadPart : -1;
}

bool WriteNewFile(std::u16string_view path, std::string_view bytes, std::uint32_t& error) {
    const std::wstring wide(path.begin(), path.end());
    HANDLE handle = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return false;
    }
    File file;
    file.handle_ = handle;
    const bool written = file.WriteAt(0, bytes.data(), bytes.size()) && FlushFileBuffers(handle);
    error = written ? 0 : (file.last_error_ != 0 ? file.last_error_ : GetLastError());
    file.Close();
    if (!written) DeleteFileW(wide.c_str());
    return written;
}

std::uint32_t File::LinkCount() const {
    BY_HANDLE_FILE_INFORMATION info;
    return GetFileInformationByHandle(handle_, &info) ? info.nNumberOfLinks : 0;
}

namespace {

// The path the system resolves a handle to, links and junctions followed.
std::wstring FinalPath(HANDLE handle) {
    std::wstring path(1024, L'\0');
    DWORD length = GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()),
                                             FILE_NAME_NORMALIZED);
    if (length >= path.size()) {
        path.resize(length + 1);
        length = GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()),
                                           FILE_NAME_NORMALIZED);
    }
    path.resize(length < path.size() ? length : 0);
    return path;
}

}  // namespace

bool File::LiesBelow(const Directory& root) const {
    const std::wstring directory(root.Path().begin(), root.Path().end());
    HANDLE handle =
        CreateFileW(directory.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    std::wstring base = FinalPath(handle);
    CloseHandle(handle);
    const std::wstring file = FinalPath(handle_);
    if (base.empty() || file.empty()) return false;
    if (base.back() != L'\\') base.push_back(L'\\');
    return file.size() > base.size() &&
           CompareStringOrdinal(file.c_str(), static_cast<int>(base.size()), base.c_str(),
                                static_cast<int>(base.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace qx::os
