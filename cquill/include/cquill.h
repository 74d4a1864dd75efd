#pragma once

// Public interface of libcquill.so, compiled by the library and by the client.

#if defined(CQUILL_BUILDING)
#define CQUILL_API __attribute__((visibility("default")))
#else
#define CQUILL_API
#endif

extern "C" CQUILL_API int GetNetworkDLLVersion();
