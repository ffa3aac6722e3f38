// GetNetStat on Windows: the owner-pid tables from iphlpapi, bound at run time
// so that the library loads on every version and refuses the ones it does not
// know.
#include <windows.h>

#include "pelvoro.h"
#include "table_fetch_win.h"

namespace {

using namespace qx::net;

constexpr ULONG kTcpTableOwnerPidAll = 5;
constexpr ULONG kUdpTableOwnerPid = 1;
constexpr DWORD kFamilyIPv4 = 2;
constexpr DWORD kFlagsOlder = 2;

using AllocateExTableFunction = DWORD(WINAPI*)(PVOID* table, BOOL sorted, HANDLE heap, DWORD flags,
                                               DWORD family);

// iphlpapi for the length of one call.
class IpHelper {
  public:
    IpHelper() : module_(LoadLibraryA("iphlpapi.dll")) {}
    IpHelper(const IpHelper&) = delete;
    IpHelper& operator=(const IpHelper&) = delete;
    ~IpHelper() {
        if (module_ != nullptr) FreeLibrary(module_);
    }

    template <typename Function>
    Function Find(const char* name) const {
        if (module_ == nullptr) return nullptr;
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }

  private:
    HMODULE module_;
};

bool FetchOlder(void** tcpTable, void** udpTable) {
    IpHelper helper;
    const auto tcp = helper.Find<AllocateExTableFunction>("AllocateAndGetTcpExTableFromStack");
    const auto udp = helper.Find<AllocateExTableFunction>("AllocateAndGetUdpExTableFromStack");
    if (tcp == nullptr || udp == nullptr) return false;
    if (tcp(tcpTable, TRUE, GetProcessHeap(), kFlagsOlder, kFamilyIPv4) != 0) return false;
    return udp(udpTable, TRUE, GetProcessHeap(), kFlagsOlder, kFamilyIPv4) == 0;
}

bool FetchNewer(void** tcpTable, void** udpTable) {
    IpHelper helper;
    const auto tcp = helper.Find<ExtendedTableFunction>("GetExtendedTcpTable");
    const auto udp = helper.Find<ExtendedTableFunction>("GetExtendedUdpTable");
    if (tcp == nullptr || udp == nullptr) return false;
    if (!FetchOwnerPidTable(tcp, kTcpTableOwnerPidAll, tcpTable)) return false;
    return FetchOwnerPidTable(udp, kUdpTableOwnerPid, udpTable);
}

}  // namespace

extern "C" int WINAPI GetNetStat(void** tcpTable, void** udpTable) {
    if (tcpTable == nullptr || udpTable == nullptr) return 0;
    OSVERSIONINFOEXA version{};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version))) return 0;
#pragma GCC diagnostic pop
    switch (ChooseTablePath(version.dwPlatformId, version.dwMajorVersion, version.dwMinorVersion)) {
        case TablePath::kOlder:
            FetchOlder(tcpTable, udpTable);
            break;
        case TablePath::kNewer:
            FetchNewer(tcpTable, udpTable);
            break;
        case TablePath::kUnsupported:
            return 0;
    }
    return *tcpTable != nullptr && *udpTable != nullptr ? 1 : 0;
}
