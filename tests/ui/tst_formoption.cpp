#include "RecordingPorts.h"

#include "app/AppData.h"
#include "app/SettingsState.h"
#include "present/Session.h"
#include "ui/FormOption.h"
#include "web/clsWEB.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

class TestFormOption : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    RecordingPrompt prompt_;
    std::unique_ptr<Program::Session> session_;

    static bool ApplyEnabled(FormOption& form) {
        return form.findChild<QPushButton*>("CommandApply")->isEnabled();
    }

private slots:
    void initTestCase() {
        Common::SetAppDataFolder(dir_.path());
        Ports::SetPrompt(&prompt_);
    }
    void init() {
        session_ = std::make_unique<Program::Session>();
        session_->settings.SearchWords[12] = "ＮＴＴ";
        prompt_.boxes.clear();
    }

    // Every box, check, option and the font, changed and changed back.
    void applyFollowsChanges() {
        FormOption form(*session_);
        QVERIFY(!ApplyEnabled(form));
        QList<std::function<void(bool)>> changes;
        for (QLineEdit* box : form.findChildren<QLineEdit*>()) {
            const QString old = box->text();
            changes << [=](bool on) { box->setText(on ? old + "x" : old); };
        }
        for (QCheckBox* check : form.findChildren<QCheckBox*>())
            changes << [=](bool) { check->toggle(); };
        changes << [&](bool on) { form.OptionViewerPosition(on ? 0 : 1)->click(); };
        const QFont old = form.SampleFont();
        changes << [&, old](bool on) {
            form.ChooseFont = [=](const QFont&) { return on ? QFont(old.family(), 12) : old; };
            form.CommandFont_Click();
        };
        QCOMPARE(changes.size(), 13 + 4 + 5 + 2);
        for (int i = 0; i < changes.size(); ++i) {
            changes[i](true);
            QVERIFY2(ApplyEnabled(form), qPrintable(QString::number(i)));
            changes[i](false);
            QVERIFY2(!ApplyEnabled(form), qPrintable(QString::number(i)));
        }
    }

    void storeAndReload_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("stored");
        QTest::newRow("OK") << "CommandOK" << true;
        QTest::newRow("reload") << "CommandNewsReload" << true;
        QTest::newRow("cancel") << "CommandCancel" << false;
    }
    void storeAndReload() {
        QFETCH(QString, command);
        QFETCH(bool, stored);
        int saves = 0;
        bool reloadRequested = false;
        {
            FormOption form(*session_);
            form.SaveAll = [&] { ++saves; };
            form.findChild<QLineEdit*>("TextBrowser")->setText("/usr/bin/browser");
            form.findChild<QLineEdit*>("TextSound")->setText("/tmp/a.wav");
            for (const char* check : {"CheckVIP", "CheckDontForward", "CheckQuickStart",
                                      "CheckFromTray", "CheckProxyUse"})
                form.findChild<QCheckBox*>(check)->toggle();
            form.OptionViewerPosition(0)->click();
            form.ChooseFont = [](const QFont&) { return QFont("Noto Sans", 11, -1, true); };
            form.CommandFont_Click();
            form.TextWord(3)->setText("日銀|金利");
            form.findChild<QLineEdit*>("TextProxyAdrs")->setText(" proxy.example ");
            form.findChild<QLineEdit*>("TextProxyPort")->setText("8080");
            form.findChild<QPushButton*>(command)->click();
            QCOMPARE(form.result(), int(stored ? QDialog::Accepted : QDialog::Rejected));
            reloadRequested = form.ReloadRequested();
        }
        QCOMPARE(saves, stored ? 1 : 0);
        QCOMPARE(reloadRequested, command == "CommandNewsReload");
        QCOMPARE(prompt_.boxes.size(), stored ? 1 : 0);
        QCOMPARE(session_->pageWeb.Proxy, stored ? "proxy.example:8080" : "");
        QCOMPARE(session_->viewerWeb.Proxy, session_->pageWeb.Proxy);

        QCOMPARE(session_->settings.ViewerPosition, qint16(stored ? 0 : 1));

        // A fresh dialog shows what was stored and has nothing to apply.
        FormOption again(*session_);
        QVERIFY(!ApplyEnabled(again));
        const QString sheet = again.DiagnosticSheet() + "\r\n";
        for (const char* line :
             {"ブラウザ：/usr/bin/browser", "アラート：/tmp/a.wav", "YahooVIP：×", "新着前面：○",
              "起動ＯＮ：○", "新着出す：○", "フォント：Noto Sans", "  Size　：11", "  Italic：○",
              "プロキシ：○", "　Adrs　：proxy.example", "　Port　：8080", "定型文４：日銀|金利"})
            QVERIFY2(sheet.contains("\r\n" + QString(line) + "\r\n") == stored, line);
        QVERIFY(sheet.endsWith("\r\n定型文Ｅ：ＮＴＴ\r\n"));
    }
};

QTEST_MAIN(TestFormOption)
#include "tst_formoption.moc"
