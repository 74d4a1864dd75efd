// sdr-test-server [--requests FILE] BEHAVIOUR...
//
// Opens one listener on 127.0.0.1 per BEHAVIOUR (an ephemeral port each), prints the
// ports one per line in argument order, then "ready", and serves until killed.
// Every connection reads the request frame (appending "<listener> <payload>" to FILE)
// and then follows its listener's behaviour:
//   entries=PAYLOAD    answer PAYLOAD in one frame
//   empty              answer a frame with no payload
//   slow=PAYLOAD       answer the frame one byte at a time
//   short=N=PAYLOAD    announce N payload bytes, send PAYLOAD, close
//   silent             never answer; hold the connection until the peer closes
//   close              close without answering
//   refuse             the port is bound but not listening: connections are refused
#include "platform/program_entry.h"
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Behaviour {
    std::string kind;
    std::string payload;
    std::size_t announced = 0;
};

std::mutex requestLogLock;
std::string requestLogPath;

Behaviour ParseBehaviour(const std::string& text)
{
    Behaviour behaviour;
    const auto equals = text.find('=');
    behaviour.kind = text.substr(0, equals);
    if (equals == std::string::npos)
        return behaviour;
    behaviour.payload = text.substr(equals + 1);
    if (behaviour.kind == "short") {
        const auto second = behaviour.payload.find('=');
        behaviour.announced = std::stoul(behaviour.payload.substr(0, second));
        behaviour.payload = second == std::string::npos ? "" : behaviour.payload.substr(second + 1);
    }
    return behaviour;
}

bool ReadExactly(int fd, std::string& out, std::size_t count)
{
    while (out.size() < count) {
        char buffer[256];
        const auto got = recv(fd, buffer, std::min(sizeof buffer, count - out.size()), 0);
        if (got <= 0)
            return false;
        out.append(buffer, static_cast<std::size_t>(got));
    }
    return true;
}

void SendAll(int fd, const std::string& bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const auto count = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (count <= 0)
            return;
        sent += static_cast<std::size_t>(count);
    }
}

std::string Frame(std::size_t length, const std::string& payload)
{
    std::string frame;
    frame += '\x01';
    frame += static_cast<char>((length >> 8) & 0xFF);
    frame += static_cast<char>(length & 0xFF);
    return frame + payload;
}

void LogRequest(std::size_t listener, const std::string& payload)
{
    if (requestLogPath.empty())
        return;
    std::lock_guard guard(requestLogLock);
    std::ofstream(requestLogPath, std::ios::app) << listener << ' ' << payload << '\n';
}

void WaitForPeerClose(int fd)
{
    char buffer[256];
    while (recv(fd, buffer, sizeof buffer, 0) > 0) {
    }
}

void Serve(int fd, std::size_t listener, const Behaviour& behaviour)
{
    std::string header;
    std::string payload;
    if (ReadExactly(fd, header, 3)) {
        const std::size_t length = static_cast<unsigned char>(header[1]) << 8 | static_cast<unsigned char>(header[2]);
        ReadExactly(fd, payload, length);
        LogRequest(listener, payload);
    }
    if (behaviour.kind == "entries") {
        SendAll(fd, Frame(behaviour.payload.size(), behaviour.payload));
    } else if (behaviour.kind == "empty") {
        SendAll(fd, Frame(0, ""));
    } else if (behaviour.kind == "slow") {
        for (char c : Frame(behaviour.payload.size(), behaviour.payload)) {
            SendAll(fd, std::string(1, c));
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    } else if (behaviour.kind == "short") {
        SendAll(fd, Frame(behaviour.announced, behaviour.payload));
    } else if (behaviour.kind == "silent") {
        WaitForPeerClose(fd);
    }
    close(fd);
}

int OpenListener(const Behaviour& behaviour, std::uint16_t& port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::perror("listener");
        std::exit(1);
    }
    if (behaviour.kind != "refuse" && listen(fd, 128) != 0) {
        std::perror("listen");
        std::exit(1);
    }
    port = ntohs(address.sin_port);
    return fd;
}

void Accept(int listenFd, std::size_t listener, Behaviour behaviour)
{
    while (true) {
        const int fd = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0)
            std::thread(Serve, fd, listener, behaviour).detach();
    }
}

}  // namespace

int ProgramMain(int argc, char** argv)
{
    std::vector<Behaviour> behaviours;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--requests" && i + 1 < argc)
            requestLogPath = argv[++i];
        else
            behaviours.push_back(ParseBehaviour(argument));
    }
    std::vector<std::thread> acceptors;
    for (std::size_t i = 0; i < behaviours.size(); ++i) {
        std::uint16_t port = 0;
        const int fd = OpenListener(behaviours[i], port);
        std::cout << port << '\n';
        if (behaviours[i].kind != "refuse")
            acceptors.emplace_back(Accept, fd, i, behaviours[i]);
    }
    std::cout << "ready" << std::endl;
    for (auto& acceptor : acceptors)
        acceptor.join();
    pause();
}
