#include "service/start_arguments.h"

#include "core/split.h"
#include "core/codepage.h"
#include "service/supervision.h"

namespace quorv {

std::vector<std::string> startArgumentsForWorker(const std::vector<std::u16string>& ownArguments,
                                                 const std::string& serviceName,
                                                 const std::vector<std::string>& startArguments,
                                                 bool jArgumentsAreOptions, std::vector<std::string>& refused) {
  if (!jArgumentsAreOptions || startArguments.empty()) return startArguments;
  std::vector<std::u16string> seen;
  splitCommandLine(buildWorkerCommandLine(ownArguments, serviceName, startArguments), seen);
  // The line holds the program, the service name, the other own arguments, the start arguments
  // and the restart marker, one argument each. Should the parts before the start arguments not
  // come back one each, nothing tells which argument the worker sees where: none is passed.
  const std::size_t first = 1 + ownArguments.size();
  const bool aligned = seen.size() == first + startArguments.size() + 1;
  std::vector<std::string> passed;
  for (std::size_t i = 0; i < startArguments.size(); ++i) {
    const std::string& argument = startArguments[i];
    const bool kept = aligned && seen[first + i] == ansiToWide(argument) && seen[first + i].compare(0, 2, u"-J") != 0;
    (kept ? passed : refused).push_back(argument);
  }
  return passed;
}

}  // namespace quorv
