#pragma once
#include "tests/support/ChildProcess.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

// A desktop of its own for a test: a virtual X display (Xvfb) and a session bus, so
// the accessibility bus can start. Programs run with Environment() show their windows
// there; Drive() uses them as a person would (tests/support/desktop_driver.py).
class DesktopSession {
public:
    DesktopSession();

    // Empty when the session is up; else why not (the test then skips).
    const std::string& Failure() const { return failure_; }
    std::vector<std::pair<std::string, std::string>> Environment() const;

    // Starts the driver on its steps once it listens to the desktop, so that nothing
    // shown after this returns is missed.
    std::unique_ptr<ChildProcess> StartDriver(const std::vector<std::string>& steps) const;
    // The driver's output, then its errors, once it has done its steps.
    static std::string Driven(ChildProcess& driver);

private:
    static std::string FirstLine(ChildProcess& process, const std::string& what, std::string& failure);

    std::unique_ptr<ChildProcess> display_;
    std::unique_ptr<ChildProcess> bus_;
    std::string displayName_;
    std::string busAddress_;
    std::string failure_;
};

}  // namespace testing_support
