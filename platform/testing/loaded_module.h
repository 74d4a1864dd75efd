#pragma once
#include <string>

namespace platform::testing {

// A shared library loaded by a test the way a client loads it, bound by plain names.
class CLoadedModule {
public:
    explicit CLoadedModule(const std::string& path);  // UTF-8 path
    ~CLoadedModule();
    CLoadedModule(const CLoadedModule&) = delete;
    CLoadedModule& operator=(const CLoadedModule&) = delete;

    bool Loaded() const { return handle_ != nullptr; }
    // The system's words for why loading failed; empty once loaded.
    const std::string& Failure() const { return failure_; }
    // The address of an exported name; null when the module does not export it.
    void* Symbol(const char* name) const;

private:
    void* handle_ = nullptr;
    std::string failure_;
};

}  // namespace platform::testing
