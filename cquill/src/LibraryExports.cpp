#include "cquill.h"

#include "cquill/src/ProtocolRegistry.h"

extern "C" CQUILL_API int GetNetworkDLLVersion()
{
    return 2;
}

extern "C" CQUILL_API bool RegisterProtocal(unsigned int pid, varo::FieldCreator creator)
{
    varo::ProtocolRegistry::Instance().Register(pid, std::move(creator));
    return true;
}
