#include "export_job.h"

#include <QMetaObject>
#include <QtConcurrent/QtConcurrentRun>
#include <atomic>
#include <mutex>

namespace tama::ui {

// What the writer's thread and the job's thread both touch.
struct ExportJob::Shared {
    std::atomic<bool> stop{false};
    // True while a delivery of the latest report is queued and not yet taken.
    std::atomic<bool> deliveryQueued{false};
    std::mutex mutex;  // guards the pair below, so that a report is never half new
    long done = 0;
    long total = 1;
};

ExportJob::ExportJob(QObject* parent) : QObject(parent) {
    connect(&watcher_, &QFutureWatcher<Result>::finished, this, &ExportJob::takeResult);
}

ExportJob::~ExportJob() {
    if (!watcher_.isFinished()) {
        stop();
        watcher_.waitForFinished();
    }
}

void ExportJob::start(Work work) {
    if (running_) return;
    running_ = true;
    outcome_ = Outcome::Done;
    error_.clear();
    auto shared = std::make_shared<Shared>();
    shared_ = shared;
    // The report runs on the writer's thread: it keeps the newest figures and
    // queues one delivery to this object's thread unless one is already on its way.
    xlsx::ProgressFn report = [this, shared](long done, long total) {
        {
            const std::lock_guard lock(shared->mutex);
            shared->done = done;
            shared->total = total;
        }
        if (!shared->deliveryQueued.exchange(true)) {
            QMetaObject::invokeMethod(
                this,
                [this, shared] {
                    shared->deliveryQueued = false;
                    long d, t;
                    {
                        const std::lock_guard lock(shared->mutex);
                        d = shared->done;
                        t = shared->total;
                    }
                    emit progressed(d, t);
                },
                Qt::QueuedConnection);
        }
        return !shared->stop.load();
    };
    watcher_.setFuture(QtConcurrent::run([work = std::move(work), report = std::move(report)] {
        Result result;
        try {
            work(report);
        } catch (const xlsx::Cancelled& e) {
            result.outcome = Outcome::Stopped;
            result.error = e.what();
        } catch (const std::exception& e) {
            result.outcome = Outcome::Failed;
            result.error = e.what();
        }
        return result;
    }));
}

ExportJob::Outcome ExportJob::runAndWait(Work work, QEventLoop::ProcessEventsFlags flags) {
    QEventLoop loop;
    connect(this, &ExportJob::finished, &loop, &QEventLoop::quit);
    start(std::move(work));
    if (running_) loop.exec(flags);
    return outcome_;
}

void ExportJob::stop() {
    if (shared_) shared_->stop = true;
}

void ExportJob::takeResult() {
    const Result result = watcher_.result();
    outcome_ = result.outcome;
    error_ = QString::fromStdString(result.error);
    running_ = false;
    emit finished();
}

}  // namespace tama::ui
