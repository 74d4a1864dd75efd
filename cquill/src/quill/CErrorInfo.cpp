#include "cquill/src/quill/CErrorInfo.h"

#include "platform/socket.h"

namespace quill {

std::string CErrorInfo::GetErrorText() const
{
    return platform::SocketErrorText(static_cast<int>(code));
}

std::string CErrorInfo::ToString() const
{
    return platform::FormatSocketError(static_cast<int>(code));
}

}  // namespace quill
