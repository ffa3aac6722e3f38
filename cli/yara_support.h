// YARA rule sets beside the built-in rules: what `scan --yara` needs from
// them. Builds without libyara (the Windows one) have a stub that refuses.
#pragma once

#include <string>
#include <vector>

#include "file_examiner.h"

namespace qx::cli {

// Whether this build can match YARA rules.
bool YaraSupported();

// Compiles the rule files and folders of `sources` (or loads rules compiled
// by yarac) once, and returns what makes one examiner per rating thread over
// them, each giving a file at most `timeout_seconds`. Throws UsageError with
// every compile error, one "FILE:LINE: MESSAGE" a line, before any scanning.
ExaminerFactory LoadYaraExaminers(const std::vector<std::string>& sources, int timeout_seconds);

}  // namespace qx::cli
