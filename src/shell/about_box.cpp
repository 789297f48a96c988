#include "about_box.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "shared/version.h"
#include "ui/app_context.h"
#include "ui/messages.h"
#include "ui/named.h"

namespace tama::ui {

AboutBox::AboutBox(AppContext& ctx, bool perUserFolder, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    setModal(true);

    auto* picture1 = named(new QLabel(this), "Picture1");
    picture1->setPixmap(
        QPixmap(QStringLiteral(":/tamalog/icon.png")).scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    auto* title = named(new QLabel(QStringLiteral("タマログ ～管理編～"), this), "lblTitle");
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    title->setFont(big);
    Label1_ = named(new QLabel(QStringLiteral("Version %1  for Windows").arg(QLatin1String(kVersion)), this), "Label1");
    auto* description = named(new QLabel(QStringLiteral("パチンコ・パチスロの収支管理"), this), "lblDescription");

    const QString folder = QString::fromStdString(ctx.programFolder().string());
    lblFolder_ = named(new QLabel(this), "lblFolder");
    lblFolder_->setText((perUserFolder ? QStringLiteral("データのフォルダー（利用者用）：\n")
                                       : QStringLiteral("データのフォルダー（プログラムのフォルダー）：\n")) +
                        folder);
    lblFolder_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblFolder_->setWordWrap(true);

    auto* picture2 = named(new QLabel(this), "Picture2");
    picture2->setPixmap(
        QPixmap(QStringLiteral(":/tamalog/skin/background.png")).scaledToHeight(48, Qt::SmoothTransformation));
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    cmdOk_ = named(new QPushButton(QStringLiteral("OK"), this), "cmdOk");
    cmdOk_->setDefault(true);
    cmdSysInfo_ = named(new QPushButton(QStringLiteral("ｼｽﾃﾑ情報(&S)..."), this), "cmdSysInfo");
    cmdSysInfo_->setAutoDefault(false);

    auto* texts = new QVBoxLayout;
    texts->addWidget(title);
    texts->addWidget(Label1_);
    texts->addWidget(description);
    texts->addSpacing(8);
    texts->addWidget(lblFolder_);
    auto* top = new QHBoxLayout;
    top->addWidget(picture1, 0, Qt::AlignTop);
    top->addLayout(texts, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOk_);
    buttons->addWidget(cmdSysInfo_);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(picture2, 0, Qt::AlignBottom);
    bottom->addStretch(1);
    bottom->addLayout(buttons);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addWidget(line);
    all->addLayout(bottom);
    setMinimumWidth(460);

    connect(cmdOk_, &QPushButton::clicked, this, &AboutBox::closeBox);
    connect(cmdSysInfo_, &QPushButton::clicked, this, &AboutBox::showSystemInfo);
}

QString AboutBox::systemInfoViewer() const {
    for (const QString& name : kSystemInfoViewers) {
        const QString path = QStandardPaths::findExecutable(name, searchPaths_);
        if (!path.isEmpty()) return path;
    }
    return {};
}

void AboutBox::closeBox() { accept(); }

void AboutBox::showSystemInfo() {
    const QString viewer = systemInfoViewer();
    if (!viewer.isEmpty() && QProcess::startDetached(viewer, {})) return;
    showMessage(this,
                {QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません"), windowTitle(), Icon::Information, Buttons::Ok});
}

}  // namespace tama::ui
