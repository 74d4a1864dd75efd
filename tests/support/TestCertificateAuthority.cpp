#include "tests/support/TestCertificateAuthority.h"

#include "tests/support/ChildProcess.h"

#include <fstream>
#include <stdexcept>

namespace testing_support {

namespace {

void RunOpenssl(const std::filesystem::path& folder, std::vector<std::string> arguments)
{
    ChildOptions options;
    options.arguments = std::move(arguments);
    options.workingFolder = folder.string();
    ChildProcess openssl("/usr/bin/openssl", options);
    if (!openssl.Wait() || openssl.ExitCode() != 0)
        throw std::runtime_error("openssl " + options.arguments.front() + " failed: " + openssl.Stderr());
}

}  // namespace

TestCertificateAuthority::TestCertificateAuthority()
{
    const auto& folder = dir_.Path();
    std::ofstream(folder / "server.ext") << "subjectAltName=IP:127.0.0.1,DNS:localhost\n";
    RunOpenssl(folder, {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                        "-keyout", "ca.key", "-out", "ca.pem", "-days", "2", "-subj", "/CN=vexa tests CA"});
    RunOpenssl(folder, {"req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout",
                        "server.key", "-out", "server.csr", "-subj", "/CN=127.0.0.1"});
    RunOpenssl(folder, {"x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial",
                        "-days", "2", "-extfile", "server.ext", "-out", "server.pem"});
}

}  // namespace testing_support
