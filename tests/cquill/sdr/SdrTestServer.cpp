#include "tests/cquill/sdr/SdrTestServer.h"

#include "tests/support/ClientTree.h"

#include <chrono>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace sdr_testing {

SdrTestServer::SdrTestServer(const std::vector<std::string>& behaviours)
{
    std::vector<std::string> arguments = {"--requests", (temp_.Path() / "requests.txt").string()};
    arguments.insert(arguments.end(), behaviours.begin(), behaviours.end());
    child_ = std::make_unique<testing_support::TestServerProcess>("sdr-test-server", arguments);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (child_->Stdout().find("ready\n") == std::string::npos) {
        if (std::chrono::steady_clock::now() > deadline || !child_->Running())
            throw std::runtime_error("sdr-test-server did not start: " + child_->Stderr());
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::istringstream lines(child_->Stdout());
    for (std::string line; std::getline(lines, line) && line != "ready";)
        ports_.push_back(static_cast<std::uint16_t>(std::stoul(line)));
}

std::vector<std::string> SdrTestServer::Requests() const
{
    std::istringstream lines(testing_support::ReadFileBytes(temp_.Path() / "requests.txt"));
    std::vector<std::string> requests;
    for (std::string line; std::getline(lines, line);)
        requests.push_back(line);
    return requests;
}

std::string SdrTestServer::EndpointsIni() const
{
    std::string ini = "[ENDPOINTS]\r\n";
    for (std::size_t i = 0; i < ports_.size() && i < 6; ++i)
        ini += std::to_string(i + 1) + "=127.0.0.1:" + std::to_string(ports_[i]) + "\r\n";
    return ini;
}

}  // namespace sdr_testing
