// Sends a session's events: to the A callback first (strings converted to
// the ANSI code page), then to the W callback, each only if registered. The
// strings are copies that live for the duration of the call.
#pragma once

#include <string>

#include "session.h"

namespace qx {

// `path` null: the end of the run. `reason` null: no reason (progress events).
void SendScanEvent(const ScanSession& session, int code, const std::u16string* path,
                   const char16_t* reason);
void SendCleanEvent(const CleanSession& session, int code, const std::u16string* path);

}  // namespace qx
