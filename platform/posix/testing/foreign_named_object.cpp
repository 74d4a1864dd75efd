#include "platform/testing/foreign_named_object.h"

namespace platform::testing {

// A named mutex is a lock file here: there is no namespace of objects to take a name in.
CForeignNamedObject::CForeignNamedObject(const std::wstring&) {}

CForeignNamedObject::~CForeignNamedObject() = default;

}  // namespace platform::testing
