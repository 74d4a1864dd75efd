#include "cquill.h"

extern "C" CQUILL_API int GetNetworkDLLVersion()
{
    return 2;
}
