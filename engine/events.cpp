#include "events.h"

#include "os/codepage.h"

namespace qx {
namespace {

const QxWChar* W(const std::u16string& s) {
    return reinterpret_cast<const QxWChar*>(s.c_str());
}

}  // namespace

void SendScanEvent(QxScanCallbackA callback_a, QxScanCallbackW callback_w, int code,
                   const std::u16string* path, const std::u16string* reason) {
    if (callback_a) {
        const std::string a_path = path ? os::Utf16ToAnsi(*path) : std::string();
        const std::string a_reason = reason ? os::Utf16ToAnsi(*reason) : std::string();
        callback_a(code, path ? a_path.c_str() : nullptr, reason ? a_reason.c_str() : nullptr);
    }
    if (callback_w) {
        const std::u16string w_path = path ? *path : std::u16string();
        const std::u16string w_reason = reason ? *reason : std::u16string();
        callback_w(code, path ? W(w_path) : nullptr, reason ? W(w_reason) : nullptr);
    }
}

void SendCleanEvent(QxCleanCallbackA callback_a, QxCleanCallbackW callback_w, int code,
                    const std::u16string* path) {
    if (callback_a) {
        const std::string a_path = path ? os::Utf16ToAnsi(*path) : std::string();
        callback_a(code, path ? a_path.c_str() : nullptr);
    }
    if (callback_w) {
        const std::u16string w_path = path ? *path : std::u16string();
        callback_w(code, path ? W(w_path) : nullptr);
    }
}

}  // namespace qx
