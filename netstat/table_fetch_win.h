// The two ways of getting the owner-pid tables out of iphlpapi, chosen by the
// Windows version, and the size-query-allocate-fetch step of the newer one.
#pragma once

#include <windows.h>

namespace qx::net {

enum class TablePath { kUnsupported, kOlder, kNewer };

// NT family 5.0-5.2: the older exports; 6.0-6.1: the newer; anything else none.
TablePath ChooseTablePath(DWORD platformId, DWORD major, DWORD minor);

// The shape of GetExtendedTcpTable and GetExtendedUdpTable.
using ExtendedTableFunction = DWORD(WINAPI*)(PVOID table, PDWORD size, BOOL sorted, ULONG family,
                                             ULONG tableClass, ULONG reserved);

// A busy server opens connections between the size query and the fetch, so a
// fetch that finds its buffer too small asks for the size again this many
// times in all before giving up.
inline constexpr int kFetchAttempts = 4;

// Queries the size, allocates *table with LocalAlloc (zeroed) and fetches the
// sorted IPv4 table of the given class into it. True on success; on failure
// the last block allocated stays in *table for the caller to release.
bool FetchOwnerPidTable(ExtendedTableFunction fetch, ULONG tableClass, void** table);

}  // namespace qx::net
