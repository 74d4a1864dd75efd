#pragma once
#include "tests/support/TempDir.h"

#include <filesystem>
#include <string>

namespace testing_support {

// Debian's nginx on a free loopback port, serving a temporary site folder. It
// honours byte ranges and answers 404 for missing files. Stopped on destruction.
class NginxServer {
public:
    NginxServer();
    ~NginxServer();
    NginxServer(const NginxServer&) = delete;
    NginxServer& operator=(const NginxServer&) = delete;

    int Port() const { return port_; }
    // "http://127.0.0.1:<port>/"
    std::string BaseUrl() const;
    // The folder served at the site's root.
    const std::filesystem::path& SiteRoot() const { return site_; }
    // Writes a file under the site root, creating its folders.
    void Publish(const std::string& relativePath, const std::string& content) const;
    // One line per request served: "<request line> <status> range=<Range header or ->".
    std::string AccessLog() const;

private:
    void WriteConfig() const;
    void Start();
    void WaitUntilListening();
    void Stop();

    TempDir dir_;
    std::filesystem::path site_;
    int port_ = 0;
    int pid_ = -1;
};

// A loopback port that nothing listens on at the moment of the call.
int FreeLoopbackPort();

}  // namespace testing_support
