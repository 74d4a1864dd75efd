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
#include "platform/testing/loopback_socket.h"

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

using platform::testing::SocketHandle;

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

bool ReadExactly(SocketHandle socket, std::string& out, std::size_t count)
{
    while (out.size() < count) {
        char buffer[256];
        const auto got = platform::testing::ReceiveBytes(socket, buffer, std::min(sizeof buffer, count - out.size()));
        if (got <= 0)
            return false;
        out.append(buffer, static_cast<std::size_t>(got));
    }
    return true;
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

void WaitForPeerClose(SocketHandle socket)
{
    char buffer[256];
    while (platform::testing::ReceiveBytes(socket, buffer, sizeof buffer) > 0) {
    }
}

void Serve(SocketHandle socket, std::size_t listener, const Behaviour& behaviour)
{
    using platform::testing::SendAll;
    std::string header;
    std::string payload;
    if (ReadExactly(socket, header, 3)) {
        const std::size_t length = static_cast<unsigned char>(header[1]) << 8 | static_cast<unsigned char>(header[2]);
        ReadExactly(socket, payload, length);
        LogRequest(listener, payload);
    }
    if (behaviour.kind == "entries") {
        SendAll(socket, Frame(behaviour.payload.size(), behaviour.payload));
    } else if (behaviour.kind == "empty") {
        SendAll(socket, Frame(0, ""));
    } else if (behaviour.kind == "slow") {
        for (char c : Frame(behaviour.payload.size(), behaviour.payload)) {
            SendAll(socket, std::string(1, c));
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    } else if (behaviour.kind == "short") {
        SendAll(socket, Frame(behaviour.announced, behaviour.payload));
    } else if (behaviour.kind == "silent") {
        WaitForPeerClose(socket);
    }
    platform::testing::CloseSocket(socket);
}

SocketHandle OpenListener(const Behaviour& behaviour, std::uint16_t& port)
{
    const SocketHandle socket = platform::testing::OpenLoopbackPort(behaviour.kind != "refuse", 128, port);
    if (socket == platform::testing::kNoSocket) {
        std::perror("listener");
        std::exit(1);
    }
    return socket;
}

void Accept(SocketHandle listenSocket, std::size_t listener, Behaviour behaviour)
{
    while (true) {
        const SocketHandle socket = platform::testing::AcceptConnection(listenSocket, -1);
        if (socket != platform::testing::kNoSocket)
            std::thread(Serve, socket, listener, behaviour).detach();
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
        const SocketHandle socket = OpenListener(behaviours[i], port);
        std::cout << port << '\n';
        if (behaviours[i].kind != "refuse")
            acceptors.emplace_back(Accept, socket, i, behaviours[i]);
    }
    std::cout << "ready" << std::endl;
    for (auto& acceptor : acceptors)
        acceptor.join();
    // Only refused ports: they stay bound until the server is killed.
    for (;;)
        std::this_thread::sleep_for(std::chrono::hours(1));
}
