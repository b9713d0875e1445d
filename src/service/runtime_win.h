// The service process: reports the service, starts and supervises the worker.
#pragma once
#include <windows.h>

namespace quorv {

void WINAPI serviceMain(DWORD argc, LPSTR* argv);
void WINAPI serviceControlHandler(DWORD control);
// The same handler in the extended form, registered when the service takes the pre-shutdown control.
DWORD WINAPI serviceControlHandlerEx(DWORD control, DWORD eventType, LPVOID eventData, LPVOID context);
BOOL WINAPI consoleControlHandler(DWORD event);
// The console handler of a console run: Ctrl+C, Ctrl+Break and closing the console stop the
// worker as a stop request stops the service's.
BOOL WINAPI runConsoleHandler(DWORD event);
DWORD WINAPI outputConsumer(LPVOID readEnd);
void sendStopLine(unsigned char code);
// Bounded wait of the main thread, after the dispatcher returned, for serviceMain to end the
// process itself (so that its last log lines are written).
void awaitServiceMainEnd();
// app.exe /run [name]: the service's worker, started and supervised as the service process does,
// its output on this console; returns the worker's exit code.
int cmdRun();

}  // namespace quorv
