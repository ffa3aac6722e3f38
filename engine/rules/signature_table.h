// The named signatures of known webshell families and the fingerprints of
// known-good files. Both are fixed data: the cascades consult signature rows
// by position, and a level 1 or 2 finding is cancelled for a listed file.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qx {

// One named signature: the family name shown in the finding text and the
// keyword (lower case, matched as an exact substring) that identifies it.
struct SignatureRecord {
    char16_t name[128];
    char16_t pattern[512];
};

inline constexpr std::size_t kSignatureRows = 59;
extern const SignatureRecord SignatureTable[kSignatureRows];

// CRC-64/WE fingerprints of files never reported at level 1 or 2, each as its
// low 32-bit word then its high word; an all-zero entry ends the list.
extern const std::uint32_t KnownGoodFingerprints[][2];

// Whether `fingerprint` is on the known-good list (0, the fingerprint of an
// unreadable file, never is).
bool IsKnownGoodFingerprint(std::uint64_t fingerprint);

}  // namespace qx
