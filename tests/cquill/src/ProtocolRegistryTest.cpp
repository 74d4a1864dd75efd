#include <gtest/gtest.h>

#include "TestFields.h"
#include "platform/debug_output.h"

using namespace cquill_test;

namespace {

std::string PacketWithField(uint32_t pid, const std::string& body)
{
    varo::Message message;
    message.AddField(Blob(pid, body));
    return Compress(message);
}

}  // namespace

TEST(ProtocolRegistry, LaterRegistrationReplacesTheEarlier)
{
    EXPECT_TRUE(RegisterProtocal(7, [] { return new BlobField(1, 1); }));
    EXPECT_TRUE(RegisterProtocal(7, [] { return new BlobField(2, 1); }));
    const varo::Message decoded = Uncompress(PacketWithField(7, "x"));
    ASSERT_EQ(decoded.fields.size(), 1u);
    EXPECT_EQ(decoded.fields[0]->GetPid(), 2u);
}

TEST(ProtocolRegistry, PidZeroIsAnOrdinaryPid)
{
    RegisterBlob(0, 3);
    EXPECT_EQ(BodyOf(Uncompress(PacketWithField(0, "abc")), 0), "abc");
}

TEST(ProtocolRegistry, NullFromTheCreatorMeansUnknown)
{
    RegisterProtocal(90, [] { return static_cast<varo::Field*>(nullptr); });
    platform::CDebugOutputCapture debug;
    EXPECT_TRUE(Uncompress(PacketWithField(90, "abc")).fields.empty());
    EXPECT_EQ(debug.Text(), "unknown pid:90\n");
}

TEST(ProtocolRegistry, EmptyCreatorFailsOnlyPacketsCarryingItsPid)
{
    RegisterProtocal(91, varo::FieldCreator());
    RegisterBlob(92, 1);
    EXPECT_THROW(Uncompress(PacketWithField(91, "a")), std::bad_function_call);
    EXPECT_EQ(Uncompress(PacketWithField(92, "b")).fields.size(), 1u);
}

TEST(ProtocolRegistry, CreatorIsCopiedAndKept)
{
    auto counter = std::make_shared<int>(0);
    {
        varo::FieldCreator creator = [counter] {
            ++*counter;
            return new BlobField(93, 1);
        };
        RegisterProtocal(93, creator);
    }
    Uncompress(PacketWithField(93, "a"));
    Uncompress(PacketWithField(93, "b"));
    EXPECT_EQ(*counter, 2);
}
