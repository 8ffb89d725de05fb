#pragma once

#include <QCoreApplication>
#include <QString>

#include <atomic>
#include <functional>
#include <thread>

// What a background job ended with; a failure carries the reason, in words for the user.
struct VxJobOutcome
{
    bool success = true;
    QString message;

    static VxJobOutcome succeeded() { return {true, QString()}; }
    static VxJobOutcome failed(const QString& reason) { return {false, reason}; }
};

// Runs one background job at a time on a thread it owns. start() joins the previous run, marks
// the worker busy, runs the job with any exception turned into a failed outcome, clears the busy
// flag and then hands the outcome to the report, so that whoever the report tells already finds
// the worker idle. The destructor joins; an owner whose job loops until told to stop clears its
// own run flag before that.
class VxWorker
{
    Q_DECLARE_TR_FUNCTIONS(VxWorker)

public:
    using Job = std::function<VxJobOutcome()>;
    // Called on the worker thread once the job has ended; the outcome lives during the call.
    using Report = std::function<void(const VxJobOutcome&)>;

    VxWorker() = default;
    ~VxWorker();
    VxWorker(const VxWorker&) = delete;
    VxWorker& operator=(const VxWorker&) = delete;

    void start(Job job, Report report);
    // Waits for the current run to end; nothing to wait for when none runs. Never call it from
    // the job or the report.
    void join();
    // From start() until the job has ended (the report may still be running).
    bool isBusy() const { return m_busy.load(); }

private:
    void run(const Job& job, const Report& report);

    std::atomic<bool> m_busy{false};
    std::thread m_thread;
};
