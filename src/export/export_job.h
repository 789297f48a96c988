#pragma once
// ExportJob: one workbook writer run on Qt's thread pool (QtConcurrent::run),
// watched by a QFutureWatcher. The writer reports its progress from its own
// thread; the job hands it on by the signal progressed(), delivered on the
// thread the job lives on, and says by finished() how the writer ended. The
// export dialogs show the one and act on the other.
#include <QEventLoop>
#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "export/workbook.h"

namespace tama::ui {

class ExportJob : public QObject {
    Q_OBJECT
public:
    // The writer: called once, on a worker thread, with the progress function it
    // reports to. It must not touch windows; it gets copies of what it writes.
    using Work = std::function<void(const xlsx::ProgressFn&)>;
    enum class Outcome { Done, Stopped, Failed };

    explicit ExportJob(QObject* parent = nullptr);
    // A writer still running is stopped and waited for, so that it never reports
    // to an object that is gone.
    ~ExportJob() override;

    // Starts `work`; does nothing while a writer runs.
    void start(Work work);
    // Starts `work` and returns how it ended, once it has. Meanwhile this thread's
    // events run under `flags` (ExcludeUserInputEvents: repaints and progress, no clicks).
    Outcome runAndWait(Work work, QEventLoop::ProcessEventsFlags flags);
    // Asks the writer to stop: its next progress report returns false and it
    // throws xlsx::Cancelled, leaving no file.
    void stop();

    // True from start() until finished() has been emitted.
    bool isRunning() const { return running_; }
    // How the last writer ended, and the text of what it threw ("中止しました"
    // when it was stopped; empty when it was done).
    Outcome outcome() const { return outcome_; }
    const QString& error() const { return error_; }

signals:
    // The writer's latest report. Reports that come faster than this thread takes
    // them are merged: only the newest reaches the window.
    void progressed(long done, long total);
    // The writer has ended; outcome() and error() tell how.
    void finished();

private:
    struct Result {
        Outcome outcome = Outcome::Done;
        std::string error;
    };
    struct Shared;

    void takeResult();

    std::shared_ptr<Shared> shared_;
    QFutureWatcher<Result> watcher_;
    bool running_ = false;
    Outcome outcome_ = Outcome::Done;
    QString error_;
};

}  // namespace tama::ui
