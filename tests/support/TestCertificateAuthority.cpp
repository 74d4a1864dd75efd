#include "tests/support/TestCertificateAuthority.h"

#include "tests/support/TestServerProcess.h"

#include <chrono>
#include <fstream>
#include <stdexcept>

namespace testing_support {

namespace {

// openssl is a Linux program also under wine, where it is started through the relay:
// its files are named by their full paths, which the relay turns into Unix paths.
void RunOpenssl(const std::vector<std::string>& arguments)
{
    TestServerProcess openssl("/usr/bin/openssl", arguments);
    if (!openssl.Wait(std::chrono::seconds(30)) || openssl.ExitCode() != 0)
        throw std::runtime_error("openssl " + arguments.front() + " failed: " + openssl.Stderr());
}

}  // namespace

TestCertificateAuthority::TestCertificateAuthority()
{
    const auto file = [this](const char* name) { return (dir_.Path() / name).string(); };
    std::ofstream(dir_.Path() / "server.ext") << "subjectAltName=IP:127.0.0.1,DNS:localhost\n";
    RunOpenssl({"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout",
                file("ca.key"), "-out", file("ca.pem"), "-days", "2", "-subj", "/CN=vexa tests CA"});
    RunOpenssl({"req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout",
                file("server.key"), "-out", file("server.csr"), "-subj", "/CN=127.0.0.1"});
    RunOpenssl({"x509", "-req", "-in", file("server.csr"), "-CA", file("ca.pem"), "-CAkey", file("ca.key"),
                "-CAcreateserial", "-days", "2", "-extfile", file("server.ext"), "-out", file("server.pem")});
}

}  // namespace testing_support
