#include <gtest/gtest.h>

#include "cquill.h"
#include "platform/testing/loaded_module.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/GameTestServer.h"

TEST(LibraryExports, PlainNamesAreExportedAndInternalsAreNot)
{
    const platform::testing::CLoadedModule library(CQUILL_LIBRARY);
    ASSERT_TRUE(library.Loaded()) << library.Failure();
    const auto version = reinterpret_cast<GetNetworkDLLVersionFunction>(library.Symbol("GetNetworkDLLVersion"));
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version(), 2);
    EXPECT_NE(library.Symbol("RegisterProtocal"), nullptr);
#if !defined(_WIN32)
    // A DLL exports a class whole, so only a shared object can keep a member back.
    EXPECT_EQ(library.Symbol("_ZN4varo7Message8compressER8bostreamRNS_6PacketE"), nullptr);
#endif
    EXPECT_EQ(library.Symbol("_ZN8platform11DebugOutputESt17basic_string_viewIcSt11char_traitsIcEE"), nullptr);
}

TEST(LibraryExports, ClientBuiltFromThePublicHeaderAloneWorks)
{
    testing_support::GameTestServer server({"--pids", "1001,1002", "echo"});
    testing_support::ChildOptions options;
    options.arguments = {CQUILL_LIBRARY, std::to_string(server.Port())};
    testing_support::ChildProcess client(std::string(TEST_BIN_DIR) + "/cquill-test-client", options);
    ASSERT_TRUE(client.Wait());
    EXPECT_EQ(client.ExitCode(), 0) << client.Stdout() << client.Stderr();
    EXPECT_EQ(client.Stdout().find("FAILED"), std::string::npos) << client.Stdout();
    EXPECT_NE(client.Stdout().find("ok registering a protocol again"), std::string::npos) << client.Stdout();
    EXPECT_NE(client.Stdout().find("ok both messages came back"), std::string::npos) << client.Stdout();
    // No "SysCfg/log4cplus.properties" beside the client: the library, which logs its
    // connection, stays silent.
    EXPECT_EQ(client.Stderr(), "");
}
