#include "service/start_arguments.h"

namespace quorv {

std::vector<std::string> startArgumentsForWorker(const std::vector<std::string>& startArguments,
                                                 bool jArgumentsAreOptions, std::vector<std::string>& refused) {
  std::vector<std::string> passed;
  for (const std::string& argument : startArguments) {
    if (jArgumentsAreOptions && argument.compare(0, 2, "-J") == 0) {
      refused.push_back(argument);
    } else {
      passed.push_back(argument);
    }
  }
  return passed;
}

}  // namespace quorv
