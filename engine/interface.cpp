// The exported C interface: argument checks, conversions of A strings, and
// forwarding to the sessions. No exception crosses it.
#include <new>
#include <string>

#include "os/codepage.h"
#include "os/path.h"
#include "quellix.h"
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

template <class Session>
int StartRun(Session* session, const char16_t* directory) {
    if (session == nullptr || directory == nullptr || *directory == 0) return 0;
    try {
        std::u16string root;
        os::FitPath(directory, root);
        return session->Start(std::move(root)) ? 1 : 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

template <class Session>
int Close(Session* session) {
    if (session != nullptr) CloseSession(session);
    return 1;
}

}  // namespace

extern "C" {

QX_API void* QX_CALL QuellixOpen(void) {
    return new (std::nothrow) CleanSession;
}

QX_API int QX_CALL QuellixClose(void* session) {
    return Close(Clean(session));
}

QX_API int QX_CALL WebShellSetCleanCodeW(void* handle, const QxWChar* code) {
    CleanSession* session = Clean(handle);
    if (session == nullptr || code == nullptr) return 0;
    const std::u16string_view text(U16(code));
    if (text.empty() || text.size() > QX_MAX_CLEAN_CODE) return 0;
    return session->SetCleanCode(text) ? 1 : 0;
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
    if (callback != nullptr) Clean(handle)->SetCallback(callback);
    return 1;
}

QX_API int QX_CALL WebShellSetCallbackW(void* handle, QxCleanCallbackW callback) {
    if (handle == nullptr) return 0;
    if (callback != nullptr) Clean(handle)->SetCallback(callback);
    return 1;
}

QX_API int QX_CALL WebShellStartCleanW(void* handle, const QxWChar* directory) {
    return StartRun(Clean(handle), U16(directory));
}

QX_API int QX_CALL WebShellStartCleanA(void* handle, const char* directory) {
    if (handle == nullptr || directory == nullptr) return 0;
    std::u16string path;
    if (!FromAnsi(directory, path)) return 0;
    return WebShellStartCleanW(handle, reinterpret_cast<const QxWChar*>(path.c_str()));
}

QX_API void QX_CALL WebShellStopClean(void* handle) {
    if (handle != nullptr) Clean(handle)->Stop();
}

QX_API int QX_CALL WebShellGetCleanCount(void* handle, int* cleaned, int* failed) {
    const CleanSession* session = Clean(handle);
    if (session == nullptr) {
        if (cleaned) *cleaned = 0;
        if (failed) *failed = 0;
        return 0;
    }
    if (cleaned) *cleaned = session->Cleaned();
    if (failed) *failed = session->Failed();
    return session->FilesVisited();
}

QX_API void* QX_CALL WebTrojanScanOpen(void) {
    return new (std::nothrow) ScanSession;
}

QX_API int QX_CALL WebTrojanScanClose(void* session) {
    return Close(Scan(session));
}

QX_API int QX_CALL WebTrojanSetCheckType(void* handle, int asp, int aspx, int php, int jsp) {
    ScanSession* session = Scan(handle);
    if (session == nullptr) return 0;
    session->SetCheckTypes(asp, aspx, php, jsp);
    return 1;
}

QX_API int QX_CALL WebTrojanSetCallbackA(void* handle, QxScanCallbackA callback) {
    if (handle == nullptr) return 0;
    if (callback != nullptr) Scan(handle)->SetCallback(callback);
    return 1;
}

QX_API int QX_CALL WebTrojanSetCallbackW(void* handle, QxScanCallbackW callback) {
    if (handle == nullptr) return 0;
    if (callback != nullptr) Scan(handle)->SetCallback(callback);
    return 1;
}

QX_API int QX_CALL WebTrojanStartScanW(void* handle, const QxWChar* directory) {
    return StartRun(Scan(handle), U16(directory));
}

QX_API int QX_CALL WebTrojanStartScanA(void* handle, const char* directory) {
    if (handle == nullptr || directory == nullptr) return 0;
    std::u16string path;
    if (!FromAnsi(directory, path)) return 0;
    return WebTrojanStartScanW(handle, reinterpret_cast<const QxWChar*>(path.c_str()));
}

QX_API void QX_CALL WebTrojanStopScan(void* handle) {
    if (handle != nullptr) Scan(handle)->Stop();
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
    if (suspicious) *suspicious = session->Suspicious();
    if (dangerous) *dangerous = session->Dangerous();
    if (trojan) *trojan = session->Trojan();
    return session->FilesExamined();
}

}  // extern "C"
