#include "tests/support/PublishedEntry.h"

#include "platform/text.h"
#include "vexa/install/Md5.h"

namespace testing_support {

std::wstring DigestOf(const std::string& bytes)
{
    Md5Context context;
    Md5Init(context);
    Md5Update(context, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    Md5Digest digest;
    Md5Final(context, digest);
    return Md5Hex(digest);
}

CFileListInfo PublishedEntry(const std::string& fileName, const std::string& bytes)
{
    return CFileListInfo(platform::WideFromUtf8(fileName), DigestOf(bytes), static_cast<std::int64_t>(bytes.size()));
}

std::string PatternBytes(std::size_t size, char seed)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(seed + (i * 7 + i / 251) % 26);
    return bytes;
}

}  // namespace testing_support
