#pragma once
#include <cstdint>
#include <string>

namespace quill::sdr {

// What one directory request asks, and of whom.
struct SdrRequest {
    std::string host;
    std::uint16_t port = 0;
    std::string key;
};

// "request info\nIP:<host>   port:<port>\nkey<key>", shared by every log record.
std::string DescribeRequest(const SdrRequest& request);

}  // namespace quill::sdr
