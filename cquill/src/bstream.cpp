#include "cquill/src/bstream.h"

#include "cquill/src/LogManager.h"

namespace quill {

void LogStreamFailure(const char* operation, const char* reason)
{
    LogError(L"[%s]%s\n", operation, reason);
}

}  // namespace quill
