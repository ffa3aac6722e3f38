/* Quellix: the webshell scan and markup clean engine, as a plain C interface.
 *
 * Two families of functions work on opaque sessions: the scan family
 * (WebTrojan...) walks a tree on a worker thread and rates every server-side
 * script file; the clean family (QuellixOpen, QuellixClose, WebShell...) walks
 * a tree and blanks a given snippet of markup out of every page. Results reach
 * the caller only through callbacks, which run on the engine's worker thread.
 * Every function accepts a null handle; results are 1 for success and 0 for
 * failure unless documented otherwise. W strings are NUL-terminated UTF-16; A
 * strings are NUL-terminated bytes in the ANSI code page (POSIX: the codeset of
 * the LC_CTYPE locale, UTF-8 for the C locale). */
#ifndef QUELLIX_H
#define QUELLIX_H

#ifdef _WIN32
#include <wchar.h>
typedef wchar_t QxWChar;
#define QX_CALL __stdcall
#define QX_CALLBACK __stdcall
#define QX_API
#else
#include <uchar.h>
typedef char16_t QxWChar;
#define QX_CALL
#define QX_CALLBACK
#define QX_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Code of the progress events: a non-null path is a directory entered or a file
 * reached; a null path is the end of the run. */
#define QX_PROGRESS_CODE (-1)

/* Verdicts carried by scan finding events. */
#define QX_VERDICT_NONE 0
#define QX_VERDICT_SUSPICIOUS 1
#define QX_VERDICT_DANGEROUS 2
#define QX_VERDICT_TROJAN 3

/* Results carried by clean page-result events. */
#define QX_CLEAN_FAILED 0
#define QX_CLEAN_SUCCEEDED 1

/* Longest clean code, in UTF-16 units. */
#define QX_MAX_CLEAN_CODE 340

typedef void(QX_CALLBACK* QxScanCallbackW)(int code, const QxWChar* path, const QxWChar* reason);
typedef void(QX_CALLBACK* QxScanCallbackA)(int code, const char* path, const char* reason);
typedef void(QX_CALLBACK* QxCleanCallbackW)(int code, const QxWChar* path);
typedef void(QX_CALLBACK* QxCleanCallbackA)(int code, const char* path);

/* Clean family (ordinals 1 to 10). */
QX_API void* QX_CALL QuellixOpen(void);
QX_API int QX_CALL QuellixClose(void* session);
QX_API int QX_CALL WebShellSetCleanCodeA(void* session, const char* code);
QX_API int QX_CALL WebShellSetCleanCodeW(void* session, const QxWChar* code);
QX_API int QX_CALL WebShellSetCallbackA(void* session, QxCleanCallbackA callback);
QX_API int QX_CALL WebShellSetCallbackW(void* session, QxCleanCallbackW callback);
QX_API int QX_CALL WebShellStartCleanA(void* session, const char* directory);
QX_API int QX_CALL WebShellStartCleanW(void* session, const QxWChar* directory);
QX_API void QX_CALL WebShellStopClean(void* session);
QX_API int QX_CALL WebShellGetCleanCount(void* session, int* cleaned, int* failed);

/* Scan family (ordinals 11 to 19). */
QX_API void* QX_CALL WebTrojanScanOpen(void);
QX_API int QX_CALL WebTrojanScanClose(void* session);
QX_API int QX_CALL WebTrojanSetCheckType(void* session, int checkAsp, int checkAspx, int checkPhp,
                                         int checkJsp);
QX_API int QX_CALL WebTrojanSetCallbackA(void* session, QxScanCallbackA callback);
QX_API int QX_CALL WebTrojanSetCallbackW(void* session, QxScanCallbackW callback);
QX_API int QX_CALL WebTrojanStartScanA(void* session, const char* directory);
QX_API int QX_CALL WebTrojanStartScanW(void* session, const QxWChar* directory);
QX_API void QX_CALL WebTrojanStopScan(void* session);
QX_API int QX_CALL WebTrojanGetScanCount(void* session, int* suspicious, int* dangerous,
                                         int* trojan);

#ifdef __cplusplus
}
#endif

#endif /* QUELLIX_H */
