// A build without libyara: `--yara` is refused before anything is scanned.
#include "console.h"
#include "yara_support.h"

namespace qx::cli {

bool YaraSupported() {
    return false;
}

ExaminerFactory LoadYaraExaminers(const std::vector<std::string>&, int) {
    throw UsageError("this build has no YARA support");
}

}  // namespace qx::cli
