#pragma once
#include "tests/support/TempDir.h"
#include "tests/support/TestServerProcess.h"

#include <filesystem>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

// The server's certificate chain and key, PEM files, for HTTPS.
struct TlsFiles {
    std::filesystem::path certificate;
    std::filesystem::path key;
};

// Answers whose path matches the regular expression are sent at most that fast
// after their first bytesPerSecond bytes (nginx's limit_rate), so that a test can
// act in the middle of the transfer.
struct Throttle {
    std::string pathPattern;
    std::size_t bytesPerSecond = 0;
};

// A path answered with "301 Moved Permanently" to the location instead of a file.
struct Redirect {
    std::string path;
    std::string location;
};

// Debian's nginx on a free loopback port, serving a temporary site folder. It
// honours byte ranges and answers 404 for missing files. With TLS files it speaks
// only HTTPS. Stopped on destruction. A Linux program also when the tests run under
// wine (see TestServerProcess).
class NginxServer {
public:
    explicit NginxServer(std::optional<TlsFiles> tls = std::nullopt, std::optional<Throttle> throttle = std::nullopt,
                         std::vector<Redirect> redirects = {});
    ~NginxServer();
    NginxServer(const NginxServer&) = delete;
    NginxServer& operator=(const NginxServer&) = delete;

    int Port() const { return port_; }
    // "http://127.0.0.1:<port>/", "https://..." with TLS
    std::string BaseUrl() const;
    // The folder served at the site's root.
    const std::filesystem::path& SiteRoot() const { return site_; }
    // Writes a file under the site root, creating its folders; the path is UTF-8.
    void Publish(const std::string& relativePath, const std::string& content) const;
    // One line per request served: "<request line> <status> range=<Range header or ->".
    // Plain HTTP only.
    std::string AccessLog() const;

private:
    void CopyTlsFiles() const;
    void WriteConfig() const;
    void Start();
    bool WritesItsPid() const;
    void WaitUntilListening();
    void Stop();

    TempDir dir_;
    std::filesystem::path site_;
    std::optional<TlsFiles> tls_;
    std::optional<Throttle> throttle_;
    std::vector<Redirect> redirects_;
    int port_ = 0;
    std::unique_ptr<TestServerProcess> nginx_;
};

// A loopback port that nothing listens on at the moment of the call.
int FreeLoopbackPort();

}  // namespace testing_support
