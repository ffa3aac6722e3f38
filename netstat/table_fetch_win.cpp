#include "table_fetch_win.h"

namespace qx::net {
namespace {
constexpr ULONG kFamilyIPv4 = 2;
}

TablePath ChooseTablePath(DWORD platformId, DWORD major, DWORD minor) {
    if (platformId != VER_PLATFORM_WIN32_NT) return TablePath::kUnsupported;
    if (major == 5 && minor <= 2) return TablePath::kOlder;
    if (major == 6 && minor <= 1) return TablePath::kNewer;
    return TablePath::kUnsupported;
}

bool FetchOwnerPidTable(ExtendedTableFunction fetch, ULONG tableClass, void** table) {
    for (int attempt = 0; attempt < kFetchAttempts; ++attempt) {
        if (*table != nullptr) {
            LocalFree(*table);
            *table = nullptr;
        }
        DWORD size = 0;
        fetch(nullptr, &size, TRUE, kFamilyIPv4, tableClass, 0);
        if (size > 0) *table = LocalAlloc(LMEM_ZEROINIT, size);
        const DWORD result = fetch(*table, &size, TRUE, kFamilyIPv4, tableClass, 0);
        if (result == NO_ERROR) return true;
        if (result != ERROR_INSUFFICIENT_BUFFER) return false;
    }
    return false;
}

}  // namespace qx::net
