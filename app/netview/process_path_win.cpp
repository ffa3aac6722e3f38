#include <windows.h>
// after windows.h, whose types it uses
#include <psapi.h>

#include "connection_rows.h"

namespace qx::netview {

std::u16string ProcessPath(std::uint32_t processId) {
    std::u16string path;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (process != nullptr) {
        wchar_t buffer[MAX_PATH];
        const DWORD length = GetModuleFileNameExW(process, nullptr, buffer, MAX_PATH);
        if (length > 0) path.assign(reinterpret_cast<const char16_t*>(buffer), length);
        CloseHandle(process);
    }
    return path.empty() ? u"NT OS Kernel" : path;
}

}  // namespace qx::netview
