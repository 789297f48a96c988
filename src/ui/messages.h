#pragma once
// Every message box of the program goes through here, one function per kind,
// so that texts, titles and icons are uniform and tests can answer boxes
// without a modal loop (setAnswerer).
#include <QString>
#include <functional>
#include <vector>

class QWidget;

namespace tama::ui {

enum class Icon { Information, Exclamation, Critical, Question };
enum class Buttons { Ok, YesNo, OkCancel };
enum class Answer { Ok, Yes, No, Cancel };

struct MessageRequest {
    QString text;
    QString title;
    Icon icon = Icon::Exclamation;
    Buttons buttons = Buttons::Ok;
};

// Answers a box instead of showing it. Tests install one; an empty function
// restores the real message boxes.
using Answerer = std::function<Answer(const MessageRequest&)>;
void setAnswerer(Answerer answerer);

// A test answerer that records every request and answers with `answers` in turn
// (Ok / Yes when the list runs out).
struct RecordingAnswerer {
    std::vector<MessageRequest> asked;
    std::vector<Answer> answers;
    Answerer install();
};

// Shows a box (or asks the installed answerer) and returns the button pressed.
Answer showMessage(QWidget* parent, const MessageRequest& request);

// The common error report: title "ｴﾗｰ発生", exclamation icon, OK. The full form
// ends with the request to report the error to the author; the short form stops
// after the description.
QString errorReportText(int number, const QString& description, bool full);
void ErrorReport(QWidget* parent, int number, const QString& description, bool full = true);

// A refused input: exclamation icon, OK.
void inputRefusal(QWidget* parent, const QString& text, const QString& title);

// A yes/no question with the exclamation icon; true for yes.
bool confirm(QWidget* parent, const QString& text, const QString& title);

// An error number for an exception caught in a command (the description is its text).
inline constexpr int kFileErrorNumber = 75;  // path/file access error

}  // namespace tama::ui
