#pragma once
// SplashWindow: the first window of the process. Its load step runs the start-up
// steps that need no main window: the six data folders, the display options,
// and a read through the record files of the user shown last, reporting each
// step on its status line lblMsg. Any key closes it.
#include <QElapsedTimer>
#include <QWidget>
#include <cstdint>
#include <string>
#include <vector>

class QEventLoop;
class QLabel;

namespace tama::ui {

class AppContext;

class SplashWindow : public QWidget {
    Q_OBJECT
public:
    explicit SplashWindow(QWidget* parent = nullptr);
    ~SplashWindow() override;

    // Shows the window and runs the start-up steps on `ctx`. Returns false when
    // start-up cannot go on (a data folder could not be created; the error has
    // been reported). A record file the scan cannot read is reported with its
    // name and line, and start-up goes on.
    bool load(AppContext& ctx);

    QLabel* lblMsg() const { return lblMsg_; }
    // The data folders this run created, in the order they were created.
    const std::vector<std::string>& createdFolders() const { return created_; }
    // The records counted by the scan.
    std::int64_t recordCount() const { return counter_; }

    // The status text for a scan counter: "Dataファイル読み込み中 ( N )...".
    static QString scanText(std::int64_t counter);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Shows `text` on lblMsg and draws it at once.
    void setMessage(const QString& text);
    // Returns once the window system has shown the window and it has been painted.
    void waitUntilPainted();
    void scanProgress(std::int64_t counter);

    QLabel* picture_;
    QLabel* version_;
    QLabel* lblMsg_;
    std::vector<std::string> created_;
    std::int64_t counter_ = 0;
    QElapsedTimer sinceShown_;
    qint64 lastShownAt_ = -1;
    qint64 frameMs_ = 16;
    bool painted_ = false;
    QEventLoop* waitingForPaint_ = nullptr;  // set while waitUntilPainted() waits
};

}  // namespace tama::ui
