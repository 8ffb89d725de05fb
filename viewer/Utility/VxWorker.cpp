#include "VxWorker.h"

#include <QDebug>

#include <exception>

VxWorker::~VxWorker()
{
    join();
}

void VxWorker::start(Job job, Report report)
{
    join();
    // Set before the thread exists, so that a caller asking right after start() sees the job.
    m_busy = true;
    m_thread = std::thread([this, job = std::move(job), report = std::move(report)] { run(job, report); });
}

void VxWorker::join()
{
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void VxWorker::run(const Job& job, const Report& report)
{
    VxJobOutcome outcome;
    try {
        outcome = job();
    } catch (const std::exception& error) {
        outcome = VxJobOutcome::failed(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        outcome = VxJobOutcome::failed(tr("An unexpected error ended the work."));
    }
    m_busy = false;
    if (!report) {
        return;
    }
    // Nothing may leave the thread, not even from the report.
    try {
        report(outcome);
    } catch (const std::exception& error) {
        qWarning() << "A background job's report failed:" << error.what();
    } catch (...) {
        qWarning() << "A background job's report failed.";
    }
}
