#pragma once
#include <string>
#include <vector>

namespace quill::sdr {

// The six directory endpoints "host:port" in asking order: the primary and the
// secondary host of three domains. "SysCfg/SDR.INI" beside the executable may
// replace each one (section "ENDPOINTS", keys "1" to "6").
std::vector<std::string> SdrEndpoints();

}  // namespace quill::sdr
