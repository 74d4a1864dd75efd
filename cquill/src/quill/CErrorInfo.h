#pragma once
#include "cquill/src/quill/CQuillBase.h"

#include <cstdint>
#include <string>

namespace quill {

// The last socket error of a connection.
class CErrorInfo : public CQuillBase {
public:
    std::uint32_t code = 0;

    // The system's text for the code, "" when it has none.
    std::string GetErrorText() const;
    // "[" code "]" text.
    std::string ToString() const;
};

}  // namespace quill
