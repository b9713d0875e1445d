#include "core/globals.h"

namespace quorv {

std::string serviceName;
bool interactiveFlag = true;
char launcherFlavour = 0;
std::string tempDirectory;
std::string jvmHome;
uint32_t includedFilesOffset = 0;
uint64_t unextractedPosition = 0;
std::string semaphoreName;

}  // namespace quorv
