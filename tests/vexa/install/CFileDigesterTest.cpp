#include "vexa/install/CFileDigester.h"

#include <gtest/gtest.h>

#include "platform/file_lock.h"
#include "platform/files.h"
#include "tests/support/ClientTree.h"
#include "tests/support/RandomBytes.h"
#include "tests/support/SystemErrors.h"
#include "tests/support/TempDir.h"
#include "vexa/install/Md5.h"

namespace {

// What one pass over the path found before the work was spread.
FileFacts SinglePass(const std::wstring& path)
{
    FileFacts facts;
    facts.measured = platform::FileSize(path, facts.size, facts.sizeError);
    if (facts.measured)
        facts.md5 = FileMd5Hex(path);
    return facts;
}

void ExpectSameFacts(const FileFacts& got, const FileFacts& expected)
{
    EXPECT_EQ(got.measured, expected.measured);
    EXPECT_EQ(got.sizeError, expected.sizeError);
    EXPECT_EQ(got.size, expected.size);
    EXPECT_EQ(got.md5, expected.md5);
}

}  // namespace

TEST(CFileDigester, GivesEachFileTheFactsOfASinglePassInPathOrder)
{
    testing_support::TempDir dir;
    const std::wstring folder = testing_support::WidePath(dir.Path());
    // Sizes around the block, the padding and the 64 KiB read, mixed with more
    // files than a worker's window holds; the others cannot be read or measured.
    const std::size_t sizes[] = {0, 1, 55, 56, 63, 64, 65, 4095, 65535, 65536, 65537, 3 * 65536 + 7, 1 << 20};
#ifdef _WIN32
    // Windows' locks are kept by the system: a locked file is measured but cannot be read.
    const std::wstring outside = testing_support::WidePath(VEXA_BINARY);
    const std::wstring unreadable = folder + L"/locked";
    testing_support::WriteFileBytes(testing_support::Utf8Path(platform::NativePath(unreadable)), "locked");
    const platform::CFileLock lock(unreadable);
#else
    // A file whose size the system gives as 0, and one that is measured but cannot be read.
    const std::wstring outside = L"/proc/version";
    const std::wstring unreadable = L"/proc/self/mem";
#endif
    std::vector<std::wstring> paths{outside};
    for (unsigned i = 0; i < 150; ++i) {
        const std::size_t size = i < std::size(sizes) ? sizes[i] : i * 331 % 9000;
        const std::wstring path = folder + L"/f" + std::to_wstring(i);
        testing_support::WriteFileBytes(testing_support::Utf8Path(platform::NativePath(path)),
                                        testing_support::RandomBytes(size, i));
        paths.push_back(path);
        if (i == 20)
            paths.insert(paths.end(), {folder + L"/missing", folder, unreadable});
    }
    std::vector<FileFacts> expected;
    for (const std::wstring& path : paths)
        expected.push_back(SinglePass(path));
    ASSERT_EQ(expected[22].sizeError, testing_support::kNotFound);
    ASSERT_EQ(expected[23].sizeError, testing_support::kIsFolder);
    ASSERT_TRUE(expected[24].measured);
    const bool readRefused = expected[24].md5.empty();
#ifndef _WIN32
    ASSERT_TRUE(readRefused);
#endif
    ASSERT_EQ(expected[0].md5.size(), 32u);

    for (unsigned threads : {1u, 2u}) {
        for (std::size_t lanes : {1u, 3u, 16u}) {
            CFileDigester digester(paths, threads, lanes);
            for (std::size_t i = 0; i < paths.size(); ++i) {
                SCOPED_TRACE(testing::Message() << threads << " threads, " << lanes << " lanes, path " << i);
                ExpectSameFacts(digester.Next(), expected[i]);
            }
        }
    }
    if (!readRefused)
        GTEST_SKIP() << "wine lets other handles read a locked range, so no file was measured but unreadable";
}
