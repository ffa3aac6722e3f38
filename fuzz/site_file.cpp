// A hostile page: arbitrary bytes go through the text reader, all four rule
// sets and the cleaner. The first byte picks a clean code length; the code
// is taken from the page itself so that matches actually happen.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "code_cleaner.h"
#include "engine_types.h"
#include "os/codepage.h"
#include "rules/rule_sets.h"
#include "text_file_read.h"

namespace {

const std::string& ScratchPath() {
    static const std::string path = "/tmp/quellix-fuzz-" + std::to_string(getpid()) + ".asp";
    return path;
}

void WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = ScratchPath();
    const std::u16string wide = qx::os::Utf8ToUtf16(path);
    WriteFile(path, data, size);

    {
        qx::CTextFileRead reader(wide);
        qx::TextBuffer text;
        try {
            reader.ReadText(text, u"\r\n");
        } catch (const qx::CTextFileException&) {
        }
    }
    for (auto rule_set :
         {qx::CheckAspFile, qx::CheckAspxFile, qx::CheckPhpFile, qx::CheckJspFile}) {
        const qx::Rating rating = rule_set(wide);
        if (rating.verdict < 0 || rating.verdict > 3) __builtin_trap();
        if (rating.reason.size() > qx::kMaxReasonUnits) __builtin_trap();
    }

    if (size > 1) {
        const std::size_t length = 1 + data[0] % 64;
        const std::string code(reinterpret_cast<const char*>(data) + 1, std::min(length, size - 1));
        const std::u16string code16 = qx::os::Utf8ToUtf16(code);
        if (!code16.empty() && code16.size() <= 340) {
            const qx::CleanResult result = qx::CleanFile(qx::BuildCleanCode(code16), wide).Result();
            // The page keeps its length whatever happened.
            std::FILE* f = std::fopen(path.c_str(), "rb");
            if (f != nullptr) {
                std::fseek(f, 0, SEEK_END);
                if (static_cast<std::size_t>(std::ftell(f)) != size) __builtin_trap();
                std::fclose(f);
            }
            if (result == qx::CleanFailed) __builtin_trap();  // a writable scratch file never fails
        }
    }
    return 0;
}
