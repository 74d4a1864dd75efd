#pragma once
#include <cstdint>
#include <string>

#include "cquill.h"

namespace test_server {

// A field of any protocol, kept as the bytes of its body: the server answers with what it
// was sent without knowing the client's protocols.
class RawField : public varo::Field {
public:
    explicit RawField(uint32_t pid, std::string body = {}) : pid_(pid), body_(std::move(body)) {}

    void Encode(bostream& stream) override { stream.write(body_.data(), static_cast<unsigned int>(body_.size())); }
    // The codec does not pass the record's length, but it has just read it: the two bytes
    // before the cursor.
    void Decode(bistream& stream) override
    {
        unsigned short length = 0;
        stream.seek(bstream_base::seek_current, -2);
        stream >> length;
        body_.resize(length);
        for (char& byte : body_)
            stream.read(byte);
    }
    uint32_t GetPid() override { return pid_; }

    const std::string& Body() const { return body_; }

private:
    uint32_t pid_;
    std::string body_;
};

}  // namespace test_server
