#include "cquill/src/ProtocolRegistry.h"

namespace varo {

ProtocolRegistry& ProtocolRegistry::Instance()
{
    // Created under the runtime's initialisation guard on first use, destroyed at unload.
    static ProtocolRegistry instance;
    return instance;
}

void ProtocolRegistry::Register(uint32_t pid, FieldCreator creator)
{
    creators_.insert_or_assign(pid, std::move(creator));
}

const FieldCreator* ProtocolRegistry::Find(uint32_t pid) const
{
    const auto found = creators_.find(pid);
    return found == creators_.end() ? nullptr : &found->second;
}

}  // namespace varo
