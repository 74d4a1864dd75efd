#pragma once

// Which declarations of the public headers the library exports. A client compiles
// them without CQUILL_BUILDING and sees plain declarations.

#if defined(CQUILL_BUILDING)
#define CQUILL_API __attribute__((visibility("default")))
#define CQUILL_CLASS __attribute__((visibility("default")))
#define CQUILL_INTERNAL __attribute__((visibility("hidden")))
#else
#define CQUILL_API
#define CQUILL_CLASS
#define CQUILL_INTERNAL
#endif
