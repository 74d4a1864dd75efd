#include "tests/support/NginxServer.h"

#include "platform/testing/loopback_socket.h"

#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace testing_support {

namespace {

bool Accepts(int port)
{
    const auto probe = platform::testing::ConnectLoopback(static_cast<std::uint16_t>(port));
    platform::testing::CloseSocket(probe);
    return probe != platform::testing::kNoSocket;
}

// Sends one HTTP request and reads the answer to its end.
void Fetch(int port, const std::string& path)
{
    const auto client = platform::testing::ConnectLoopback(static_cast<std::uint16_t>(port));
    if (client == platform::testing::kNoSocket)
        return;
    if (platform::testing::SendAll(client, "GET " + path + " HTTP/1.0\r\n\r\n")) {
        char buffer[4096];
        while (platform::testing::ReceiveBytes(client, buffer, sizeof buffer) > 0) {
        }
    }
    platform::testing::CloseSocket(client);
}

std::string ReadWhole(const std::filesystem::path& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

const std::string kBarrierPath = "/.access-log-barrier";

}  // namespace

int FreeLoopbackPort()
{
    std::uint16_t port = 0;
    const auto probe = platform::testing::OpenLoopbackPort(false, 0, port);
    if (probe == platform::testing::kNoSocket)
        throw std::runtime_error("no free loopback port");
    platform::testing::CloseSocket(probe);
    return port;
}

NginxServer::NginxServer(std::optional<TlsFiles> tls, std::optional<Throttle> throttle, std::vector<Redirect> redirects)
    : site_(dir_.Path() / "site"), tls_(std::move(tls)), throttle_(std::move(throttle)), redirects_(std::move(redirects))
{
    std::filesystem::create_directories(site_);
    CopyTlsFiles();
    // The free port may be taken by a parallel test before nginx binds it: try another.
    for (int attempt = 1;; ++attempt) {
        port_ = FreeLoopbackPort();
        WriteConfig();
        try {
            Start();
            return;
        } catch (const std::exception&) {
            if (attempt == 5)
                throw;
        }
    }
}

// The folder's path reaches nginx only as its arguments, which the relay turns into
// Unix paths under wine; the configuration names every file relative to it.
void NginxServer::Start()
{
    const std::string prefix = dir_.Path().string() + "/";
    const std::string config = (dir_.Path() / "nginx.conf").string();
    const std::string errorLog = (dir_.Path() / "error.log").string();
    std::filesystem::remove(dir_.Path() / "nginx.pid");
    nginx_ = std::make_unique<TestServerProcess>("/usr/sbin/nginx",
                                                 std::vector<std::string>{"-p", prefix, "-c", config, "-e", errorLog});
    try {
        WaitUntilListening();
    } catch (...) {
        Stop();
        throw;
    }
}

NginxServer::~NginxServer()
{
    Stop();
}

void NginxServer::Stop()
{
    if (!nginx_)
        return;
    nginx_->Stop();
    nginx_.reset();
}

std::string NginxServer::BaseUrl() const
{
    const std::string scheme = tls_ ? "https://127.0.0.1:" : "http://127.0.0.1:";
    return scheme + std::to_string(port_) + "/";
}

void NginxServer::Publish(const std::string& relativePath, const std::string& content) const
{
    const auto target = site_ / Utf8Path(relativePath);
    std::filesystem::create_directories(target.parent_path());
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out.flush())
        throw std::runtime_error("cannot publish " + target.string());
}

// nginx writes a request's line only after the last byte went out, so a client can
// be done before the line is. One more request is the barrier: nginx serves requests
// one after another in its single process, so once the barrier's line is there,
// every earlier line is too. Barrier lines are left out of the result.
std::string NginxServer::AccessLog() const
{
    Fetch(port_, kBarrierPath);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    std::string log = ReadWhole(dir_.Path() / "access.log");
    while (log.find(kBarrierPath) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        log = ReadWhole(dir_.Path() / "access.log");
    }
    std::istringstream lines(log);
    std::string line, requests;
    while (std::getline(lines, line))
        if (line.find(kBarrierPath) == std::string::npos)
            requests += line + "\n";
    return requests;
}

void NginxServer::CopyTlsFiles() const
{
    if (!tls_)
        return;
    std::filesystem::copy_file(tls_->certificate, dir_.Path() / "server.pem");
    std::filesystem::copy_file(tls_->key, dir_.Path() / "server.key");
}

// One process, in the foreground, running as whoever starts it, so that a private
// temporary folder stays readable when the tests run as root. Every path is relative
// to nginx's prefix, the server's folder.
void NginxServer::WriteConfig() const
{
    std::ofstream config(dir_.Path() / "nginx.conf");
    config << "daemon off;\n"
              "master_process off;\n"
              "worker_processes 1;\n"
              "pid nginx.pid;\n"
              "error_log error.log warn;\n"
              "events { worker_connections 64; }\n"
              "http {\n"
              "  log_format ranges '$request $status range=$http_range';\n"
              "  access_log access.log ranges;\n"
              "  client_body_temp_path body;\n"
              "  proxy_temp_path proxy;\n"
              "  fastcgi_temp_path fastcgi;\n"
              "  uwsgi_temp_path uwsgi;\n"
              "  scgi_temp_path scgi;\n"
              "  default_type application/octet-stream;\n"
              "  server {\n"
              "    listen 127.0.0.1:" << port_ << (tls_ ? " ssl" : "") << ";\n";
    if (tls_)
        config << "    ssl_certificate server.pem;\n"
                  "    ssl_certificate_key server.key;\n";
    config << "    root site;\n";
    if (throttle_)
        config << "    location ~ \"" << throttle_->pathPattern << "\" { limit_rate " << throttle_->bytesPerSecond
               << "; }\n";
    for (const Redirect& redirect : redirects_)
        config << "    location = \"" << redirect.path << "\" { return 301 \"" << redirect.location << "\"; }\n";
    config << "  }\n"
              "}\n";
}

// nginx writes its pid file only after it has bound its port: until then, whatever
// accepts on the port may be another program that took it first, and then this nginx
// cannot bind it and exits. The file is removed before each start, and only this
// nginx writes into its folder.
bool NginxServer::WritesItsPid() const
{
    const std::string pid = ReadWhole(dir_.Path() / "nginx.pid");
    return pid.size() > 1 && pid.back() == '\n';
}

void NginxServer::WaitUntilListening()
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        if (WritesItsPid() && Accepts(port_))
            return;
        if (!nginx_->Running()) {
            const std::string output = nginx_->Stderr();
            nginx_.reset();
            throw std::runtime_error("nginx exited at start-up: " + output + "see " +
                                     (dir_.Path() / "error.log").string());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    throw std::runtime_error("nginx did not start listening");
}

}  // namespace testing_support
