#include "vexa/install/Md5.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "platform/text.h"
#include "tests/support/RandomBytes.h"
#include "tests/support/TempDir.h"

namespace {

std::wstring HexOf(const Md5Digest& digest)
{
    std::wstring text;
    for (unsigned char byte : digest) {
        wchar_t pair[3];
        std::swprintf(pair, 3, L"%02x", byte);
        text += pair;
    }
    return text;
}

std::wstring DigestInPieces(const std::string& message, std::size_t piece)
{
    Md5Context context;
    Md5Init(context);
    const auto* bytes = reinterpret_cast<const unsigned char*>(message.data());
    for (std::size_t done = 0; done < message.size(); done += piece)
        Md5Update(context, bytes + done, std::min(piece, message.size() - done));
    Md5Digest digest;
    Md5Final(context, digest);
    return HexOf(digest);
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::wstring Md5sumOf(const std::filesystem::path& path)
{
    const std::string command = "md5sum '" + path.string() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    char line[128] = {};
    const bool read = pipe && std::fgets(line, sizeof line, pipe);
    if (pipe)
        pclose(pipe);
    return read ? platform::WideFromUtf8(std::string(line, 32)) : std::wstring();
}

}  // namespace

TEST(Md5, RfcTestSuiteWholeAndInAwkwardPieces)
{
    const std::pair<std::string, std::wstring> suite[] = {
        {"", L"d41d8cd98f00b204e9800998ecf8427e"},
        {"a", L"0cc175b9c0f1b6a831c399e269772661"},
        {"abc", L"900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", L"f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", L"c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", L"d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         L"57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& [message, expected] : suite) {
        SCOPED_TRACE(message);
        EXPECT_EQ(DigestInPieces(message, message.size() + 1), expected);
        // Pieces that straddle the 64-byte block and the 56-byte padding boundary.
        for (std::size_t piece : {1u, 7u, 55u, 63u, 64u, 65u})
            EXPECT_EQ(DigestInPieces(message, piece), expected);
    }
}

TEST(Md5, FinalWipesTheContext)
{
    Md5Context context;
    Md5Init(context);
    Md5Update(context, reinterpret_cast<const unsigned char*>("secret"), 6);
    Md5Digest digest;
    Md5Final(context, digest);
    const auto* bytes = reinterpret_cast<const unsigned char*>(&context);
    EXPECT_TRUE(std::all_of(bytes, bytes + sizeof context, [](unsigned char b) { return b == 0; }));
}

TEST(Md5, FileDigestsMatchMd5sumAcrossBlockAndPaddingBoundaries)
{
    testing_support::TempDir dir;
    const std::size_t sizes[] = {0, 1, 55, 56, 64, 1023, 1024, 1025, 65536, 262143, 262144, 262145,
                                 3 * 1024 * 1024 + 7};
    unsigned seed = 1;
    for (std::size_t size : sizes) {
        SCOPED_TRACE(size);
        const auto path = dir.Path() / ("file" + std::to_string(size));
        WriteFile(path, testing_support::RandomBytes(size, seed++));
        const std::wstring digest = FileMd5Hex(testing_support::WidePath(path));
        EXPECT_EQ(digest.size(), 32u);
        EXPECT_EQ(digest, Md5sumOf(path));
    }
}

TEST(Md5, UnreadablePathsGiveAnEmptyDigest)
{
    testing_support::TempDir dir;
    EXPECT_EQ(FileMd5Hex(testing_support::WidePath(dir.Path() / "missing")), L"");
    // A folder opens but cannot be read: no digest of "nothing" may come out.
    EXPECT_EQ(FileMd5Hex(testing_support::WidePath(dir.Path())), L"");
}

TEST(Md5, FileNamesOutsideAsciiAreFound)
{
    testing_support::TempDir dir;
    const std::wstring path = testing_support::WidePath(dir.Path()) + L"/\u6587\u4ef6 \u00e9.bin";
    WriteFile(platform::Utf8FromWide(path), "abc");
    EXPECT_EQ(FileMd5Hex(path), L"900150983cd24fb0d6963f7d28e17f72");
}
