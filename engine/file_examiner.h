// A second opinion on each file besides the rule sets (the command line's
// YARA rules): it looks at the file's bytes, read once for both, on the
// thread that rates the file. A scan makes one examiner per rating thread.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "engine_types.h"

namespace qx {

struct Examination {
    ScanVerdict verdict = VerdictNone;  // VerdictNone: nothing found
    std::u16string names;               // what matched, for a line of text
    std::string json;                   // what matched, as members of a JSON finding record
    std::string problem;                // not empty: the examination failed or stopped, and why
};

class FileExaminer {
  public:
    virtual ~FileExaminer() = default;
    virtual Examination Examine(const std::u16string& path, std::string_view bytes) = 0;
};

using ExaminerFactory = std::function<std::unique_ptr<FileExaminer>()>;

}  // namespace qx
