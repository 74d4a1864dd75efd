#include <dlfcn.h>

#include <gtest/gtest.h>

#include "cquill.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/GameTestServer.h"

namespace {

class LoadedLibrary {
public:
    LoadedLibrary() : handle_(dlopen(CQUILL_LIBRARY, RTLD_NOW | RTLD_LOCAL)) {}
    ~LoadedLibrary()
    {
        if (handle_)
            dlclose(handle_);
    }

    bool Loaded() const { return handle_ != nullptr; }
    void* Symbol(const char* name) const { return dlsym(handle_, name); }

private:
    void* handle_;
};

}  // namespace

TEST(LibraryExports, PlainNamesAreExportedAndInternalsAreNot)
{
    LoadedLibrary library;
    ASSERT_TRUE(library.Loaded()) << dlerror();
    const auto version = reinterpret_cast<GetNetworkDLLVersionFunction>(library.Symbol("GetNetworkDLLVersion"));
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version(), 2);
    EXPECT_NE(library.Symbol("RegisterProtocal"), nullptr);
    EXPECT_EQ(library.Symbol("_ZN4varo7Message8compressER8bostreamRNS_6PacketE"), nullptr);
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
