#include "vexa/install/Md5.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
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
    // md5sum's digests of RandomBytes(size, seed), which are the same bytes on every system.
    const std::pair<std::size_t, std::wstring> files[] = {
        {0, L"d41d8cd98f00b204e9800998ecf8427e"},       {1, L"85a46a5de17b19ac7eb29cacce9cbb04"},
        {55, L"4e3c39a6704272213f7194416203a8b8"},      {56, L"71e43785cb2547a85b2709bdf600f09e"},
        {64, L"7ab789594c564ac959d497f2cfcc8a99"},      {1023, L"26b86bce6cfe0bae0810239940406f20"},
        {1024, L"6a78972f78c31f0de857b8d1cc08c1c9"},    {1025, L"71e351e0c293dee3930fdaeb711942e4"},
        {65536, L"7c2dbff5038dc29a78f1d5374c036240"},   {262143, L"afd3b89f41ff751b68ebf45c26da3d72"},
        {262144, L"dc003e8b7a46800ec44a67f9e228cb96"},  {262145, L"e6e5d21a5e07b805f987ebcef085e503"},
        {3 * 1024 * 1024 + 7, L"6eb243bb321f86359865540db05f2acf"},
    };
    unsigned seed = 1;
    for (const auto& [size, md5sum] : files) {
        SCOPED_TRACE(size);
        const auto path = dir.Path() / ("file" + std::to_string(size));
        WriteFile(path, testing_support::RandomBytes(size, seed++));
        EXPECT_EQ(FileMd5Hex(testing_support::WidePath(path)), md5sum);
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
    WriteFile(testing_support::Utf8Path(platform::Utf8FromWide(path)), "abc");
    EXPECT_EQ(FileMd5Hex(path), L"900150983cd24fb0d6963f7d28e17f72");
}
