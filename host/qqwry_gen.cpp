// qqwry-gen: writes an IP database in the QQWry.dat layout.
//   qqwry-gen FILE           a small database of well-known ranges (the demo's)
//   qqwry-gen FILE COUNT     COUNT made-up ranges over the whole address space
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "host/qqwry_writer.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: qqwry-gen FILE [COUNT]\n");
        return 2;
    }
    try {
        using namespace qx::host;
        const auto records =
            argc == 3 ? SampleQqwryRecords(std::stoul(argv[2]), 20120506) : DemoQqwryRecords();
        WriteQqwryFile(argv[1], BuildQqwryDatabase(records));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qqwry-gen: %s\n", e.what());
        return 2;
    }
    return 0;
}
