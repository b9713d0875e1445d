// Console text of the service commands: printed and flushed at once, so that it stands in order
// with what the Service Control Manager's callers see.
#pragma once

#include <cstdarg>
#include <cstdio>

namespace quorv {

inline void say(const char* format, ...) __attribute__((format(printf, 1, 2)));
inline void say(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vprintf(format, args);
  va_end(args);
  std::fflush(stdout);
}

}  // namespace quorv
