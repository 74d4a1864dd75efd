#include "cquill.h"

#include "cquill/src/Network.h"
#include "cquill/src/ProtocolRegistry.h"
#include "platform/socket.h"
#include "platform/thread_window.h"

extern "C" CQUILL_API int GetNetworkDLLVersion()
{
    return 2;
}

extern "C" CQUILL_API bool RegisterProtocal(unsigned int pid, varo::FieldCreator creator)
{
    varo::ProtocolRegistry::Instance().Register(pid, std::move(creator));
    return true;
}

extern "C" CQUILL_API INetwork* CreateNetworkInterface()
{
    platform::SocketStartup();
    // The client pairs every call with ReleaseNetworkInterface, also when it got null.
    try {
        return new quill::net::CNetwork;
    } catch (...) {
        return nullptr;
    }
}

extern "C" CQUILL_API void ReleaseNetworkInterface(INetwork** network)
{
    if (network && *network) {
        delete *network;
        *network = nullptr;
    }
    platform::SocketCleanup();
}

extern "C" CQUILL_API int DispatchNetworkMessages(int waitMilliseconds)
{
    return platform::DispatchThreadMessages(waitMilliseconds);
}

extern "C" CQUILL_API int GetNetworkMessageFd()
{
    return platform::ThreadMessageDescriptor();
}
