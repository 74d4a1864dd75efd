// A game server for tests: listens on 127.0.0.1, and runs a script on every connection
// it accepts. See kUsage.
#include <cstdio>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "platform/program_entry.h"
#include "platform/testing/loopback_socket.h"
#include "Connection.h"
#include "MessageText.h"
#include "RawField.h"
#include "Report.h"
#include "Script.h"

namespace {

constexpr const char* kUsage = R"(usage: cquill-test-server [--port N] [--pids PID,...] [--script FILE | STEP...]

Listens on 127.0.0.1:N (0 or none: a free port), prints the port as the first line
of standard output, then runs the steps on every connection it accepts, each on a
thread of its own, until killed. Packets are decoded and built with the library's
codec; fields of the --pids protocols are kept byte for byte, others are skipped.

Steps (on the command line, or one a line in FILE, '#' starting a comment line):
  echo            answer every packet with the same message, until the peer closes
  echo=N          answer the next N packets
  read=N          read N packets without answering
  send=MSG/MSG    encode the messages and send them in one write
  split=MSG/MSG   the same packets, one byte per write, 10 ms apart
  raw=HEX         send these bytes as they are (e.g. 09008000: a negative length)
  inflate=N       a compressed packet whose body inflates to N zero bytes
                  (33000000 fits a packet; 33 MiB does not)
  wait=MS         pause
  close           close the connection
  silent          read without answering until the peer closes
  noread          never read again; hold the connection until the peer closes
After the last step the server reads without answering until the peer closes.

MSG is comma-separated items: version=N chain=N tid=N seq=N
compress=never|large|always, and fields PID:HEX or PID*N (N bytes 00 01 02 ...),
e.g. send=tid=1,seq=7,1001:4142/1002*300

Standard output, after the port, one line per event ending in the connection's
number: "connection N", "received N HEX", "undecodable N WHY", "peer-closed N",
"closed N".
)";

struct Options {
    unsigned long port = 0;
    std::vector<test_server::Step> steps;
};

void RegisterRawFields(const std::string& list)
{
    std::istringstream pids(list);
    for (std::string text; std::getline(pids, text, ',');) {
        const auto pid = static_cast<uint32_t>(test_server::ParseNumber(text, 0xFFFFFFFF));
        RegisterProtocal(pid, [pid] { return new test_server::RawField(pid); });
    }
}

Options ParseOptions(int argc, char** argv)
{
    Options options;
    bool fromFile = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--port" && hasValue) {
            options.port = test_server::ParseNumber(argv[++i], 65535);
        } else if (argument == "--pids" && hasValue) {
            RegisterRawFields(argv[++i]);
        } else if (argument == "--script" && hasValue && options.steps.empty()) {
            options.steps = test_server::LoadScript(argv[++i]);
            fromFile = true;
        } else if (argument.starts_with("--") || fromFile) {
            throw std::invalid_argument("unexpected argument: " + argument);
        } else {
            options.steps.push_back(test_server::ParseStep(argument));
        }
    }
    return options;
}

platform::testing::SocketHandle OpenListener(unsigned long wantedPort, uint16_t& port)
{
    port = static_cast<uint16_t>(wantedPort);
    const platform::testing::SocketHandle listener = platform::testing::OpenLoopbackPort(true, 64, port);
    if (listener == platform::testing::kNoSocket) {
        std::perror("cquill-test-server: listener");
        std::exit(1);
    }
    return listener;
}

[[noreturn]] void Serve(platform::testing::SocketHandle listener, const std::vector<test_server::Step>& steps)
{
    for (int number = 1;;) {
        const platform::testing::SocketHandle socket = platform::testing::AcceptConnection(listener, -1);
        if (socket == platform::testing::kNoSocket)
            continue;
        std::thread([socket, number, &steps] { test_server::Connection(socket, number, steps).Run(); }).detach();
        ++number;
    }
}

}  // namespace

int ProgramMain(int argc, char** argv)
{
    if (argc == 2 && std::string(argv[1]) == "--help") {
        std::cout << kUsage;
        return 0;
    }
    Options options;
    try {
        options = ParseOptions(argc, argv);
    } catch (const std::invalid_argument& error) {
        std::cerr << "cquill-test-server: " << error.what() << "\n\n" << kUsage;
        return 2;
    }
    uint16_t port = 0;
    const platform::testing::SocketHandle listener = OpenListener(options.port, port);
    test_server::Report(std::to_string(port));
    Serve(listener, options.steps);
}
