// Extraction of the included files into the per-run temporary directory.
#pragma once
#include <cstdint>

namespace quorv {

// 0 on success (also when there is nothing to extract), else the failing file's result (1 read, 2 write).
int extractIncludedFiles(bool createDirectory);

}  // namespace quorv
