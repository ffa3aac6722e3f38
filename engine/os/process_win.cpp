#include <windows.h>
// after windows.h, whose types it uses
#include <psapi.h>

#include "os/process.h"

namespace qx::os {

std::u16string ExecutableFolder() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    std::u16string folder(reinterpret_cast<const char16_t*>(path), length);
    folder.erase(folder.rfind(u'\\') + 1);
    return folder;
}

bool ProcessImagePath(std::uint32_t process_id, std::u16string& path) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, process_id);
    if (process == nullptr) return false;
    wchar_t buffer[MAX_PATH];
    const DWORD length = GetModuleFileNameExW(process, nullptr, buffer, MAX_PATH);
    CloseHandle(process);
    if (length == 0) return false;
    path.assign(reinterpret_cast<const char16_t*>(buffer), length);
    return true;
}

}  // namespace qx::os
