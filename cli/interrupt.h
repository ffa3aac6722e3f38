// SIGINT and SIGTERM (Ctrl-C, Ctrl-Break and closing the console on Windows)
// end a run the orderly way: the command sees the request, stops its work
// and prints what it has done. A closed pipe is an output error, not a signal.
#pragma once

namespace qx::cli {

// Installs the handlers; call once, before any work.
void CatchInterrupts();
// The signal that asked the run to end (SIGINT or SIGTERM), or 0.
int InterruptSignal();
// The exit status after that signal: 128 + its number (130 or 143).
int InterruptStatus();

}  // namespace qx::cli
