#pragma once
#include "tests/support/TestServerProcess.h"
#include "tests/support/TempDir.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sdr_testing {

// The scriptable directory server (tools/sdr-test-server): one loopback listener per
// behaviour, e.g. "entries=a:b:1", "empty", "slow=...", "short=10=abc", "silent",
// "close", "refuse".
class SdrTestServer {
public:
    explicit SdrTestServer(const std::vector<std::string>& behaviours);

    std::uint16_t Port(std::size_t listener) const { return ports_.at(listener); }
    // "<listener> <query payload>" per request received, in arrival order.
    std::vector<std::string> Requests() const;
    // An "SDR.INI" that points the six endpoints at the listeners in order.
    std::string EndpointsIni() const;

private:
    testing_support::TempDir temp_;
    std::unique_ptr<testing_support::TestServerProcess> child_;
    std::vector<std::uint16_t> ports_;
};

}  // namespace sdr_testing
