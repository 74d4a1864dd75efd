#include "cquill/src/SocketBase.h"

#include "cquill/src/LogManager.h"

namespace quill::net {

CSocketBase::~CSocketBase()
{
    CSocketBase::Close();
}

void CSocketBase::Close()
{
    if (!handle_.IsOpen())
        return;
    LogInfo(L"Close socket %d\n", handle_.Handle());
    handle_.Close();
}

}  // namespace quill::net
