#include "splash.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

#include "ui/app_context.h"
#include "ui/messages.h"
#include "shared/file_io.h"
#include "export/old_workbooks.h"
#include "shared/version.h"
#include "storage/data_folders.h"
#include "ui/named.h"

namespace tama::ui {

SplashWindow::SplashWindow(QWidget* parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QStringLiteral("タマログ"));
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);

    picture_ = named(new QLabel(this), "picture");
    picture_->setPixmap(QPixmap(QStringLiteral(":/tamalog/splash.png")));
    version_ = named(new QLabel(QStringLiteral("Version %1  for Windows").arg(QLatin1String(kVersion)), this),
                     "lblVersion");
    version_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblMsg_ = named(new QLabel(QStringLiteral("処理状況メッセージ"), this), "lblMsg");
    lblMsg_->setFrameShape(QFrame::Panel);
    lblMsg_->setFrameShadow(QFrame::Sunken);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(picture_);
    layout->addWidget(version_);
    layout->addWidget(lblMsg_);
    setFixedSize(sizeHint());
}

SplashWindow::~SplashWindow() = default;

QString SplashWindow::scanText(std::int64_t counter) {
    return QStringLiteral("Dataファイル読み込み中 ( ") + QString::number(counter) + QStringLiteral(" )...");
}

void SplashWindow::keyPressEvent(QKeyEvent* event) {
    event->accept();
    close();
    if (waitingForPaint_) waitingForPaint_->quit();
}

void SplashWindow::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    painted_ = true;
    if (waitingForPaint_) waitingForPaint_->quit();
}

void SplashWindow::waitUntilPainted() {
    // The window system shows a new window some time after show(); until it
    // has, nothing can be drawn into it. Start-up waits for that first paint
    // (at most a second, for a platform that never shows it), so that every
    // later message can be drawn at once with repaint() while start-up works.
    if (painted_ || isHidden()) return;
    QEventLoop loop;
    QTimer::singleShot(1000, &loop, &QEventLoop::quit);
    waitingForPaint_ = &loop;
    loop.exec();
    waitingForPaint_ = nullptr;
}

void SplashWindow::setMessage(const QString& text) {
    lblMsg_->setText(text);
    // Start-up works on this thread without returning to the event loop:
    // the line is drawn now, not when the loop would have drawn it.
    lblMsg_->repaint();
}

void SplashWindow::scanProgress(std::int64_t counter) {
    counter_ = counter;
    // Every record is counted, but the line is redrawn at most once per screen
    // frame: a hundred thousand records must not cost a hundred thousand repaints.
    const qint64 now = sinceShown_.elapsed();
    if (lastShownAt_ >= 0 && now - lastShownAt_ < frameMs_) return;
    lastShownAt_ = now;
    setMessage(scanText(counter));
}

bool SplashWindow::load(AppContext& ctx) {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
        if (screen->refreshRate() > 1) frameMs_ = std::max<qint64>(1, std::lround(1000.0 / screen->refreshRate()));
    }
    show();
    raise();
    activateWindow();
    sinceShown_.start();
    waitUntilPainted();

    setMessage(QStringLiteral("画面設定初期化..."));
    setMessage(QStringLiteral("フォルダー設定確認..."));

    try {
        created_ = ensureDataFolders(ctx.programFolder());
        removeLeftoverTemporaries(ctx.programFolder());
        removeOldWorkbooksAtStart(ctx.programFolder());
    } catch (const std::exception& e) {
        ErrorReport(this, kFileErrorNumber, qs(e.what()), true);
        return false;
    }

    // The settings file path was fixed when the context was made (program
    // folder / tmrec.ini). A settings file that cannot be read leaves the defaults.
    try {
        ctx.loadOptions();
    } catch (const std::exception& e) {
        ErrorReport(this, kFileErrorNumber, qs(e.what()), false);
    }

    QString user;
    try {
        user = ctx.readSetting(QStringLiteral("monthly"), QStringLiteral("cboUser.Text"));
    } catch (const std::exception&) {
        user.clear();  // already reported with the options
    }
    if (!user.isEmpty()) {
        counter_ = 0;
        lastShownAt_ = -1;
        try {
            DataFolderScan(ctx.programFolder(), ss(user), [this](std::int64_t c) { scanProgress(c); });
        } catch (const std::exception& e) {
            // A file the reader refuses (its name and line are in the text) stops
            // the count, not the program: the windows show what can be read.
            ErrorReport(this, kFileErrorNumber, qs(e.what()), false);
        }
        if (counter_ > 0) setMessage(scanText(counter_));
    }
    return true;
}

}  // namespace tama::ui
