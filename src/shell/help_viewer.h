#pragma once
// The help window: the Japanese manual built into a Qt Help collection
// (tamalog.qhc beside the program, or under share/tamalog/help when installed),
// shown with QHelpEngine. 目次 opens it at the contents, ﾄﾋﾟｯｸの検索 at the
// keyword index with an empty keyword. A collection that is missing or cannot
// be read gives a message and no window.
#include <QString>
#include <QUrl>
#include <QWidget>

class QHelpEngine;
class QTabWidget;
class QTextBrowser;

namespace tama::ui {

// The help collection of this program: the first of <program>/help/tamalog.qhc
// and <program>/../share/tamalog/help/tamalog.qhc that exists; empty when none.
QString helpCollectionPath();
// The manual's start page as a plain file (for the desktop's browser); empty when none.
QString helpStartPage();
// Looks for the help in `folder` instead (tests; an empty text restores the default places).
void setHelpFolder(const QString& folder);

class HelpViewer : public QWidget {
    Q_OBJECT
public:
    // Opens the collection read-only. ok() tells whether it could be read.
    explicit HelpViewer(const QString& collection, QWidget* parent = nullptr);
    ~HelpViewer() override;

    bool ok() const { return ok_; }
    QString error() const { return error_; }

    // The contents on the left, the start page on the right.
    void showContents();
    // The keyword index with an empty keyword (every keyword listed).
    void showIndex();

    QTabWidget* tabs() const { return tabs_; }
    QTextBrowser* page() const { return page_; }
    QHelpEngine* engine() const { return engine_; }

private:
    void open(const QUrl& url);

    QHelpEngine* engine_;
    QTabWidget* tabs_ = nullptr;
    QTextBrowser* page_ = nullptr;
    bool ok_ = false;
    QString error_;
};

// Shows the help window (one per run, raised when open) at the contents or the
// index; a missing collection gives the message instead. Returns the window or null.
HelpViewer* showHelp(QWidget* owner, bool index);

}  // namespace tama::ui
