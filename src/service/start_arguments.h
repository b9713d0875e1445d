// Which of the arguments that a start through the Service Control Manager carries reach the
// worker.
#pragma once
#include <string>
#include <vector>

namespace quorv {

// Whoever may start the service chooses its start arguments; the executable's registered
// command line is the administrator's. When "-J" arguments become JVM options (configuration
// key 125), a start argument beginning with "-J" would let a starter add "-javaagent:" and run
// code in the service's account, so such arguments are kept back and listed in `refused`. Every
// other start argument is passed on unchanged and in order.
std::vector<std::string> startArgumentsForWorker(const std::vector<std::string>& startArguments,
                                                 bool jArgumentsAreOptions, std::vector<std::string>& refused);

}  // namespace quorv
