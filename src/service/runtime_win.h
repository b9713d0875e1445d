// The service process: reports the service, starts and supervises the worker.
#pragma once
#include <windows.h>

namespace quorv {

void WINAPI serviceMain(DWORD argc, LPSTR* argv);
// Bounded wait of the main thread, after the dispatcher returned, for serviceMain to end the
// process itself (so that its last log lines are written).
void awaitServiceMainEnd();

}  // namespace quorv
