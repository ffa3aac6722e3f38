/* Pelvoro: the machine's IPv4 TCP connection table and UDP listener table,
 * each row with the owning process id, as one exported function.
 *
 * Both tables are blocks of little-endian unsigned 32-bit fields without gaps:
 *
 *   TCP: count, then count rows of 24 bytes:
 *        state (1-12, the MIB TCP states), local address, local port,
 *        remote address (0 when listening), remote port, process id
 *   UDP: count, then count rows of 12 bytes:
 *        local address, local port, process id
 *
 * Addresses are in network byte order (first byte = first octet); a port field
 * holds the port in network byte order in its first two bytes and nothing of
 * meaning in the other two. Rows are sorted by local address, then port.
 *
 * The caller sets both variables to null before the call and afterwards
 * releases every non-null table, whatever the result: with LocalFree on
 * Windows, with free elsewhere. */
#ifndef PELVORO_H
#define PELVORO_H

#ifdef _WIN32
#define PELVORO_CALL __stdcall
#define PELVORO_API
#else
#define PELVORO_CALL
#define PELVORO_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* 1 when both tables were obtained (on Windows only on the versions 5.0 to 5.2
 * and 6.0 to 6.1), otherwise 0; a table obtained before a failure is still
 * handed back. */
PELVORO_API int PELVORO_CALL GetNetStat(void** tcpTable, void** udpTable);

typedef int(PELVORO_CALL* GetNetStatFunction)(void** tcpTable, void** udpTable);

#ifdef __cplusplus
}
#endif

#endif /* PELVORO_H */
