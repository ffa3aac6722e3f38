// Sends a session's events through the interface's callbacks: to the A
// callback first (strings converted to the ANSI code page), then to the W
// callback, each only if registered. The strings are copies that live for the
// duration of the call.
#pragma once

#include <string>

#include "quellix.h"

namespace qx {

// `path` null: the end of the run. `reason` null: no reason (progress events).
void SendScanEvent(QxScanCallbackA callback_a, QxScanCallbackW callback_w, int code,
                   const std::u16string* path, const std::u16string* reason);
void SendCleanEvent(QxCleanCallbackA callback_a, QxCleanCallbackW callback_w, int code,
                    const std::u16string* path);

}  // namespace qx
