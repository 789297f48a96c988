#include "help_viewer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPointer>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "ui/messages.h"
#include "ui/named.h"

namespace tama::ui {

namespace {

const QString kNamespace = QStringLiteral("jp.tamalog.manual");
const QString kStartPage = QStringLiteral("qthelp://jp.tamalog.manual/doc/html/index.html");

QString& helpFolderOverride() {
    static QString folder;
    return folder;
}

QStringList helpFolders() {
    if (!helpFolderOverride().isEmpty()) return {helpFolderOverride()};
    const QString bin = QCoreApplication::applicationDirPath();
    return {bin + QStringLiteral("/help"), bin + QStringLiteral("/../share/tamalog/help")};
}

// Pages of the collection are read through the engine, so links between pages
// and the pictures in them resolve inside the collection.
class HelpBrowser : public QTextBrowser {
public:
    HelpBrowser(QHelpEngine* engine, QWidget* parent) : QTextBrowser(parent), engine_(engine) {}
    QVariant loadResource(int type, const QUrl& name) override {
        if (name.scheme() == QLatin1String("qthelp")) return engine_->fileData(name);
        return QTextBrowser::loadResource(type, name);
    }

private:
    QHelpEngine* engine_;
};

}  // namespace

void setHelpFolder(const QString& folder) { helpFolderOverride() = folder; }

QString helpCollectionPath() {
    for (const QString& folder : helpFolders()) {
        const QString path = QDir::cleanPath(folder + QStringLiteral("/tamalog.qhc"));
        if (QFileInfo::exists(path)) return path;
    }
    return {};
}

QString helpStartPage() {
    for (const QString& folder : helpFolders()) {
        const QString path = QDir::cleanPath(folder + QStringLiteral("/html/index.html"));
        if (QFileInfo::exists(path)) return path;
    }
    return {};
}

HelpViewer::HelpViewer(const QString& collection, QWidget* parent)
    : QWidget(parent, Qt::Window), engine_(new QHelpEngine(collection, this)) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("タマログ ヘルプ"));
    engine_->setReadOnly(true);  // an installed collection lies in a folder the user cannot write
    if (collection.isEmpty() || !QFileInfo::exists(collection)) {
        error_ = QStringLiteral("ヘルプファイルが見つかりません。");
        return;
    }
    if (!engine_->setupData() || !engine_->registeredDocumentations().contains(kNamespace)) {
        error_ = QStringLiteral("ヘルプファイルを読めません。\r\r") + collection +
                 (engine_->error().isEmpty() ? QString() : QStringLiteral("\r") + engine_->error());
        return;
    }
    ok_ = true;

    tabs_ = named(new QTabWidget(this), "tabHelp");
    QHelpContentWidget* contents = engine_->contentWidget();
    contents->setObjectName(QStringLiteral("contents"));
    tabs_->addTab(contents, QStringLiteral("目次"));
    auto* indexPage = new QWidget;
    auto* keyword = named(new QLineEdit(indexPage), "txtKeyword");
    keyword->setPlaceholderText(QStringLiteral("キーワードを入力"));
    QHelpIndexWidget* index = engine_->indexWidget();
    index->setObjectName(QStringLiteral("index"));
    auto* iv = new QVBoxLayout(indexPage);
    iv->setContentsMargins(0, 0, 0, 0);
    iv->addWidget(keyword);
    iv->addWidget(index, 1);
    tabs_->addTab(indexPage, QStringLiteral("キーワード"));

    page_ = named(new HelpBrowser(engine_, this), "page");
    page_->setOpenExternalLinks(false);
    auto* split = new QSplitter(this);
    split->addWidget(tabs_);
    split->addWidget(page_);
    split->setStretchFactor(1, 1);
    split->setSizes({220, 560});
    auto* all = new QHBoxLayout(this);
    all->setContentsMargins(0, 0, 0, 0);
    all->addWidget(split);
    resize(800, 560);

    connect(contents, &QHelpContentWidget::linkActivated, this, &HelpViewer::open);
    connect(index, &QHelpIndexWidget::documentActivated, this,
            [this](const QHelpLink& link, const QString&) { open(link.url); });
    connect(index, &QHelpIndexWidget::documentsActivated, this, [this](const QList<QHelpLink>& links, const QString&) {
        if (!links.isEmpty()) open(links.first().url);
    });
    connect(keyword, &QLineEdit::textChanged, index, [index](const QString& text) { index->filterIndices(text); });
    connect(keyword, &QLineEdit::returnPressed, index, &QHelpIndexWidget::activateCurrentItem);
    // The models are built in the background once the data is set up.
    connect(engine_->contentModel(), &QHelpContentModel::contentsCreated, contents, &QTreeView::expandAll);
    connect(engine_->indexModel(), &QHelpIndexModel::indexCreated, this,
            [keyword, index] { index->filterIndices(keyword->text()); });
    open(QUrl(kStartPage));
}

HelpViewer::~HelpViewer() = default;

void HelpViewer::open(const QUrl& url) {
    if (page_) page_->setSource(url);
}

void HelpViewer::showContents() {
    if (!ok_) return;
    tabs_->setCurrentIndex(0);
    open(QUrl(kStartPage));
}

void HelpViewer::showIndex() {
    if (!ok_) return;
    tabs_->setCurrentIndex(1);
    if (auto* keyword = tabs_->findChild<QLineEdit*>(QStringLiteral("txtKeyword"))) {
        keyword->clear();
        keyword->setFocus(Qt::OtherFocusReason);
    }
    engine_->indexWidget()->filterIndices(QString());
}

HelpViewer* showHelp(QWidget* owner, bool index) {
    static QPointer<HelpViewer> viewer;
    if (!viewer) {
        auto* v = new HelpViewer(helpCollectionPath(), nullptr);
        if (!v->ok()) {
            showMessage(owner, {v->error() + QStringLiteral("\r\rヘルプを表示できません。"), QStringLiteral("ヘルプ"),
                                Icon::Exclamation, Buttons::Ok});
            delete v;
            return nullptr;
        }
        v->setAttribute(Qt::WA_DeleteOnClose);
        viewer = v;
    }
    if (index) viewer->showIndex();
    else viewer->showContents();
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return viewer;
}

}  // namespace tama::ui
