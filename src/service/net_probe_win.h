// Whether a network target of the readiness gate (service/readiness.h) answers now.
#pragma once
#include <cstdint>

#include "service/readiness.h"

namespace quorv {

// A tcp target answers when a connection succeeds within `timeoutMs`; an http target when, on
// that connection, a GET answers with a 2xx status within `timeoutMs` for each step.
bool targetAnswers(const ReadyTarget& target, uint32_t timeoutMs);

}  // namespace quorv
