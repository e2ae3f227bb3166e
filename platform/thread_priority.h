// Thread priorities in place of SetThreadPriority. Linux schedules ordinary threads by their nice
// value, which each thread may raise for itself without privileges.
#pragma once

#include <string>

namespace platform {

// Lowers the calling thread's priority (the System workers). False with the reason in `error`
// when the system refuses.
bool LowerCurrentThreadPriority(std::string* error = nullptr);

}  // namespace platform
