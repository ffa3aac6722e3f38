#include "events.h"

#include "os/codepage.h"

namespace qx {
namespace {

const QxWChar* W(const std::u16string& s) {
    return reinterpret_cast<const QxWChar*>(s.c_str());
}

}  // namespace

void SendScanEvent(const ScanSession& session, int code, const std::u16string* path,
                   const char16_t* reason) {
    if (QxScanCallbackA callback = session.callback_a.load()) {
        const std::string a_path = path ? os::Utf16ToAnsi(*path) : std::string();
        const std::string a_reason = reason ? os::Utf16ToAnsi(reason) : std::string();
        callback(code, path ? a_path.c_str() : nullptr, reason ? a_reason.c_str() : nullptr);
    }
    if (QxScanCallbackW callback = session.callback_w.load()) {
        const std::u16string w_path = path ? *path : std::u16string();
        const std::u16string w_reason = reason ? std::u16string(reason) : std::u16string();
        callback(code, path ? W(w_path) : nullptr, reason ? W(w_reason) : nullptr);
    }
}

void SendCleanEvent(const CleanSession& session, int code, const std::u16string* path) {
    if (QxCleanCallbackA callback = session.callback_a.load()) {
        const std::string a_path = path ? os::Utf16ToAnsi(*path) : std::string();
        callback(code, path ? a_path.c_str() : nullptr);
    }
    if (QxCleanCallbackW callback = session.callback_w.load()) {
        const std::u16string w_path = path ? *path : std::u16string();
        callback(code, path ? W(w_path) : nullptr);
    }
}

}  // namespace qx
