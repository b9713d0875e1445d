// Host side of what the portable core asks of the system, for unit tests: the log records its
// lines, messages are recorded, and a fatal exit throws FatalExit instead of ending the process.
#pragma once
#include <initializer_list>
#include <string>
#include <vector>

namespace quorv::test {

struct FatalExit {
  int code;
  std::string message;  // the last message shown before the exit, "" if none
};

std::vector<std::string>& loggedLines();
std::vector<std::string>& shownMessages();
// Clears the recorded lines and messages and the configuration store.
void resetHost();
bool logContains(const std::string& line);
// Switches the log: off, no line is recorded and logIsOn() says so. On unless built with
// QUORV_HOST_LOG_OFF; resetHost() puts it back.
void setLogOn(bool on);

// An environment block as GetEnvironmentStrings gives it: NUL after each entry, one more at the end.
std::string environmentBlock(std::initializer_list<const char*> entries);

}  // namespace quorv::test
