#pragma once

// Server directory lookup: which game servers serve a product path.

#include <string>
#include <vector>

#include "cquill_export.h"

// One directory entry, texts as the server sent them (no code-page conversion).
// The client reads the answer vector in place, so both sides compile this type with
// the same standard library.
struct SdrEntry {
    std::string column1;
    std::string column2;
    unsigned short port = 0;
    std::string column4;
    std::string column5;
};

// One asynchronous lookup. Created by CreateISdr, ended by Release (never delete it).
class CQUILL_API ISDR {
public:
    // Key "sdr.<path>..."; timeout is the whole lookup's budget in seconds
    // (0: every request expires at once, negative: no time-outs). Call once, before Start.
    virtual void SetRequest(const char* key, int timeout) = 0;
    // Waits for the lookup to end (call Cancel first to shorten it) and destroys it.
    virtual void Release() = 0;
    // The answer; read it only once IsFinished() is true. Valid until Release.
    virtual const std::vector<SdrEntry>& GetResult() = 0;
    virtual bool Start() = 0;
    virtual bool IsStarted() = 0;
    virtual bool IsFinished() = 0;
    virtual void Wait() = 0;
    // True before Start and again once the lookup has finished.
    virtual bool IsIdle() = 0;
    virtual void Cancel() = 0;
    virtual bool IsCancelled() = 0;

protected:
    ISDR() = default;
};

// Sets up the directory log from "SysCfg/SDRLOG.INI" beside the executable.
extern "C" CQUILL_API void InitialSDR();
// A new idle lookup, or null when there is no memory for it.
extern "C" CQUILL_API ISDR* CreateISdr();

// Signatures for binding the exports by name.
using InitialSDRFunction = void (*)();
using CreateISdrFunction = ISDR* (*)();
