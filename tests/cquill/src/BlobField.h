#pragma once
#include <string>

#include "cquill.h"

namespace cquill_test {

// A field whose body is a fixed number of raw bytes.
class BlobField : public varo::Field {
public:
    BlobField(uint32_t pid, std::string body) : pid_(pid), body(std::move(body)) {}
    BlobField(uint32_t pid, size_t length) : pid_(pid), body(length, '\0') {}

    void Encode(bostream& stream) override { stream.write(body.data(), static_cast<unsigned>(body.size())); }
    void Decode(bistream& stream) override
    {
        for (char& byte : body)
            stream.read(byte);
    }
    uint32_t GetPid() override { return pid_; }

private:
    uint32_t pid_;

public:
    std::string body;
};

}  // namespace cquill_test
