#include "tests/support/ChildProcess.h"
#include "tests/support/ClientTree.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

using testing_support::Utf8Path;

// Paths travel as UTF-8 texts here, as on the tool's command line.
std::string ReadFileBytes(const std::string& path)
{
    return testing_support::ReadFileBytes(Utf8Path(path));
}

void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    testing_support::WriteFileBytes(Utf8Path(path), bytes);
}

// A tool's output as lines ending in "\n" (Windows' console streams write "\r\n").
std::string Lines(std::string text)
{
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

struct ToolRun {
    int exitCode;
    std::string out;
    std::string err;
};

ToolRun VexaSign(std::vector<std::string> arguments)
{
    testing_support::ChildOptions options;
    options.arguments = std::move(arguments);
    testing_support::ChildProcess tool(TEST_BIN_DIR "/vexa-sign", options);
    EXPECT_TRUE(tool.Wait());
    return {tool.ExitCode(), Lines(tool.Stdout()), Lines(tool.Stderr())};
}

// A publisher's folder with a non-ASCII name holding one key pair, and a published
// tree with a configuration and an installer.
class VexaSignTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(keys);
        ASSERT_EQ(VexaSign({"keygen", keys.string()}).exitCode, 0);
        std::filesystem::create_directories(temp.Path() / "MOX/1.0.1");
        WriteFileBytes(File("vexa.xml"), "<vexa><CurVersion>1.0.1</CurVersion></vexa>\n");
        WriteFileBytes(File("MOXInstaller.exe"), std::string(100000, 'x'));
    }

    std::string File(const std::string& name) const
    {
        return (temp.Path() / (name == "vexa.xml" ? "MOX" : "MOX/1.0.1") / name).string();
    }
    std::string Key(const std::string& name) const { return (keys / name).string(); }

    testing_support::TempDir temp;
    std::filesystem::path keys = temp.Path() / Utf8Path("发布密钥");
};

TEST_F(VexaSignTest, KeygenWritesAPrivateSecretKeyAndNeverOverwritesOne)
{
    namespace fs = std::filesystem;
    ASSERT_TRUE(fs::exists(Utf8Path(Key("update.key"))));
    // On Windows a private file takes the access list of its folder, which is the user's own.
#ifndef _WIN32
    EXPECT_EQ(fs::status(Key("update.key")).permissions(), fs::perms::owner_read | fs::perms::owner_write);
#endif
    EXPECT_TRUE(fs::exists(Utf8Path(Key("update.pub"))));

    const std::string before = ReadFileBytes(Key("update.key"));
    const ToolRun again = VexaSign({"keygen", keys.string()});
    EXPECT_EQ(again.exitCode, 3);
    EXPECT_NE(again.err.find("holds a key already"), std::string::npos) << again.err;
    EXPECT_EQ(ReadFileBytes(Key("update.key")), before);
}

TEST_F(VexaSignTest, SignsEveryFileBesideItAndVerifiesThem)
{
    const ToolRun sign = VexaSign({"sign", Key("update.key"), File("vexa.xml"), File("MOXInstaller.exe")});
    ASSERT_EQ(sign.exitCode, 0) << sign.err;
    EXPECT_EQ(sign.out, File("vexa.xml") + ".sig\n" + File("MOXInstaller.exe") + ".sig\n");
    for (const char* name : {"vexa.xml", "MOXInstaller.exe"}) {
        const ToolRun verify = VexaSign({"verify", Key("update.pub"), File(name)});
        EXPECT_EQ(verify.exitCode, 0) << verify.err;
        std::string published = File(name).substr(temp.Path().string().size() + 1);
        std::replace(published.begin(), published.end(), '\\', '/');
        EXPECT_EQ(verify.out, File(name) + ": signature verified as " + published + "\n");
    }
}

TEST_F(VexaSignTest, EachRefusalSaysWhyWithItsExitCode)
{
    ASSERT_EQ(VexaSign({"keygen", temp.Path().string()}).exitCode, 0);  // another key pair
    ASSERT_EQ(VexaSign({"sign", Key("update.key"), File("vexa.xml")}).exitCode, 0);
    ASSERT_EQ(VexaSign({"sign", (temp.Path() / "update.key").string(), File("MOXInstaller.exe")}).exitCode, 0);
    WriteFileBytes(File("other.txt"), "unsigned");
    WriteFileBytes(File("other.txt.sig"), ReadFileBytes(File("vexa.xml") + ".sig"));

    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {{"verify", Key("update.pub"), File("MOXInstaller.exe")}, 1, "made with another key"},
        {{"sign", Key("absent.key"), File("vexa.xml")}, 3, "cannot read the key"},
        {{"sign", Key("update.pub"), File("vexa.xml")}, 3, "not a key of the right kind"},
        {{"verify", Key("update.key"), File("vexa.xml")}, 3, "not a key of the right kind"},
        {{"sign", Key("update.key"), (temp.Path() / "MOX/9.9/MOXInstaller.exe").string()}, 4, "cannot read the file"},
        {{"verify", Key("update.pub"), (temp.Path() / "vexa.xml").string()}, 4, "cannot read the signature"},
        {{"sign", Key("update.key"), File("other.txt")}, 2, "not in a published place"},
        {{"verify", Key("update.pub"), File("other.txt")}, 2, "not in a published place"},
        {{"sign", Key("update.key"), (temp.Path() / "MOX/OTHERInstaller.exe").string()}, 2, "not in a published place"},
        {{"keygen", (temp.Path() / "no" / "such").string()}, 4, (temp.Path() / "no" / "such").string() + ": no such folder"},
        {{"sign", Key("update.key")}, 2, "usage:"},
        {{}, 2, "usage:"},
    };
    for (const Case& c : cases) {
        const ToolRun run = VexaSign(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
    }

    std::string changed = ReadFileBytes(File("vexa.xml"));
    changed.insert(changed.find("1.0.1"), "9");
    WriteFileBytes(File("vexa.xml"), changed);
    const ToolRun tampered = VexaSign({"verify", Key("update.pub"), File("vexa.xml")});
    EXPECT_EQ(tampered.exitCode, 1);
    EXPECT_NE(tampered.err.find("not the one that was signed"), std::string::npos) << tampered.err;

    // The same bytes and signature published for another product do not verify.
    std::filesystem::create_directories(temp.Path() / "OTHER");
    std::filesystem::copy_file(Utf8Path(File("vexa.xml")), temp.Path() / "OTHER/vexa.xml");
    ASSERT_EQ(VexaSign({"sign", Key("update.key"), File("vexa.xml")}).exitCode, 0);
    std::filesystem::copy_file(Utf8Path(File("vexa.xml") + ".sig"), temp.Path() / "OTHER/vexa.xml.sig");
    EXPECT_EQ(VexaSign({"verify", Key("update.pub"), File("vexa.xml")}).exitCode, 0);
    EXPECT_EQ(VexaSign({"verify", Key("update.pub"), (temp.Path() / "OTHER/vexa.xml").string()}).exitCode, 1);
}

}  // namespace
