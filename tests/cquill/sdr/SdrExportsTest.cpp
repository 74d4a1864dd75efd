// The exported lookup interface, bound by name from the library as the client does.
// No endpoint is configured beside this program, so these lookups never connect.
#include "cquill.h"
#include "platform/testing/loaded_module.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

class Exports : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(library_.Loaded()) << library_.Failure();
        create_ = reinterpret_cast<CreateISdrFunction>(library_.Symbol("CreateISdr"));
        ASSERT_NE(create_, nullptr);
        ASSERT_NE(library_.Symbol("InitialSDR"), nullptr);
    }

    platform::testing::CLoadedModule library_{CQUILL_LIBRARY};
    CreateISdrFunction create_ = nullptr;
};

TEST_F(Exports, AnUnstartedLookupIsIdleAndReleasesAtOnce)
{
    ISDR* sdr = create_();
    ASSERT_NE(sdr, nullptr);
    EXPECT_TRUE(sdr->IsIdle());
    EXPECT_FALSE(sdr->IsStarted());
    EXPECT_FALSE(sdr->IsFinished());
    EXPECT_FALSE(sdr->IsCancelled());
    sdr->SetRequest("sdr.game", 30);
    sdr->Wait();
    EXPECT_FALSE(sdr->IsFinished());
    const auto start = std::chrono::steady_clock::now();
    sdr->Release();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
}

TEST_F(Exports, StartWithoutRequestFinishesEmptyAndStartsOnce)
{
    ISDR* sdr = create_();
    EXPECT_TRUE(sdr->Start());
    EXPECT_TRUE(sdr->Start());
    EXPECT_TRUE(sdr->IsStarted());
    sdr->Wait();
    EXPECT_TRUE(sdr->IsFinished());
    EXPECT_TRUE(sdr->IsIdle());
    EXPECT_TRUE(sdr->GetResult().empty());
    EXPECT_FALSE(sdr->Start());
    sdr->Release();
}

TEST_F(Exports, ARejectedKeyFinishesEmptyAndCancelIsReported)
{
    ISDR* sdr = create_();
    sdr->SetRequest("  x.sdr.game ", -1);
    ASSERT_TRUE(sdr->Start());
    sdr->Wait();
    EXPECT_TRUE(sdr->GetResult().empty());
    sdr->Cancel();
    EXPECT_TRUE(sdr->IsCancelled());
    sdr->Release();
}

}  // namespace
