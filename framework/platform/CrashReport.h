#pragma once
// The crash report. Should the program die of a fault anyway (SIGSEGV,
// SIGABRT, SIGBUS, SIGFPE), the handler installed here writes "crash.txt"
// into the folder given at start-up (where the player's own files go): the
// version, the signal, a backtrace and the last lines of the log. It says on
// stderr where the report is, then lets the signal end the process as it
// would have. The handler only makes async-signal-safe calls: everything it
// needs is prepared when it is installed.
//
// The next start asks TakeEarlierCrashReport once; a report is handed out
// only once (it is marked as told), so the player hears of it one time.
#include <string>

namespace Quill {

// Installs the handlers (again, with a new folder, when called again).
void InstallCrashReport(const std::string& folder, const char* version);
// Keeps a copy of one log line for the report; the last few are kept.
void RememberLogLine(const char* line);
// The path of a report that an earlier run left in `folder` and that has not
// been told of yet, which this call marks as told; empty when there is none.
std::string TakeEarlierCrashReport(const std::string& folder);

} // namespace Quill
