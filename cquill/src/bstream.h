#pragma once
#include "cquill.h"

namespace quill {

// Logs a stream failure at ERROR as "[operation]reason\n"; the library gives it to every
// stream it builds.
void LogStreamFailure(const char* operation, const char* reason);

}  // namespace quill
