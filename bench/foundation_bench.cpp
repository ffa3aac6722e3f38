// Times the engine's walk (every family switched off) and its text reader,
// best of several runs, for bench/foundation.sh to set beside `find` and
// `iconv`. Usage: foundation_bench walk DIR | read FILE [RUNS]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "os/codepage.h"
#include "scan_driver.h"
#include "text_file_read.h"

namespace {

template <class F>
double BestSeconds(int runs, F body) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        body();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (took.count() < best) best = took.count();
    }
    return best;
}

// Nothing routed: the walk alone.
struct WalkOnly : qx::ScanClient {
    qx::FileRoute Route(const std::u16string&, std::u16string_view) override { return {}; }
    void OnFinding(const std::u16string&, const qx::Finding&) override {}
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: foundation_bench walk DIR | read FILE [RUNS]\n");
        return 2;
    }
    const std::string what = argv[1];
    const std::u16string path = qx::os::Utf8ToUtf16(argv[2]);
    const int runs = argc > 3 ? std::atoi(argv[3]) : 5;
    std::size_t amount = 0;
    double seconds = 0;
    if (what == "walk") {
        seconds = BestSeconds(runs, [&] {
            WalkOnly walk;
            amount = qx::ScanTree(path, walk);
        });
    } else if (what == "read") {
        seconds = BestSeconds(runs, [&] {
            qx::CTextFileRead reader(path);
            qx::TextBuffer text;
            reader.ReadText(text, u"\r\n");
            amount = text.size();
        });
    } else {
        return 2;
    }
    std::printf("%.6f %zu\n", seconds, amount);
    return 0;
}
