#include "platform/text.h"
#include "tests/support/ClientTree.h"
#include "tests/support/TempDir.h"
#include "vexa/download/FileSignature.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

// Key files and a file to sign, in a folder with a non-ASCII name.
class FileSignatureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(folder);
        const KeyPairText keys = GenerateKeyPair();
        WriteFileBytes(folder / "update.key", keys.secretKey);
        WriteFileBytes(folder / "update.pub", keys.publicKey);
        const KeyPairText other = GenerateKeyPair();
        WriteFileBytes(folder / "other.key", other.secretKey);
        WriteFileBytes(folder / "other.pub", other.publicKey);
        WriteFileBytes(File(), "<vexa><CurVersion>1.0.1</CurVersion></vexa>\n");
    }

    std::filesystem::path File() const { return folder / "vexa.xml"; }
    static std::wstring Wide(const std::filesystem::path& path) { return platform::WideFromUtf8(path.string()); }

    SignatureCheck Sign(const std::string& key = "update.key")
    {
        std::string text;
        const SignatureCheck check = SignFile(Wide(File()), "MOX/vexa.xml", Wide(folder / key), text);
        if (check == SignatureCheck::Valid)
            WriteFileBytes(folder / "vexa.xml.sig", text);
        return check;
    }
    SignatureCheck Verify(const std::string& key = "update.pub", const std::string& publishedPath = "MOX/vexa.xml")
    {
        return VerifyFileSignature(Wide(File()), publishedPath, Wide(folder / "vexa.xml.sig"), Wide(folder / key));
    }

    TempDir temp;
    std::filesystem::path folder = temp.Path() / "发布";
};

TEST_F(FileSignatureTest, KeysAndSignaturesAreOneLineOfBase64)
{
    EXPECT_EQ(ReadFileBytes(folder / "update.pub").size(), 44u + 1);
    EXPECT_EQ(ReadFileBytes(folder / "update.key").size(), 88u + 1);
    ASSERT_EQ(Sign(), SignatureCheck::Valid);
    EXPECT_EQ(ReadFileBytes(folder / "vexa.xml.sig").size(), 96u + 1);
    EXPECT_EQ(ReadFileBytes(folder / "vexa.xml.sig").back(), '\n');
}

TEST_F(FileSignatureTest, AnUnchangedFileVerifiesAndAnyChangeIsCaught)
{
    ASSERT_EQ(Sign(), SignatureCheck::Valid);
    EXPECT_EQ(Verify(), SignatureCheck::Valid);
    // The signature binds the place of publication too.
    for (const char* elsewhere : {"MOX/1.1.0/vexa/filelist.xml", "MO/Xvexa.xml", "MOX/vexa.xml/", ""})
        EXPECT_EQ(Verify("update.pub", elsewhere), SignatureCheck::Tampered) << elsewhere;

    std::string bytes = ReadFileBytes(File());
    bytes[bytes.find("1.0.1")] = '9';
    WriteFileBytes(File(), bytes);
    EXPECT_EQ(Verify(), SignatureCheck::Tampered);
    WriteFileBytes(File(), "");
    EXPECT_EQ(Verify(), SignatureCheck::Tampered);
}

TEST_F(FileSignatureTest, LargeFilesStreamThroughInBlocks)
{
    std::string large(3 * 65536 + 17, '\0');
    for (std::size_t i = 0; i < large.size(); ++i)
        large[i] = static_cast<char>(i * 7);
    WriteFileBytes(File(), large);
    ASSERT_EQ(Sign(), SignatureCheck::Valid);
    EXPECT_EQ(Verify(), SignatureCheck::Valid);
    large.back() ^= 1;
    WriteFileBytes(File(), large);
    EXPECT_EQ(Verify(), SignatureCheck::Tampered);
}

TEST_F(FileSignatureTest, ASignatureOfAnotherKeyIsToldApart)
{
    ASSERT_EQ(Sign("other.key"), SignatureCheck::Valid);
    EXPECT_EQ(Verify(), SignatureCheck::OtherKey);
    EXPECT_EQ(Verify("other.pub"), SignatureCheck::Valid);
}

TEST_F(FileSignatureTest, MissingOrWrongKeysAndFilesAreNamedAsSuch)
{
    EXPECT_EQ(Sign("absent.key"), SignatureCheck::KeyUnreadable);
    EXPECT_EQ(Sign("update.pub"), SignatureCheck::KeyMalformed);
    ASSERT_EQ(Sign(), SignatureCheck::Valid);
    EXPECT_EQ(Verify("absent.pub"), SignatureCheck::KeyUnreadable);
    EXPECT_EQ(Verify("update.key"), SignatureCheck::KeyMalformed);

    std::filesystem::remove(File());
    EXPECT_EQ(Verify(), SignatureCheck::FileUnreadable);
    EXPECT_EQ(Sign(), SignatureCheck::FileUnreadable);
}

TEST_F(FileSignatureTest, SignatureFilesMustBeExactlyOneSignature)
{
    EXPECT_EQ(Verify(), SignatureCheck::SignatureUnreadable);
    ASSERT_EQ(Sign(), SignatureCheck::Valid);
    const std::string line = ReadFileBytes(folder / "vexa.xml.sig");
    const std::vector<std::string> broken = {
        "",
        "<html>403 Forbidden</html>\n",
        line.substr(0, 92) + "\n",                // a shorter signature
        line + line,                              // more than one line
        line.substr(0, 10) + "!" + line.substr(11),
    };
    for (const std::string& text : broken) {
        WriteFileBytes(folder / "vexa.xml.sig", text);
        EXPECT_EQ(Verify(), SignatureCheck::SignatureMalformed) << text;
    }
    WriteFileBytes(folder / "vexa.xml.sig", line.substr(0, 96) + "\r\n");
    EXPECT_EQ(Verify(), SignatureCheck::Valid);
}

}  // namespace
