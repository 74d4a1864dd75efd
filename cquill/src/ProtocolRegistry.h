#pragma once
#include <cstdint>
#include <unordered_map>

#include "cquill.h"

namespace varo {

// The process-wide creators of the client's field classes, by protocol id. Not locked: the
// client registers before any connection decodes.
class ProtocolRegistry {
public:
    static ProtocolRegistry& Instance();

    // Replaces an earlier creator of the same pid.
    void Register(uint32_t pid, FieldCreator creator);
    // Null when the pid was never registered.
    const FieldCreator* Find(uint32_t pid) const;

private:
    ProtocolRegistry() = default;

    std::unordered_map<uint32_t, FieldCreator> creators_;
};

}  // namespace varo
