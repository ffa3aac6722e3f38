#include "net_stat_reading.h"

#include <windows.h>

#include "net_tables.h"
#include "pelvoro.h"

namespace qx::netview {

NetStatSnapshot ReadNetStat(const std::wstring& libraryPath, const CQQwry& locations) {
    NetStatSnapshot snapshot;
    HMODULE library = ::LoadLibraryW(libraryPath.c_str());
    if (!library) return snapshot;
    const auto getNetStat = reinterpret_cast<GetNetStatFunction>(
        reinterpret_cast<void*>(::GetProcAddress(library, "GetNetStat")));
    if (getNetStat) {
        void* tcpTable = nullptr;
        void* udpTable = nullptr;
        if (getNetStat(&tcpTable, &udpTable) == 0) {
            snapshot.outcome = NetStatSnapshot::Outcome::kUnsupported;
        } else {
            snapshot.outcome = NetStatSnapshot::Outcome::kListed;
            snapshot.rows =
                host::FormatConnectionRows(net::ReadUdpTable(udpTable), net::ReadTcpTable(tcpTable),
                                           locations, host::ProcessPath);
        }
        // A failed call may still have handed back a table.
        net::ReleaseTable(tcpTable);
        net::ReleaseTable(udpTable);
    }
    ::FreeLibrary(library);
    return snapshot;
}

}  // namespace qx::netview
