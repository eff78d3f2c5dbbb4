#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "support/FakeSoundInput.h"
#include "support/FakeSoundOutput.h"

namespace zolvane2 {
namespace {

struct Block {
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(static_cast<std::size_t>(kSoundBufferBytes));
    SoundBuffer header;
    explicit Block(std::uintptr_t user) {
        header.data = bytes.data();
        header.length = kSoundBufferBytes;
        header.user = user;
    }
};

TEST(FakeSoundInputTest, DeliversWholeBlocksOnlyWhileStartedAndResetReturnsTheRest) {
    FakeSoundInput input({"A", "B"});
    EXPECT_EQ(input.DeviceNames(), (std::vector<std::string>{kDefaultInputDeviceName, "A", "B"}));
    auto queue = std::make_shared<MessageQueue>();
    EXPECT_EQ(input.Open(3, 44100, 2, queue), kSoundErrNoEntity);
    ASSERT_EQ(input.Open(2, 22050, 1, queue), kSoundOk);
    EXPECT_EQ(input.OpenedIndex(), 2);
    Block a(0);
    Block b(1);
    ASSERT_EQ(input.Prepare(a.header), kSoundOk);
    ASSERT_EQ(input.Prepare(b.header), kSoundOk);
    ASSERT_EQ(input.AddBuffer(a.header), kSoundOk);
    ASSERT_EQ(input.AddBuffer(b.header), kSoundOk);
    std::vector<std::uint8_t> pcm(static_cast<std::size_t>(kSoundBufferBytes) * 3 / 2);
    for (std::size_t i = 0; i < pcm.size(); ++i) {
        pcm[i] = static_cast<std::uint8_t>(i * 7);
    }
    input.Feed(pcm);
    EXPECT_FALSE(input.Deliver());  // not started
    ASSERT_EQ(input.Start(), kSoundOk);
    EXPECT_EQ(input.DeliverAll(), 1);  // half a block is not enough for the second
    const auto m = queue->Peek(true);
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->msg, MM_WIM_DATA);
    EXPECT_EQ(FromLParam(m->lParam), &a.header);
    EXPECT_TRUE(std::equal(a.bytes.begin(), a.bytes.end(), pcm.begin()));
    EXPECT_EQ(input.Unprepare(b.header), kSoundErrBusy);
    input.FailNext(FakeSoundCall::Stop, kSoundErrTimeout);
    EXPECT_EQ(input.Stop(), kSoundErrTimeout);
    ASSERT_EQ(input.Reset(), kSoundOk);
    const auto r = queue->Peek(true);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(FromLParam(r->lParam), &b.header);
    EXPECT_EQ(input.QueuedCount(), 0);
    EXPECT_EQ(input.Close(), kSoundOk);
    EXPECT_EQ(input.Calls().back(), FakeSoundCall::Close);
}

TEST(FakeSoundOutputTest, PlaysInOrderHoldsWhilePausedAndResetReturnsWithoutPlaying) {
    FakeSoundOutput output;
    auto queue = std::make_shared<MessageQueue>();
    ASSERT_EQ(output.Open(44100, 2, queue), kSoundOk);
    ASSERT_EQ(output.SetVolume(kSoundVolumeFull, kSoundVolumeFull), kSoundOk);
    Block a(0);
    Block b(1);
    a.bytes.assign(a.bytes.size(), 0xAA);
    b.header.length = 0;
    ASSERT_EQ(output.Prepare(a.header), kSoundOk);
    ASSERT_EQ(output.Prepare(b.header), kSoundOk);
    ASSERT_EQ(output.Write(a.header), kSoundOk);
    ASSERT_EQ(output.Write(b.header), kSoundOk);
    ASSERT_EQ(output.Pause(), kSoundOk);
    EXPECT_FALSE(output.ReturnNext());
    ASSERT_EQ(output.Restart(), kSoundOk);
    EXPECT_TRUE(output.ReturnNext());
    EXPECT_EQ(output.Played(), a.bytes);
    ASSERT_EQ(output.Reset(), kSoundOk);
    EXPECT_EQ(output.Played().size(), a.bytes.size());
    EXPECT_EQ(FromLParam(queue->Peek(true)->lParam), &a.header);
    EXPECT_EQ(FromLParam(queue->Peek(true)->lParam), &b.header);
    EXPECT_EQ(output.WrittenLengths(), (std::vector<std::int64_t>{kSoundBufferBytes, 0}));
    EXPECT_EQ(output.Close(), kSoundOk);
}

}  // namespace
}  // namespace zolvane2
