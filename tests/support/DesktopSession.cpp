#include "tests/support/DesktopSession.h"

#include <chrono>
#include <thread>

namespace testing_support {

namespace {

using namespace std::chrono_literals;

const std::string kDriver = std::string(TEST_SOURCE_DIR) + "/support/desktop_driver.py";
#ifdef VEXA_SANITIZED
const std::string kLeakSuppressions = std::string(TEST_SOURCE_DIR) + "/support/desktop_leaks.supp";
#endif

}  // namespace

DesktopSession::DesktopSession()
{
    // -displayfd picks a free display and prints its number once it accepts clients.
    display_ = std::make_unique<ChildProcess>("/usr/bin/Xvfb", ChildOptions{{"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"}});
    const std::string number = FirstLine(*display_, "Xvfb", failure_);
    if (number.empty())
        return;
    displayName_ = ":" + number;
    // The accessibility services the bus starts synthesize input on this display.
    bus_ = std::make_unique<ChildProcess>("/usr/bin/dbus-daemon", ChildOptions{{"--session", "--nofork", "--print-address=1"}, {{"DISPLAY", displayName_}}});
    busAddress_ = FirstLine(*bus_, "dbus-daemon", failure_);
}

std::string DesktopSession::FirstLine(ChildProcess& process, const std::string& what, std::string& failure)
{
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < deadline) {
        const std::string out = process.Stdout();
        if (const auto end = out.find('\n'); end != std::string::npos)
            return out.substr(0, end);
        if (!process.Running())
            break;
        std::this_thread::sleep_for(10ms);
    }
    failure = what + " did not start: " + process.Stderr();
    return "";
}

std::vector<std::pair<std::string, std::string>> DesktopSession::Environment() const
{
    std::vector<std::pair<std::string, std::string>> environment{
        {"DISPLAY", displayName_}, {"DBUS_SESSION_BUS_ADDRESS", busAddress_}, {"WAYLAND_DISPLAY", ""}, {"GDK_BACKEND", "x11"}};
#ifdef VEXA_SANITIZED
    // The font library keeps its cache until the process ends; only that is let pass.
    environment.emplace_back("LSAN_OPTIONS", "suppressions=" + kLeakSuppressions);
#endif
    return environment;
}

std::unique_ptr<ChildProcess> DesktopSession::StartDriver(const std::vector<std::string>& steps) const
{
    std::vector<std::string> arguments{"-X", "faulthandler", kDriver};
    arguments.insert(arguments.end(), steps.begin(), steps.end());
    auto driver = std::make_unique<ChildProcess>("/usr/bin/python3", ChildOptions{arguments, Environment()});
    std::string failure;
    FirstLine(*driver, "the driver", failure);
    return driver;
}

std::string DesktopSession::Driven(ChildProcess& driver)
{
    driver.Wait(180s);
    return driver.Stdout() + driver.Stderr();
}

}  // namespace testing_support
