#pragma once

// Which declarations of the public headers the library exports. The library is built
// with CQUILL_BUILDING; a client compiles the headers without it. On Windows a client
// imports from cquill.dll; elsewhere it sees plain declarations.

#if defined(_WIN32)
#if defined(CQUILL_BUILDING)
#define CQUILL_API __declspec(dllexport)
#else
#define CQUILL_API __declspec(dllimport)
#endif
#define CQUILL_CLASS CQUILL_API
// A DLL exports a class whole: members cannot be held back one by one.
#define CQUILL_INTERNAL
#elif defined(CQUILL_BUILDING)
#define CQUILL_API __attribute__((visibility("default")))
#define CQUILL_CLASS __attribute__((visibility("default")))
#define CQUILL_INTERNAL __attribute__((visibility("hidden")))
#else
#define CQUILL_API
#define CQUILL_CLASS
#define CQUILL_INTERNAL
#endif
