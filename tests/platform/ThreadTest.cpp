#include <atomic>
#include <chrono>

#include <gtest/gtest.h>

#include "platform/QueuedDispatcher.h"
#include "platform/RegisteredMessages.h"
#include "platform/Thread.h"

namespace zolvane2 {
namespace {

using namespace std::chrono_literals;

// A worker with a message loop: echoes each message back through Synchronize.
class EchoThread final : public Thread {
public:
    explicit EchoThread(std::vector<Message>& seen) : seen_(seen) {}

protected:
    void Execute() override {
        for (;;) {
            const Message m = Queue().Get();
            if (m.msg == WM_QUIT && Terminated()) {
                return;
            }
            Synchronize([&] { seen_.push_back(m); });
        }
    }

private:
    std::vector<Message>& seen_;
};

class ThreadTest : public ::testing::Test {
protected:
    void SetUp() override { SetMainThreadDispatcher(&dispatcher_); }
    void TearDown() override {
        ThreadRegistry::JoinAll();
        SetMainThreadDispatcher(nullptr);
    }
    QueuedDispatcher dispatcher_;
};

TEST_F(ThreadTest, MessagesArriveInOrderAndSynchronizeRunsOnMainThread) {
    std::vector<Message> seen;
    EchoThread t(seen);
    t.Resume();
    for (WParam i = 1; i <= 50; ++i) {
        t.Queue().Post(0x500, i, static_cast<LParam>(i) * -1);
    }
    ASSERT_TRUE(dispatcher_.PumpUntil([&] { return seen.size() == 50; }, 10s));
    for (std::size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].wParam, i + 1);
        EXPECT_EQ(seen[i].lParam, -static_cast<LParam>(i + 1));
    }
    t.Terminate();
    t.WaitFor();
    EXPECT_FALSE(t.Running());
}

TEST_F(ThreadTest, FreeOnTerminateThreadDeletesItselfAndIsJoinedAtExit) {
    static std::atomic<int> destroyed{0};
    class Once final : public Thread {
    public:
        ~Once() override { destroyed.fetch_add(1); }

    protected:
        void Execute() override {
            Synchronize([] {});
        }
    };
    destroyed = 0;
    auto* t = new Once;  // NOLINT: frees itself
    t->SetFreeOnTerminate(true);
    bool terminated = false;
    t->SetOnTerminate([&] { terminated = true; });
    const auto handle = t->Handle();
    t->Resume();
    WaitForThread(handle);
    EXPECT_TRUE(terminated);
    EXPECT_EQ(destroyed.load(), 1);
    ThreadRegistry::JoinAll();
    EXPECT_EQ(ThreadRegistry::RunningCount(), 0U);
}

TEST_F(ThreadTest, WaitingWorkerIsReleasedWhenTheDispatcherShutsDown) {
    class Blocked final : public Thread {
    protected:
        void Execute() override {
            Synchronize([] { FAIL() << "must not run after shutdown"; });
        }
    };
    dispatcher_.Shutdown();
    Blocked t;
    t.Resume();
    t.WaitFor();
    EXPECT_FALSE(t.Running());
}

TEST(RegisteredMessagesTest, SameNameSameIdentifierDistinctNamesDiffer) {
    const MsgId a = RegisterMessageName("WM_WaveInThreadStart");
    const MsgId b = RegisterMessageName("WM_WaveInThreadStop");
    EXPECT_EQ(a, RegisterMessageName(std::string("WM_WaveInThreadStart")));
    EXPECT_NE(a, b);
    EXPECT_GE(a, 0xC000U);
}

TEST(MessageQueueTest, PeekLeavesOrRemovesAndShutdownWakesGet) {
    MessageQueue q;
    EXPECT_FALSE(q.Peek(false).has_value());
    q.Post(1, 2, 3);
    q.Post(4);
    EXPECT_EQ(q.Peek(false)->msg, 1U);
    EXPECT_EQ(q.Peek(true)->msg, 1U);
    EXPECT_EQ(q.Get().msg, 4U);
    EXPECT_FALSE(q.GetFor(1ms).has_value());
    std::thread waker([&] { q.Shutdown(); });
    EXPECT_EQ(q.Get().msg, WM_QUIT);
    waker.join();
    EXPECT_FALSE(q.Post(5));
}

TEST(WordPackingTest, LowAndHighWordsRoundTrip) {
    const WParam w = MakeWParam(0xFFFE, 2);
    EXPECT_EQ(LowWord(w), 0xFFFE);
    EXPECT_EQ(HighWord(w), 2);
}

}  // namespace
}  // namespace zolvane2
