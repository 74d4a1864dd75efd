#pragma once

namespace quill {

// Root of the in-house classes: only gives them a virtual destructor.
class CQuillBase {
public:
    virtual ~CQuillBase() = default;
};

}  // namespace quill
