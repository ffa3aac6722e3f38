// The exported C interface: argument checks, conversions of A strings, and
// forwarding to the sessions. No exception crosses it.
#include <new>
#include <string>

#include "code_cleaner.h"
#include "events.h"
#include "os/codepage.h"
#include "os/path.h"
#include "quellix.h"
#include "scan_driver.h"
#include "session.h"

using namespace qx;

namespace {

ScanSession* Scan(void* handle) {
    return static_cast<ScanSession*>(handle);
}
CleanSession* Clean(void* handle) {
    return static_cast<CleanSession*>(handle);
}

const char16_t* U16(const QxWChar* text) {
    return reinterpret_cast<const char16_t*>(text);
}

// An A string in UTF-16; false when it cannot be converted (the call is then
// refused rather than run on a garbled path).
bool FromAnsi(const char* text, std::u16string& out) {
    try {
        return os::AnsiToUtf16(text, out);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

template <class Session, class Walk, class SendEnd>
int StartRun(Session* session, const char16_t* directory, Walk walk, SendEnd send_end) {
    if (session == nullptr || directory == nullptr || *directory == 0) return 0;
    try {
        std::u16string root;
        os::FitPath(directory, root);
        return session->worker.Start([session, root = std::move(root), walk, send_end] {
            session->root_path = root;
            walk(*session, root);
            send_end(*session);
        })
                   ? 1
                   : 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

template <class Session>
int CloseSession(Session* session) {
    if (session == nullptr) return 1;
    if (!session->worker.ReleaseWhenDone([session] { delete session; })) {
        session->worker.Stop();
        delete session;
    }
    return 1;
}

}  // namespace

extern "C" {

QX_API void* QX_CALL QuellixOpen(void) {
    return new (std::nothrow) CleanSession;
}

QX_API int QX_CALL QuellixClose(void* session) {
    return CloseSession(Clean(session));
}

QX_API int QX_CALL WebShellSetCleanCodeW(void* handle, const QxWChar* code) {
    CleanSession* session = Clean(handle);
    if (session == nullptr || code == nullptr) return 0;
    const std::u16string_view text(U16(code));
    if (text.empty() || text.size() > QX_MAX_CLEAN_CODE) return 0;
    // The walk reads the code without a lock: it is replaced only between runs.
    if (session->worker.Running()) return 0;
    try {
        session->clean_code = BuildCleanCode(text);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return 1;
}

QX_API int QX_CALL WebShellSetCleanCodeA(void* handle, const char* code) {
    if (handle == nullptr) return 0;
    if (code == nullptr) return WebShellSetCleanCodeW(handle, nullptr);
    std::u16string text;
    if (!FromAnsi(code, text)) return 0;
    return WebShellSetCleanCodeW(handle, reinterpret_cast<const QxWChar*>(text.c_str()));
}

QX_API int QX_CALL WebShellSetCallbackA(void* handle, QxCleanCallbackA callback) {
    if (handle == nullptr) return 0;
    if (callback != nullptr) Clean(handle)->callback_a.store(callback);
    return 1;
}

QX_API int QX_CALL WebShellSetCallbackW(void* handle, QxCleanCallbackW callback) {
    if (handle == nullptr) return 0;
    if (callback != nullptr) Clean(handle)->callback_w.store(callback);
    return 1;
}

QX_API int QX_CALL WebShellStartCleanW(void* handle, const QxWChar* directory) {
    return StartRun(
        Clean(handle), U16(directory),
        [](CleanSession& s, const std::u16string& root) {
            s.files_visited = CleanDirectory(s, root);
        },
        [](CleanSession& s) { SendCleanEvent(s, QX_PROGRESS_CODE, nullptr); });
}

QX_API int QX_CALL WebShellStartCleanA(void* handle, const char* directory) {
    if (handle == nullptr || directory == nullptr) return 0;
    std::u16string path;
    if (!FromAnsi(directory, path)) return 0;
    return WebShellStartCleanW(handle, reinterpret_cast<const QxWChar*>(path.c_str()));
}

QX_API void QX_CALL WebShellStopClean(void* handle) {
    if (handle != nullptr) Clean(handle)->worker.Stop();
}

QX_API int QX_CALL WebShellGetCleanCount(void* handle, int* cleaned, int* failed) {
    const CleanSession* session = Clean(handle);
    if (session == nullptr) {
        if (cleaned) *cleaned = 0;
        if (failed) *failed = 0;
        return 0;
    }
    if (cleaned) *cleaned = session->cleaned_count.load();
    if (failed) *failed = session->failed_count.load();
    return session->files_visited.load();
}

QX_API void* QX_CALL WebTrojanScanOpen(void) {
    return new (std::nothrow) ScanSession;
}

QX_API int QX_CALL WebTrojanScanClose(void* session) {
    return CloseSession(Scan(session));
}

QX_API int QX_CALL WebTrojanSetCheckType(void* handle, int asp, int aspx, int php, int jsp) {
    ScanSession* session = Scan(handle);
    if (session == nullptr) return 0;
    session->check_asp = asp;
    session->check_aspx = aspx;
    session->check_php = php;
    session->check_jsp = jsp;
    return 1;
}

QX_API int QX_CALL WebTrojanSetCallbackA(void* handle, QxScanCallbackA callback) {
    if (handle == nullptr) return 0;
    if (callback != nullptr) Scan(handle)->callback_a.store(callback);
    return 1;
}

QX_API int QX_CALL WebTrojanSetCallbackW(void* handle, QxScanCallbackW callback) {
    if (handle == nullptr) return 0;
    if (callback != nullptr) Scan(handle)->callback_w.store(callback);
    return 1;
}

QX_API int QX_CALL WebTrojanStartScanW(void* handle, const QxWChar* directory) {
    return StartRun(
        Scan(handle), U16(directory),
        [](ScanSession& s, const std::u16string& root) {
            s.files_examined = ScanDirectory(s, root);
        },
        [](ScanSession& s) { SendScanEvent(s, QX_PROGRESS_CODE, nullptr, nullptr); });
}

QX_API int QX_CALL WebTrojanStartScanA(void* handle, const char* directory) {
    if (handle == nullptr || directory == nullptr) return 0;
    std::u16string path;
    if (!FromAnsi(directory, path)) return 0;
    return WebTrojanStartScanW(handle, reinterpret_cast<const QxWChar*>(path.c_str()));
}

QX_API void QX_CALL WebTrojanStopScan(void* handle) {
    if (handle != nullptr) Scan(handle)->worker.Stop();
}

QX_API int QX_CALL WebTrojanGetScanCount(void* handle, int* suspicious, int* dangerous,
                                         int* trojan) {
    const ScanSession* session = Scan(handle);
    if (session == nullptr) {
        if (suspicious) *suspicious = 0;
        if (dangerous) *dangerous = 0;
        if (trojan) *trojan = 0;
        return 0;
    }
    if (suspicious) *suspicious = session->suspicious_count.load();
    if (dangerous) *dangerous = session->dangerous_count.load();
    if (trojan) *trojan = session->trojan_count.load();
    return session->files_examined.load();
}

}  // extern "C"
