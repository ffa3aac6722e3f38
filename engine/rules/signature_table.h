// The named signatures of known webshell families and the fingerprints of
// known-good files. Both are fixed data: the cascades consult signature rows
// by name, each name standing for its row's fixed position, and a level 1 or
// 2 finding is cancelled for a listed file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace qx {

// One named signature: the family name shown in the finding text and the
// keyword (lower case, matched as an exact substring) that identifies it.
struct SignatureRecord {
    char16_t name[128];
    char16_t pattern[512];
};

// The rows by name, in table order; the table checks at compile time that
// each name gives its row's position.
enum class Signature : std::size_t {
    kShellInjection,        // 0
    kSqlRootkit,            // 1
    kAjiangProbe,           // 2
    kAspAdminHelper,        // 3
    kCrazySycnet,           // 4
    kMiniSpy52Happy,        // 5
    kXiaoLuUpload,          // 6
    kAdminHelperEncode,     // 7
    kAdminHelperFirefox,    // 8
    kFineacer,              // 9
    kHaiYang01,             // 10
    kUpload5xSoft,          // 11
    kHaiYang02,             // 12
    kUtf7MiniSpy,           // 13
    kTiQuan,                // 14
    kToken,                 // 15
    kInsertMmAsp,           // 16
    kSqlInject,             // 17
    kYlp,                   // 18
    kWingUpload,            // 19
    kSqlCrack,              // 20
    kHideShell,             // 21
    kBigTrojan,             // 22
    kCcTrojan,              // 23
    kGifHide01,             // 24
    kShellAppMiniSpy,       // 25
    kMssqlExec,             // 26
    kTiQuanSu,              // 27
    kCmdShellAsp,           // 28
    kCyberSpy5,             // 29
    kSanalTeror,            // 30
    kCmdShellJsp,           // 31
    kMstscJsp,              // 32
    kInsertMmRequestA,      // 33
    kLankerDoor,            // 34
    kLangousterUdf,         // 35
    kReddragonfly,          // 36
    kInsertMmPostCmd,       // 37
    kInsertMmQuietPostCmd,  // 38
    kInsertMmEvalCmd,       // 39
    kBackConnect,           // 40
    kBackConnectYetki,      // 41
    kSpider,                // 42
    kPhpJackal,             // 43
    kPhpShell,              // 44
    kAntichat,              // 45
    kLiz0ziM,               // 46
    kIMHaPFtp,              // 47
    kNetworkFileManager,    // 48
    kNixWebShell,           // 49
    kNstRu,                 // 50
    kMacker,                // 51
    kZaCoSmall,             // 52
    kIronShell,             // 53
    kMgeisler,              // 54
    kRootShell2,            // 55
    kShellInj,              // 56
    kBackupSql,             // 57
    kCasus15,               // 58
};

inline constexpr std::size_t kSignatureRows = 59;
extern const std::array<SignatureRecord, kSignatureRows> SignatureTable;

inline const SignatureRecord& SignatureRow(Signature row) {
    return SignatureTable[static_cast<std::size_t>(row)];
}

// CRC-64/WE fingerprints of files never reported at level 1 or 2, each as its
// low 32-bit word then its high word; an all-zero entry ends the list.
extern const std::uint32_t KnownGoodFingerprints[][2];

// Whether `fingerprint` is on the known-good list (0, the fingerprint of an
// unreadable file, never is).
bool IsKnownGoodFingerprint(std::uint64_t fingerprint);

}  // namespace qx
