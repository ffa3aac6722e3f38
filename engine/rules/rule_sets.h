// Entry points of the four rule sets, one per script family. Each opens and
// reads the file itself, returns a ScanVerdict and, above 0, leaves a
// NUL-terminated reason in the caller's kReasonTextUnits buffer.
#pragma once

namespace qx {

int CheckAspFile(char16_t* reason, const char16_t* path);
int CheckAspxFile(char16_t* reason, const char16_t* path);
int CheckPhpFile(char16_t* reason, const char16_t* path);
int CheckJspFile(char16_t* reason, const char16_t* path);

}  // namespace qx
