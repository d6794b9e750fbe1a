// The options dialog's watch page: what it stores, and an expression it refuses.

#include "RecordingPorts.h"

#include "app/AppData.h"
#include "app/Settings.h"
#include "app/SettingsState.h"
#include "present/Session.h"
#include "ui/FormOption.h"
#include "ui/WatchOptions.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

class TestWatchOptions : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    RecordingPrompt prompt_;
    std::unique_ptr<Program::Session> session_;

private slots:
    void initTestCase() {
        Common::SetAppDataFolder(dir_.path());
        Ports::SetPrompt(&prompt_);
    }
    void cleanupTestCase() { Ports::SetPrompt(nullptr); }
    void init() {
        session_ = std::make_unique<Program::Session>();
        session_->settings.WatchWord = QStringLiteral("7203");
        session_->settings.RaiseOnlyWatch = true;
        prompt_.boxes.clear();
    }

    void loadsAndStores() {
        int saves = 0;
        FormOption form(*session_);
        form.SaveAll = [&] {
            ++saves;
            Program::SaveSettings(session_->settings, {});
        };
        WatchOptions& page = *form.WatchPage();
        QCOMPARE(page.TextWatchWord()->text(), QStringLiteral("7203"));
        QVERIFY(page.CheckRaiseOnlyWatch()->isChecked());
        QVERIFY(!page.CheckSoundOnlyWatch()->isChecked());
        QVERIFY(!page.CheckNotifyAll()->isChecked());
        // The page is a tab of its own.
        auto* tabs = form.findChild<QTabWidget*>(QStringLiteral("TabS"));
        QVERIFY(tabs->indexOf(&page) >= 0);
        QCOMPARE(tabs->tabText(tabs->indexOf(&page)), QStringLiteral("通知"));

        page.TextWatchWord()->setText(QStringLiteral("7203|トヨタ|(決算&上方修正)"));
        page.CheckNotifyAll()->setChecked(true);
        page.CheckRaiseOnlyWatch()->setChecked(false);
        page.CheckSoundOnlyWatch()->setChecked(true);
        page.ChooseSound = [] { return QStringLiteral("/tmp/watch.wav"); };
        page.CommandWatchSound()->click();
        form.CommandOK_Click();
        QCOMPARE(saves, 1);
        QCOMPARE(form.result(), int(QDialog::Accepted));

        Program::SettingsState read;
        Program::LoadSettings(read);
        QCOMPARE(read.WatchWord, QStringLiteral("7203|トヨタ|(決算&上方修正)"));
        QVERIFY(read.NotifyAllNews);
        QVERIFY(!read.RaiseOnlyWatch);
        QVERIFY(read.SoundOnlyWatch);
        QCOMPARE(read.WatchSound, QStringLiteral("/tmp/watch.wav"));
    }

    // An expression the search could not evaluate: the search's message, nothing stored, the
    // dialog stays open; once corrected, OK goes through.
    void refusesWhatTheSearchCannotEvaluate_data() {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("message");
        QTest::newRow("brackets") << "(7203|トヨタ"
                                  << "左右の括弧数が合っていないので計算不能です。\r\n(T|T";
        QTest::newRow("end") << "7203|"
                             << "式の両端に論理演算子があるので計算不能です。\r\nT|";
    }
    void refusesWhatTheSearchCannotEvaluate() {
        QFETCH(QString, expression);
        int saves = 0;
        FormOption form(*session_);
        form.SaveAll = [&] { ++saves; };
        form.show();
        WatchOptions& page = *form.WatchPage();
        page.TextWatchWord()->setText(expression);
        page.CheckSoundOnlyWatch()->setChecked(true);
        form.CommandOK_Click();
        QCOMPARE(prompt_.boxes.size(), 1);
        QTEST(prompt_.boxes.first().text, "message");
        QCOMPARE(prompt_.boxes.first().title, QStringLiteral("Math/Compare()"));
        QCOMPARE(prompt_.boxes.first().icon, Ports::MsgIcon::Critical);
        QCOMPARE(saves, 0);
        QVERIFY(form.isVisible());
        QCOMPARE(session_->settings.WatchWord, QStringLiteral("7203"));
        QVERIFY(!session_->settings.SoundOnlyWatch);

        page.TextWatchWord()->setText(QStringLiteral("7203|トヨタ"));
        form.CommandOK_Click();
        QCOMPARE(saves, 1);
        QCOMPARE(session_->settings.WatchWord, QStringLiteral("7203|トヨタ"));
    }
};

QTEST_MAIN(TestWatchOptions)
#include "tst_watchoptions.moc"
