// The background-job helper: outcomes, exceptions, the busy flag and joining.
#include "VxWorker.h"

#include <QTest>

#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace {

// Collects the report of one run and lets the test wait for it.
struct ReportBox
{
    std::mutex mutex; // guards everything below
    std::condition_variable arrived;
    bool reported = false;
    bool busyDuringReport = true;
    VxJobOutcome outcome;
    std::thread::id thread;

    VxWorker::Report reporter(VxWorker& worker)
    {
        return [this, &worker](const VxJobOutcome& result) {
            std::lock_guard<std::mutex> lock(mutex);
            outcome = result;
            busyDuringReport = worker.isBusy();
            thread = std::this_thread::get_id();
            reported = true;
            arrived.notify_all();
        };
    }
    bool wait()
    {
        std::unique_lock<std::mutex> lock(mutex);
        return arrived.wait_for(lock, std::chrono::seconds(20), [this] { return reported; });
    }
};

} // namespace

class WorkerTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aJobThatThrowsEndsInAFailedOutcomeWithItsMessage()
    {
        VxWorker worker;
        ReportBox box;
        worker.start([]() -> VxJobOutcome { throw std::runtime_error("disk full"); }, box.reporter(worker));
        QVERIFY(box.wait());
        QVERIFY(!box.outcome.success);
        QCOMPARE(box.outcome.message, QString("disk full"));
        QVERIFY(!box.busyDuringReport);
        QVERIFY(box.thread != std::this_thread::get_id());

        // Something that is not an exception class still gives a failure with a reason.
        ReportBox odd;
        worker.start([]() -> VxJobOutcome { throw 42; }, odd.reporter(worker));
        QVERIFY(odd.wait());
        QVERIFY(!odd.outcome.success);
        QVERIFY(!odd.outcome.message.isEmpty());

        // The worker stays usable.
        ReportBox fine;
        worker.start([] { return VxJobOutcome::succeeded(); }, fine.reporter(worker));
        QVERIFY(fine.wait());
        QVERIFY(fine.outcome.success);
    }

    void busyFromStartUntilTheJobEnds()
    {
        VxWorker worker;
        std::mutex mutex; // guards release
        std::condition_variable released;
        bool release = false;
        ReportBox box;
        worker.start(
            [&] {
                std::unique_lock<std::mutex> lock(mutex);
                released.wait(lock, [&] { return release; });
                return VxJobOutcome::failed("stopped");
            },
            box.reporter(worker));
        QVERIFY(worker.isBusy());
        {
            std::lock_guard<std::mutex> lock(mutex);
            release = true;
        }
        released.notify_all();
        worker.join();
        QVERIFY(!worker.isBusy());
        QVERIFY(box.reported);
        QCOMPARE(box.outcome.message, QString("stopped"));
    }

    void startWaitsForThePreviousRunAndTheDestructorJoins()
    {
        std::atomic<int> finished{0};
        {
            VxWorker worker;
            auto slowJob = [&finished] {
                std::this_thread::sleep_for(std::chrono::milliseconds(30)); // work, not synchronisation
                ++finished;
                return VxJobOutcome::succeeded();
            };
            worker.start(slowJob, nullptr);
            worker.start(slowJob, nullptr);
            QVERIFY(finished >= 1);
        }
        QCOMPARE(finished.load(), 2);
    }
};

QTEST_GUILESS_MAIN(WorkerTest)
#include "WorkerTest.moc"
