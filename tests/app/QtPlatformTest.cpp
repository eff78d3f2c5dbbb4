#include <QApplication>
#include <QCoreApplication>
#include <QThread>
#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "app/QtBusyIndicator.h"
#include "app/QtMainThreadDispatcher.h"
#include "app/QtUserMessages.h"

namespace zolvane2 {
namespace {

TEST(QtMainThreadDispatcherTest, WorkFromAWorkerRunsOnTheMainThreadWhileTheWorkerWaits) {
    QtMainThreadDispatcher dispatcher;
    EXPECT_TRUE(dispatcher.IsMainThread());
    std::atomic<bool> ranOnMain{false};
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        EXPECT_FALSE(dispatcher.IsMainThread());
        dispatcher.RunAndWait([&] { ranOnMain = QThread::currentThread() == QCoreApplication::instance()->thread(); });
        returned = true;
    });
    for (int i = 0; i < 500 && !returned; ++i) {
        dispatcher.Pump(std::chrono::milliseconds(10));
    }
    worker.join();
    EXPECT_TRUE(ranOnMain);
    EXPECT_TRUE(returned);
}

TEST(QtMainThreadDispatcherTest, ShutdownReleasesAWaitingWorkerWithoutRunningItsWork) {
    QtMainThreadDispatcher dispatcher;
    std::atomic<bool> ran{false};
    std::atomic<bool> queued{false};
    std::thread worker([&] {
        queued = true;
        dispatcher.RunAndWait([&] { ran = true; });
    });
    while (!queued) {
        std::this_thread::yield();
    }
    // The worker may not have queued its work yet; either way it must return.
    dispatcher.Shutdown();
    worker.join();
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);
    dispatcher.Post([&] { ran = true; });
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran) << "work posted after the shutdown is dropped";
}

TEST(QtMainThreadDispatcherTest, PostedWorkRunsInOrderWhenPumped) {
    QtMainThreadDispatcher dispatcher;
    std::vector<int> order;
    dispatcher.Post([&] { order.push_back(1); });
    dispatcher.Post([&] { order.push_back(2); });
    for (int i = 0; i < 50 && order.size() < 2; ++i) {
        dispatcher.Pump(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

TEST(QtBusyIndicatorTest, AWorkerShowsTheWaitPointerUntilItsLastEnd) {
    QtBusyIndicator busy;
    std::thread worker([&] {
        busy.Begin();
        busy.Begin();
        busy.End();
    });
    worker.join();
    QCoreApplication::processEvents();
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    busy.End();
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(QtUserMessagesTest, AWorkerGetsTheSafeAnswerWhenTheMainThreadTakesNoMoreWork) {
    MainThreadDispatcher* const previous = GetMainThreadDispatcher();
    QtMainThreadDispatcher dispatcher;
    SetMainThreadDispatcher(&dispatcher);
    dispatcher.Shutdown();
    QtUserMessages messages;
    MsgAnswer answer = MsgAnswer::Ok;
    std::thread worker([&] { answer = messages.Show("text", "title", MsgIcon::Question, MsgButtons::YesNo); });
    worker.join();
    EXPECT_EQ(answer, MsgAnswer::No);
    EXPECT_EQ(QtUserMessages::SafeAnswer(MsgButtons::YesNoCancel), MsgAnswer::Cancel);
    EXPECT_EQ(QtUserMessages::SafeAnswer(MsgButtons::Ok), MsgAnswer::Ok);
    SetMainThreadDispatcher(previous);
}

}  // namespace
}  // namespace zolvane2
