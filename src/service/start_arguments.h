// Which of the arguments that a start through the Service Control Manager carries reach the
// worker.
#pragma once
#include <string>
#include <vector>

namespace quorv {

// Whoever may start the service chooses its start arguments; the executable's registered
// command line is the administrator's. When "-J" arguments become JVM options (configuration
// key 125), a start argument that the worker would see beginning with "-J" would let a starter
// add "-javaagent:" and run code in the service's account. The arguments are therefore judged in
// the form the worker sees them: the worker's command line is built with them, split again as
// the worker splits it, and a start argument is kept back (and listed in `refused`) when it does
// not come back unchanged (quote characters that no quoting keeps whole) or comes back beginning
// with "-J". Every other start argument is passed on unchanged and in order. Without -J options
// every start argument is passed on.
std::vector<std::string> startArgumentsForWorker(const std::vector<std::u16string>& ownArguments,
                                                 const std::string& serviceName,
                                                 const std::vector<std::string>& startArguments,
                                                 bool jArgumentsAreOptions, std::vector<std::string>& refused);

}  // namespace quorv
