#include <gtest/gtest.h>

#include "QtPrinters.h"

#include <atomic>
#include <stdexcept>
#include <thread>

#include <QCoreApplication>
#include <QObject>
#include <QTest>
#include <QThread>

#include "app/QtOwnerThread.h"

namespace tarnwick::test {
namespace {

class QtOwnerThreadTest : public ::testing::Test {
protected:
    QObject context;
    std::vector<std::string> errors;
    QtOwnerThread owner{context, [this](const std::exception& e) { errors.push_back(e.what()); }};
};

TEST_F(QtOwnerThreadTest, PostedAndSentStepsRunOnTheContextsThread) {
    QThread* gui = QThread::currentThread();
    std::atomic<int> ranOnGui{0};
    std::atomic<bool> sent{false};
    std::jthread worker([&] {
        owner.Post([&] { ranOnGui += QThread::currentThread() == gui; });
        sent = owner.Send([&] { ranOnGui += QThread::currentThread() == gui; }, {});
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return sent.load(); }, 10000));
    EXPECT_EQ(ranOnGui.load(), 2);

    // On the owner's own thread a send runs at once instead of waiting for itself.
    bool ran = false;
    EXPECT_TRUE(owner.Send([&] { ran = true; }, {}));
    EXPECT_TRUE(ran);
}

TEST_F(QtOwnerThreadTest, SendGivesUpWhenStoppedAndTheStepMayRunLater) {
    std::stop_source stop;
    auto ran = std::make_shared<std::atomic<bool>>(false);
    std::atomic<int> result{-1};
    std::jthread worker([&] { result = owner.Send([ran] { *ran = true; }, stop.get_token()); });
    // This thread handles no events meanwhile, so the step is still queued when the stop comes.
    stop.request_stop();
    worker.join();
    EXPECT_EQ(result.load(), 0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(ran->load());
}

TEST_F(QtOwnerThreadTest, AFailingStepIsReportedAndTheSenderIsReleased) {
    std::atomic<int> result{-1};
    std::jthread worker(
        [&] { result = owner.Send([] { throw std::runtime_error("步骤失败"); }, {}); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return result.load() != -1; }, 10000));
    EXPECT_EQ(result.load(), 1);
    EXPECT_EQ(errors, (std::vector<std::string>{"步骤失败"}));
}

TEST_F(QtOwnerThreadTest, StepsQueuedForADestroyedContextAreDropped) {
    auto doomed = std::make_unique<QObject>();
    QtOwnerThread doomedOwner(*doomed, nullptr);
    bool ran = false;
    std::jthread([&] { doomedOwner.Post([&] { ran = true; }); }).join();
    doomed.reset();
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);
}

}  // namespace
}  // namespace tarnwick::test
