// What the player relies on from a sound output, checked on the fake the
// player tests play to and on the real output against the private test
// server's own sink.
#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "platform/PulseSoundOutput.h"
#include "support/FakeSoundOutput.h"
#include "support/SoundTestSupport.h"

namespace zolvane2 {
namespace {

using test::FakeSoundOutput;
using namespace std::chrono_literals;

// The fake plays a block only when told.
class FakeOutputRig {
public:
    [[nodiscard]] bool Ready() const { return true; }
    [[nodiscard]] SoundOutput& Output() { return output_; }
    void Pump() { (void)output_.ReturnAll(); }

private:
    FakeSoundOutput output_;
};

class PulseOutputRig {
public:
    [[nodiscard]] bool Ready() {
        if (!test::ServerAvailable()) {
            return false;
        }
        sink_ = std::make_unique<test::PrivateSink>();
        // Made after the sink: a connection plays to the sink that is the
        // default when it is made.
        output_ = std::make_unique<PulseSoundOutput>();
        return sink_->Loaded();
    }
    [[nodiscard]] SoundOutput& Output() { return *output_; }
    void Pump() {}

private:
    std::unique_ptr<test::PrivateSink> sink_;
    std::unique_ptr<PulseSoundOutput> output_;
};

template <typename Rig>
class SoundOutputContractTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!rig.Ready()) {
            GTEST_SKIP() << "no private sound server";
        }
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            bytes[i].assign(static_cast<std::size_t>(kSoundBufferBytes), static_cast<std::uint8_t>(0x11 * (i + 1)));
            blocks[i].data = bytes[i].data();
            blocks[i].length = kSoundBufferBytes;
            blocks[i].user = i;
        }
        blocks.back().length = 0;  // the end marker
    }

    // The users of the blocks handed back, in order, until count came or
    // nothing comes for a while.
    std::vector<std::uintptr_t> Returned(std::size_t count) {
        std::vector<std::uintptr_t> users;
        while (users.size() < count) {
            rig.Pump();
            const auto m = queue->GetFor(3000ms);
            if (!m) {
                break;
            }
            EXPECT_EQ(m->msg, MM_WOM_DONE);
            users.push_back(FromLParam(m->lParam)->user);
        }
        return users;
    }

    Rig rig;
    std::shared_ptr<MessageQueue> queue = std::make_shared<MessageQueue>();
    std::array<std::vector<std::uint8_t>, 3> bytes;
    std::array<SoundBuffer, 3> blocks;
};

using Rigs = ::testing::Types<FakeOutputRig, PulseOutputRig>;
TYPED_TEST_SUITE(SoundOutputContractTest, Rigs);

TYPED_TEST(SoundOutputContractTest, HandsBackEveryBlockAndTheEndMarkerInTheOrderWritten) {
    SoundOutput& output = this->rig.Output();
    EXPECT_EQ(output.Close(), kSoundErrBadState);
    ASSERT_EQ(output.Open(44100, 2, this->queue), kSoundOk);
    ASSERT_EQ(output.SetVolume(kSoundVolumeFull, kSoundVolumeFull), kSoundOk);
    for (auto& b : this->blocks) {
        ASSERT_EQ(output.Prepare(b), kSoundOk);
        ASSERT_EQ(output.Write(b), kSoundOk);
    }
    EXPECT_EQ(this->Returned(3), (std::vector<std::uintptr_t>{0, 1, 2}));
    ASSERT_EQ(output.Reset(), kSoundOk);
    for (auto& b : this->blocks) {
        EXPECT_EQ(output.Unprepare(b), kSoundOk);
    }
    EXPECT_EQ(output.Close(), kSoundOk);
    EXPECT_EQ(output.Close(), kSoundErrBadState);
}

TYPED_TEST(SoundOutputContractTest, ResetHandsBackWhatAPausedOutputStillHolds) {
    SoundOutput& output = this->rig.Output();
    ASSERT_EQ(output.Open(44100, 2, this->queue), kSoundOk);
    ASSERT_EQ(output.Pause(), kSoundOk);
    for (auto& b : this->blocks) {
        ASSERT_EQ(output.Prepare(b), kSoundOk);
        ASSERT_EQ(output.Write(b), kSoundOk);
    }
    ASSERT_EQ(output.Reset(), kSoundOk);
    EXPECT_EQ(this->Returned(3), (std::vector<std::uintptr_t>{0, 1, 2}));
    EXPECT_EQ(output.Close(), kSoundOk);
}

}  // namespace
}  // namespace zolvane2
