// What a matching YARA rule says about a file: the level it gives the file,
// read from its metadata, and its record in a JSON finding.
#pragma once

#include <yara.h>

#include <string>

#include "engine_types.h"

namespace qx::cli {

// A string `level` of suspicious, dangerous or trojan is taken as it stands;
// otherwise an integer `score` (public rule sets give 0 to 100) maps below 40
// to suspicious, below 75 to dangerous and from 75 up to trojan; a rule with
// neither is dangerous.
ScanVerdict YaraLevel(const YR_RULE& rule);

// {"rule":...,"namespace":...,"tags":[...],"meta":{...}} in valid UTF-8,
// meta values as JSON strings, numbers or booleans (the first of a repeated
// name).
std::string YaraMatchJson(const YR_RULE& rule);

}  // namespace qx::cli
