#include "tests/support/NginxServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace testing_support {

namespace {

sockaddr_in Loopback(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

bool Accepts(int port)
{
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Loopback(port);
    const bool accepted = connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(probe);
    return accepted;
}

}  // namespace

int FreeLoopbackPort()
{
    const int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    if (bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(probe);
        throw std::runtime_error("no free loopback port");
    }
    close(probe);
    return ntohs(address.sin_port);
}

NginxServer::NginxServer() : site_(dir_.Path() / "site"), port_(FreeLoopbackPort())
{
    std::filesystem::create_directories(site_);
    WriteConfig();
    const std::string prefix = dir_.Path().string() + "/";
    const std::string config = (dir_.Path() / "nginx.conf").string();
    const std::string errorLog = (dir_.Path() / "error.log").string();
    pid_ = fork();
    if (pid_ == 0) {
        execl("/usr/sbin/nginx", "nginx", "-p", prefix.c_str(), "-c", config.c_str(), "-e", errorLog.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid_ < 0)
        throw std::runtime_error("cannot start nginx");
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
    if (pid_ <= 0)
        return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}

std::string NginxServer::BaseUrl() const
{
    return "http://127.0.0.1:" + std::to_string(port_) + "/";
}

void NginxServer::Publish(const std::string& relativePath, const std::string& content) const
{
    const auto target = site_ / relativePath;
    std::filesystem::create_directories(target.parent_path());
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out.flush())
        throw std::runtime_error("cannot publish " + target.string());
}

std::string NginxServer::AccessLog() const
{
    std::ifstream in(dir_.Path() / "access.log");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// One process, in the foreground, running as whoever starts it, so that a private
// temporary folder stays readable when the tests run as root.
void NginxServer::WriteConfig() const
{
    const std::string dir = dir_.Path().string();
    std::ofstream config(dir_.Path() / "nginx.conf");
    config << "daemon off;\n"
              "master_process off;\n"
              "worker_processes 1;\n"
              "pid " << dir << "/nginx.pid;\n"
              "error_log " << dir << "/error.log warn;\n"
              "events { worker_connections 64; }\n"
              "http {\n"
              "  log_format ranges '$request $status range=$http_range';\n"
              "  access_log " << dir << "/access.log ranges;\n"
              "  client_body_temp_path " << dir << "/body;\n"
              "  proxy_temp_path " << dir << "/proxy;\n"
              "  fastcgi_temp_path " << dir << "/fastcgi;\n"
              "  uwsgi_temp_path " << dir << "/uwsgi;\n"
              "  scgi_temp_path " << dir << "/scgi;\n"
              "  default_type application/octet-stream;\n"
              "  server {\n"
              "    listen 127.0.0.1:" << port_ << ";\n"
              "    root " << site_.string() << ";\n"
              "  }\n"
              "}\n";
}

void NginxServer::WaitUntilListening()
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        if (Accepts(port_))
            return;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            throw std::runtime_error("nginx exited at start-up: see " + (dir_.Path() / "error.log").string());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    throw std::runtime_error("nginx did not start listening");
}

}  // namespace testing_support
