#pragma once
#include "tests/support/NginxServer.h"
#include "tests/support/TempDir.h"

#include <filesystem>

namespace testing_support {

// A certificate authority of the tests' own, made with Debian's openssl: its
// certificate, and a server certificate it issued for 127.0.0.1.
class TestCertificateAuthority {
public:
    TestCertificateAuthority();

    // The authority's certificate (PEM), what a client must trust.
    std::filesystem::path Certificate() const { return dir_.Path() / "ca.pem"; }
    // The server's certificate and key, for NginxServer.
    TlsFiles Server() const { return {dir_.Path() / "server.pem", dir_.Path() / "server.key"}; }

private:
    TempDir dir_;
};

}  // namespace testing_support
