// Round trips of a 200-byte message through tools/cquill-test-server ("echo"): latency
// (median, 99th percentile) and throughput of 1,000 messages in worker and main-thread mode,
// each beside a plain blocking-socket client of ours sending the same packet bytes in the
// same run; then the CPU time an idle connection costs per second.
// Run: build/release/bin/network_roundtrip (the server binary must sit beside it).

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cquill.h"
#include "cquill/src/Network.h"
#include "cquill/src/Packet.h"
#include "platform/module_path.h"
#include "platform/socket.h"
#include "platform/text.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr uint32_t pid = 1001;
constexpr size_t fieldBody = 200 - 4 - 16 - 6;  // a 200-byte packet
constexpr int roundTrips = 300;
constexpr int burst = 1000;

class BodyField : public varo::Field {
public:
    BodyField() : body(fieldBody, 'b') {}
    void Encode(bostream& stream) override { stream.write(body.data(), static_cast<unsigned>(body.size())); }
    void Decode(bistream& stream) override
    {
        for (char& byte : body)
            stream.read(byte);
    }
    uint32_t GetPid() override { return pid; }

    std::string body;
};

// The test server, started through the shell so that its pid can be read and killed.
class Server {
public:
    Server()
    {
        const std::string exe = platform::Utf8FromWide(platform::ExecutablePath());
        const std::string command = "sh -c 'echo $$; exec \"" + exe.substr(0, exe.rfind('/')) +
                                    "/cquill-test-server\" --pids 1001 echo' 2>/dev/null";
        output_ = popen(command.c_str(), "r");
        if (!output_ || std::fscanf(output_, "%d %hu", &pid_, &port_) != 2) {
            port_ = 0;
            return;
        }
        // Its event lines are not needed, but a full pipe would stop the server.
        drain_ = std::thread([this] {
            char line[4096];
            while (std::fgets(line, sizeof line, output_))
                ;
        });
    }
    ~Server()
    {
        if (pid_)
            std::system(("kill " + std::to_string(pid_)).c_str());
        if (drain_.joinable())
            drain_.join();
        if (output_)
            pclose(output_);
    }
    unsigned short Port() const { return port_; }

private:
    FILE* output_ = nullptr;
    std::thread drain_;
    int pid_ = 0;
    unsigned short port_ = 0;
};

class CountingListener : public INetworkListener {
public:
    int OnReceiveMessage(INetwork*, IMessage*) override
    {
        {
            std::lock_guard guard(lock_);
            ++received_;
        }
        changed_.notify_all();
        return 1;
    }
    void OnStatusChanged(INetwork*, int, int to) override
    {
        {
            std::lock_guard guard(lock_);
            status_ = to;
        }
        changed_.notify_all();
    }
    void WaitReceived(long count)
    {
        std::unique_lock lock(lock_);
        changed_.wait(lock, [&] { return received_ >= count; });
    }
    void WaitStatus(int status)
    {
        std::unique_lock lock(lock_);
        changed_.wait(lock, [&] { return status_ == status; });
    }
    long Received()
    {
        std::lock_guard guard(lock_);
        return received_;
    }

private:
    std::mutex lock_;
    std::condition_variable changed_;
    long received_ = 0;
    int status_ = 0;
};

varo::Message TestMessage()
{
    varo::Message message;
    message.AddField(std::make_shared<BodyField>());
    return message;
}

std::string PacketBytes()
{
    varo::Message message = TestMessage();
    char buffer[16384];
    bostream out(buffer, sizeof buffer);
    varo::Packet packet;
    packet.message = &message;
    varo::Message::compress(out, packet);
    return std::string(buffer, out.offset());
}

void Report(const char* what, std::vector<double> microseconds)
{
    std::sort(microseconds.begin(), microseconds.end());
    const double median = microseconds[microseconds.size() / 2];
    const double p99 = microseconds[microseconds.size() * 99 / 100];
    std::printf("%-34s median %9.1f us   p99 %9.1f us\n", what, median, p99);
}

double Since(Clock::time_point start)
{
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

void LibraryLatency(unsigned short port, bool mainThread)
{
    CountingListener listener;
    quill::net::CNetwork network;
    network.Initialize(&listener, mainThread);
    network.Connect("127.0.0.1", port);
    while (network.GetStatus() != 2)
        DispatchNetworkMessages(10);
    varo::Message message = TestMessage();
    std::vector<double> samples;
    for (int i = 0; i < roundTrips; ++i) {
        const auto start = Clock::now();
        network.SendMessage(&message);
        if (mainThread) {
            while (listener.Received() <= i)
                DispatchNetworkMessages(100);
        } else {
            listener.WaitReceived(i + 1);
        }
        samples.push_back(Since(start));
    }
    Report(mainThread ? "library, main-thread mode" : "library, worker mode", samples);
    network.Close();
}

void LibraryThroughput(unsigned short port, bool mainThread)
{
    CountingListener listener;
    quill::net::CNetwork network;
    network.Initialize(&listener, mainThread);
    network.Connect("127.0.0.1", port);
    while (network.GetStatus() != 2)
        DispatchNetworkMessages(10);
    varo::Message message = TestMessage();
    // A full send queue refuses the message: the loop lets the worker (and, in main-thread
    // mode, this thread's deliveries) catch up before it tries again.
    const auto start = Clock::now();
    for (int sent = 0; sent < burst;) {
        if (network.SendMessage(&message))
            ++sent;
        else if (mainThread)
            DispatchNetworkMessages(1);
        else
            std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    if (mainThread) {
        while (listener.Received() < burst)
            DispatchNetworkMessages(100);
    } else {
        listener.WaitReceived(burst);
    }
    const double seconds = Since(start) / 1e6;
    std::printf("%-34s %9.0f messages/s (%.3f s for %d)\n",
                mainThread ? "library, main-thread mode, throughput" : "library, worker mode, throughput", burst / seconds,
                seconds, burst);
    network.Close();
}

bool PlainConnect(platform::CSocket& socket, unsigned short port)
{
    return socket.Create() && socket.Connect({platform::ParseIpv4("127.0.0.1"), port});
}

bool ReadExactly(platform::CSocket& socket, size_t count)
{
    char buffer[4096];
    while (count > 0) {
        const auto got = socket.Receive(buffer, std::min(count, sizeof buffer));
        if (got <= 0)
            return false;
        count -= static_cast<size_t>(got);
    }
    return true;
}

void PlainClient(unsigned short port)
{
    const std::string packet = PacketBytes();
    platform::CSocket socket;
    if (!PlainConnect(socket, port))
        return;
    std::vector<double> samples;
    for (int i = 0; i < roundTrips; ++i) {
        const auto start = Clock::now();
        socket.Send(packet.data(), packet.size());
        ReadExactly(socket, packet.size());
        samples.push_back(Since(start));
    }
    Report("plain blocking socket", samples);

    const auto start = Clock::now();
    std::thread writer([&] {
        for (int i = 0; i < burst; ++i)
            socket.Send(packet.data(), packet.size());
    });
    ReadExactly(socket, packet.size() * burst);
    writer.join();
    const double seconds = Since(start) / 1e6;
    std::printf("%-34s %9.0f messages/s (%.3f s for %d)\n", "plain blocking socket, throughput", burst / seconds, seconds, burst);
}

void IdleCpu(unsigned short port)
{
    CountingListener listener;
    quill::net::CNetwork network;
    network.Initialize(&listener, false);
    network.Connect("127.0.0.1", port);
    listener.WaitStatus(2);
    const std::clock_t before = std::clock();
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const double cpuMs = 1000.0 * static_cast<double>(std::clock() - before) / CLOCKS_PER_SEC;
    std::printf("%-34s %9.1f ms CPU per second\n", "idle connection", cpuMs / 3);
    network.Close();
}

}  // namespace

int main()
{
    RegisterProtocal(pid, [] { return new BodyField; });
    Server server;
    if (server.Port() == 0) {
        std::fprintf(stderr, "cquill-test-server did not start\n");
        return 1;
    }
    std::printf("200-byte message, %d round trips each, through cquill-test-server on 127.0.0.1\n", roundTrips);
    LibraryLatency(server.Port(), false);
    LibraryLatency(server.Port(), true);
    PlainClient(server.Port());
    LibraryThroughput(server.Port(), false);
    LibraryThroughput(server.Port(), true);
    IdleCpu(server.Port());
    return 0;
}
