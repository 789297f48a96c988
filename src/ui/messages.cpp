#include "messages.h"

#include <QMessageBox>

namespace tama::ui {

namespace {
Answerer& answererSlot() {
    static Answerer a;
    return a;
}
}  // namespace

void setAnswerer(Answerer answerer) { answererSlot() = std::move(answerer); }

Answerer RecordingAnswerer::install() {
    Answerer a = [this](const MessageRequest& r) {
        asked.push_back(r);
        size_t k = asked.size() - 1;
        if (k < answers.size()) return answers[k];
        return r.buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    };
    setAnswerer(a);
    return a;
}

Answer showMessage(QWidget* parent, const MessageRequest& request) {
    if (answererSlot()) return answererSlot()(request);
    QMessageBox box(parent);
    box.setWindowTitle(request.title);
    box.setText(request.text);
    switch (request.icon) {
        case Icon::Information: box.setIcon(QMessageBox::Information); break;
        case Icon::Exclamation: box.setIcon(QMessageBox::Warning); break;
        case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
        case Icon::Question: box.setIcon(QMessageBox::Question); break;
    }
    switch (request.buttons) {
        case Buttons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
        case Buttons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
        case Buttons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    }
    switch (box.exec()) {
        case QMessageBox::Yes: return Answer::Yes;
        case QMessageBox::No: return Answer::No;
        case QMessageBox::Cancel: return Answer::Cancel;
        default: return Answer::Ok;
    }
}

QString errorReportText(int number, const QString& description, bool full) {
    const QString cr = QStringLiteral("\r");
    QString num = number < 0 ? QString::number(number) : QStringLiteral(" ") + QString::number(number);
    QString text = QStringLiteral("ｴﾗｰ番号 ：") + num + cr + cr + QStringLiteral("ﾒｯｾｰｼﾞ   ： ") + description + cr +
                   cr;
    if (full) text += QStringLiteral("上記のｴﾗｰ番号とﾒｯｾｰｼﾞを作者まで連絡して下さい。") + cr;
    return text;
}

void ErrorReport(QWidget* parent, int number, const QString& description, bool full) {
    showMessage(parent, {errorReportText(number, description, full), QStringLiteral("ｴﾗｰ発生"), Icon::Exclamation,
                         Buttons::Ok});
}

void inputRefusal(QWidget* parent, const QString& text, const QString& title) {
    showMessage(parent, {text, title, Icon::Exclamation, Buttons::Ok});
}

bool confirm(QWidget* parent, const QString& text, const QString& title) {
    return showMessage(parent, {text, title, Icon::Exclamation, Buttons::YesNo}) == Answer::Yes;
}

}  // namespace tama::ui
