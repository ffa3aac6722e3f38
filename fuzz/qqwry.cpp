// CQQwry over arbitrary database bytes and addresses: no crash, no hang, no
// read outside the file. Input: one byte N, N bytes of address text (at most
// 23), four 32-bit addresses, then the database file.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "host/qqwry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::size_t textLength = data[0] % 24;
    if (size < 1 + textLength + 16) return 0;
    const std::string text(reinterpret_cast<const char*>(data + 1), textLength);
    const std::uint8_t* addresses = data + 1 + textLength;
    const std::uint8_t* database = addresses + 16;
    const std::size_t databaseSize = size - (1 + textLength + 16);

    const int fd = memfd_create("qqwry", 0);
    if (fd < 0) return 0;
    if (write(fd, database, databaseSize) != static_cast<ssize_t>(databaseSize)) {
        close(fd);
        return 0;
    }
    char path[64];
    std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
    {
        CQQwry reader;
        const std::string_view ascii(path);
        reader.Open(std::u16string(ascii.begin(), ascii.end()));
        reader.Lookup(text);
        for (int i = 0; i < 4; ++i) {
            std::uint32_t ip;
            std::memcpy(&ip, addresses + 4 * i, 4);
            char dotted[16];
            std::snprintf(dotted, sizeof dotted, "%u.%u.%u.%u", ip >> 24, (ip >> 16) & 0xFF,
                          (ip >> 8) & 0xFF, ip & 0xFF);
            reader.Lookup(dotted);
        }
    }
    close(fd);
    return 0;
}
