#include "../files/RecordingPrompt.h"

#include "app/AppData.h"
#include "app/SettingsState.h"
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

    static bool ApplyEnabled(FormOption& form) {
        return form.findChild<QPushButton*>("CommandApply")->isEnabled();
    }

private slots:
    void initTestCase() {
        Common::SetAppDataFolder(dir_.path());
        Ports::SetPrompt(&prompt_);
    }
    void init() {
        Program::Settings() = Program::SettingsState();
        Program::Settings().SearchWords[12] = "ＮＴＴ";
        Program::ReloadRequested = false;
        Program::PageWeb().Proxy.clear();
        Program::ViewerWeb().Proxy.clear();
        prompt_.boxes.clear();
    }

    void changeAndBack_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("index");
        for (const char* name :
             {"TextBrowser", "TextSound", "TextProxyAdrs", "TextProxyPort", "CheckVIP",
              "CheckDontForward", "CheckQuickStart", "CheckFromTray", "CheckProxyUse", "LabelFont"})
            QTest::newRow(name) << name << 0;
        QTest::newRow("first word") << "TextWord" << 0;
        QTest::newRow("last word") << "TextWord" << 12;
        QTest::newRow("viewer below") << "OptionViewerPosition" << 0;
    }
    void changeAndBack() {
        QFETCH(QString, name);
        QFETCH(int, index);
        FormOption form;
        QVERIFY(!ApplyEnabled(form));
        std::function<void(bool)> change;
        if (name == "TextWord" || name.startsWith("Text")) {
            QLineEdit* box =
                name == "TextWord" ? form.TextWord(index) : form.findChild<QLineEdit*>(name);
            const QString old = box->text();
            change = [=](bool on) { box->setText(on ? old + "x" : old); };
        } else if (name.startsWith("Check")) {
            auto* check = form.findChild<QCheckBox*>(name);
            change = [=](bool) { check->toggle(); };
        } else if (name == "LabelFont") {
            const QFont old = form.SampleFont();
            change = [&form, old](bool on) {
                form.ChooseFont = [=](const QFont& f) {
                    QFont bigger = f;
                    bigger.setPointSizeF(12.5);
                    return on ? bigger : old;
                };
                form.CommandFont_Click();
            };
        } else {
            change = [&form, index](bool on) {
                form.OptionViewerPosition(on ? index : 1)->click();
            };
        }
        change(true);
        QVERIFY(ApplyEnabled(form));
        change(false);
        QVERIFY(!ApplyEnabled(form));
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
        {
            FormOption form;
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
        }
        QCOMPARE(saves, stored ? 1 : 0);
        QCOMPARE(Program::ReloadRequested, command == "CommandNewsReload");
        QCOMPARE(prompt_.boxes.size(), stored ? 1 : 0);
        QCOMPARE(Program::PageWeb().Proxy, stored ? "proxy.example:8080" : "");
        QCOMPARE(Program::ViewerWeb().Proxy, Program::PageWeb().Proxy);

        const Program::SettingsState& s = Program::Settings();
        const Program::SettingsState defaults;
        QCOMPARE(s.BrowserPath, stored ? "/usr/bin/browser" : "");
        QCOMPARE(s.DispVip, !stored);
        QCOMPARE(s.DontForward || s.QuickStart || s.FromTray || s.ProxyUse, stored);
        QCOMPARE(s.ViewerPosition, qint16(stored ? 0 : 1));
        QCOMPARE(s.FontName, stored ? "Noto Sans" : defaults.FontName);
        QCOMPARE(s.FontItalic, stored);
        QCOMPARE(s.SearchWords[3], stored ? "日銀|金利" : "");
        QCOMPARE(s.ProxyAddress, stored ? "proxy.example" : "");

        // A fresh dialog shows what was stored and has nothing to apply.
        FormOption again;
        QVERIFY(!ApplyEnabled(again));
        QCOMPARE(again.TextWord(12)->text(), "ＮＴＴ");
        QCOMPARE(again.SampleFont().pointSizeF(), stored ? 11.0 : 9.0);
        const QStringList sheet = again.DiagnosticSheet().split("\r\n");
        QVERIFY(sheet.contains(stored ? "新着前面：○" : "新着前面：×"));
        QVERIFY(sheet.contains(stored ? "　Adrs　：proxy.example" : "　Adrs　："));
        QCOMPARE(sheet.last(), "定型文Ｅ：ＮＴＴ");
    }
};

QTEST_MAIN(TestFormOption)
#include "tst_formoption.moc"
