// The options dialog driven through its controls: loading from the options
// (unusable stored values fall back), the row-count controls following
// chkDat1, colour choices kept or cancelled, and what Apply, OK, Defaults and
// Cancel do to the run's options, the settings file and an open monthly list.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QToolButton>
#include <QtTest>
#include <memory>

#include "monthly/monthly_window.h"
#include "options/options_dialog.h"
#include "options/row_colouring.h"
#include "storage/daily_record.h"
#include "storage/data_folders.h"
#include "ui/app_context.h"
#include "ui/messages.h"
#include "../support/gui_fixture.h"

using namespace tama;
using namespace tama::ui;

class OptionsDialogTest : public QObject, protected test::GuiFixture {
    Q_OBJECT


    fs::path ini() const { return settingsFilePath(tmp->path()); }
    void click(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton); }

private slots:
    void init() {
        startFolder();
        fs::path taro = tmp->makeUser("太郎");
        std::string year;
        for (const char* d : {"2004/05/01", "2004/05/02", "2004/05/03", "2004/05/04", "2004/05/05"})
            year += formatRecordLine(test::recordOn(d)) + "\n";
        test::putBytes(taro / "s2004.sdb", test::sjis(year));
        openContext(12000, 9000);
    }
    void cleanup() { finish(); }

    // Colours and counts that are not numbers: the dialog shows the defaults.
    void unusableStoredValuesShowDefaults() {
        test::putBytes(ini(),
                       "[Option]\r\ncmdAll.BackColor=blue\r\ncmdGluf.BackColor=12x\r\nlblLine.Caption=0\r\n"
                       "chkDat1.Value=yes\r\nchkG1.Value=1\r\n");
        ctx->loadOptions();
        OptionsDialog dlg(*ctx);
        const OptionSet shown = dlg.fromControls();
        QCOMPARE(shown.cmdAllBackColor, std::string("-2147483633"));
        QCOMPARE(shown.cmdGlufBackColor, std::string("255"));
        QCOMPARE(shown.lblLineCaption, std::string("1"));
        QCOMPARE(shown.chkDat1Value, std::string("1"));
        QCOMPARE(shown.chkG1Value, std::string("1"));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("設定"));
    }

    void chkDat1EnablesTheRowControls() {
        OptionsDialog dlg(*ctx);
        dlg.show();
        QVERIFY(dlg.chkDat1()->isChecked());
        QVERIFY(dlg.lblLine()->isEnabled() && dlg.cmdDat()->isEnabled() && dlg.UpDown1()->isEnabled());
        click(dlg.chkDat1());
        QVERIFY(!dlg.lblLine()->isEnabled() && !dlg.cmdDat()->isEnabled() && !dlg.UpDown1()->isEnabled());
        click(dlg.chkDat1());
        QVERIFY(dlg.lblLine()->isEnabled() && dlg.cmdDat()->isEnabled() && dlg.UpDown1()->isEnabled());
        // The spin buttons step the count and stop at 1.
        auto arrows = dlg.UpDown1()->findChildren<QToolButton*>();
        QCOMPARE(arrows.size(), 2);
        click(arrows[0]);
        click(arrows[0]);
        QCOMPARE(dlg.lblLine()->text(), QStringLiteral("3"));
        for (int k = 0; k < 5; ++k) click(arrows[1]);
        QCOMPARE(dlg.lblLine()->text(), QStringLiteral("1"));
    }

    void applyOkAndCancel() {
        ctx->writeSetting(QStringLiteral("Option"), QStringLiteral("cmdAll.BackColor"), QStringLiteral("65280"));
        ctx->loadOptions();
        auto monthly = std::make_unique<MonthlyWindow>(*ctx);
        monthly->cboUser()->setCurrentText(QStringLiteral("太郎"));
        monthly->txtNen()->setText(QStringLiteral("2004"));
        monthly->txtTuki()->setText(QStringLiteral("5"));
        monthly->show();
        auto* grid = monthly->findChild<QTableView*>(QStringLiteral("mfgDat"));
        QVERIFY(grid);
        QCOMPARE(grid->model()->rowCount(), 5);
        auto rowColour = [&](int r) {
            return grid->model()->index(r, 0).data(Qt::BackgroundRole).value<QBrush>().color();
        };
        QCOMPARE(rowColour(0), QColor(Qt::white));
        QCOMPARE(rowColour(1), QColor(245, 255, 255));  // every other row by default

        QSignalSpy changed(ctx.get(), &AppContext::optionsChanged);
        const std::string before = test::fileBytes(ini());
        {
            OptionsDialog dlg(*ctx);
            dlg.setColourChooser([](const QColor&) { return std::optional<QColor>(QColor(255, 0, 0)); });
            click(dlg.cmdAll());
            dlg.setColourChooser([](const QColor&) { return std::optional<QColor>(QColor(0, 0, 255)); });
            click(dlg.cmdDat());
            // A cancelled choice puts back the options' colour, not the last one shown.
            dlg.setColourChooser([](const QColor&) { return std::nullopt; });
            click(dlg.cmdGluf());
            QCOMPARE(dlg.fromControls().cmdGlufBackColor, std::string("255"));
            click(dlg.UpDown1()->findChildren<QToolButton*>()[0]);  // every 2 rows
            click(dlg.findChild<QPushButton*>(QStringLiteral("cmdUpd")));
            QCOMPARE(changed.count(), 1);
            QCOMPARE(ctx->options().cmdAllBackColor, std::string("255"));
            QCOMPARE(ctx->overallColour(), QColor(255, 0, 0));
            QCOMPARE(test::fileBytes(ini()), before);  // Apply writes nothing
            // The open list follows: rows 1-2 white, 3-4 blue, 5 white.
            QCOMPARE(rowColour(1), QColor(Qt::white));
            QCOMPARE(rowColour(2), QColor(0, 0, 255));
            QCOMPARE(rowColour(3), QColor(0, 0, 255));
            QCOMPARE(rowColour(4), QColor(Qt::white));
            QCOMPARE(monthly->palette().color(QPalette::Window), QColor(255, 0, 0));
            click(dlg.findChild<QPushButton*>(QStringLiteral("cmdCancel")));
        }
        QCOMPARE(test::fileBytes(ini()), before);                      // Cancel keeps the file ...
        QCOMPARE(ctx->options().cmdAllBackColor, std::string("255"));  // ... and what Apply did

        {
            OptionsDialog dlg(*ctx);
            click(dlg.chkG1());
            click(dlg.chkDat1());
            click(dlg.findChild<QPushButton*>(QStringLiteral("cmdOk")));
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
        }
        QCOMPARE(changed.count(), 2);
        QCOMPARE(test::fileText(ini()),
                 std::string("[Option]\ncmdAll.BackColor=255\ncmdGluf.BackColor=255\nchkDat1.Value=0\n"
                             "lblLine.Caption=2\ncmdDat.BackColor=16711680\nchkG1.Value=1\nchkG2.Value=1\n"
                             "chkG3.Value=1\n"));
        QCOMPARE(rowColour(1), QColor(Qt::white));  // colouring switched off
        QCOMPARE(rowColour(2), QColor(Qt::white));
        // The next start reads what OK wrote.
        AppContext next(tmp->path());
        next.loadOptions();
        QCOMPARE(next.options(), ctx->options());
    }

    void defaultsThenCancelKeepTheDefaultsForTheRunOnly() {
        ctx->writeSetting(QStringLiteral("Option"), QStringLiteral("cmdAll.BackColor"), QStringLiteral("255"));
        ctx->writeSetting(QStringLiteral("Option"), QStringLiteral("chkG2.Value"), QStringLiteral("0"));
        ctx->loadOptions();
        const std::string before = test::fileBytes(ini());
        QSignalSpy changed(ctx.get(), &AppContext::optionsChanged);
        OptionsDialog dlg(*ctx);
        QVERIFY(!dlg.chkG2()->isChecked());
        click(dlg.findChild<QPushButton*>(QStringLiteral("cmdDefult")));
        QVERIFY(dlg.chkG2()->isChecked());
        QVERIFY(!dlg.chkG1()->isChecked());
        click(dlg.findChild<QPushButton*>(QStringLiteral("cmdCancel")));
        QCOMPARE(ctx->options(), OptionSet{});
        QCOMPARE(changed.count(), 0);  // open windows keep their colours
        QCOMPARE(test::fileBytes(ini()), before);
    }
};

QTEST_MAIN(OptionsDialogTest)
#include "options_dialog_test.moc"
