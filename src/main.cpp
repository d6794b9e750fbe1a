#include "app/AppData.h"
#include "app/Defaults.h"
#include "app/SingleInstance.h"
#include "present/Session.h"
#include "ui/ArticleViewer.h"
#include "ui/FormMain.h"
#include "ui/QtJapanese.h"
#include "ui/WindowPorts.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QMessageBox>
#include <unistd.h>

int main(int argc, char* argv[]) {
    // The embedded browser shares its GL context with the window, and its sandbox cannot run
    // for root (a container, a test machine): there it goes without.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // The name the desktop and the accessibility bus know the program by; set before anything
    // can ask for it.
    QCoreApplication::setApplicationName(QStringLiteral("Tickerwisp"));
    QApplication app(argc, argv);
    // Closing the viewer while the main window sits in the tray must not end the program: only
    // the main window's close does, after it has saved.
    QApplication::setQuitOnLastWindowClosed(false);
    // Ties the window to the installed launcher entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.tickerwisp.Tickerwisp"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tickerwisp.svg")));
    // The dialogs Qt draws speak Japanese too, where the system has the translation.
    QtJapanese::Install(app);

    // One program per data folder, settled before anything reads or writes there: a second
    // start only asks the running one to come to the front.
    const QString folder = Common::AppDataFolder();
    Program::SingleInstance instance(folder);
    switch (instance.Start()) {
    case Program::SingleInstance::Outcome::Primary:
        break;
    case Program::SingleInstance::Outcome::Forwarded:
        return 0;
    case Program::SingleInstance::Outcome::NoAnswer:
        QMessageBox::warning(
            nullptr, QStringLiteral("Tickerwisp"),
            QStringLiteral("Tickerwisp は既に起動しています。\n\n"
                           "起動中のウィンドウを前面に出せませんでした。タスクバーか通知領域から"
                           "開いてください。\n応答がないときは、起動中の Tickerwisp "
                           "を終了してから起動し直してください。"));
        return 1;
    case Program::SingleInstance::Outcome::NoLock:
        QMessageBox::critical(nullptr, QStringLiteral("Tickerwisp"),
                              QStringLiteral("データフォルダ %1 にロックファイルを作れないため、"
                                             "Tickerwisp を起動できません。\n\n"
                                             "フォルダに書き込めるかどうかを確かめてください。")
                                  .arg(QDir::toNativeSeparators(folder)));
        return 1;
    }

    // A fresh data folder gets the word lists that shape the headline titles.
    Program::InstallDefaultWordLists(BundledFolder(QStringLiteral("NewsWord")),
                                     folder + QStringLiteral("/NewsWord"));

    // The program's state lives here, for as long as the window that works on it.
    Program::Session session;
    FormMain form(session);
    QObject::connect(&form, &FormMain::Unloaded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    QObject::connect(&instance, &Program::SingleInstance::ActivationRequested, &form, [&form] {
        // The same way back as from the tray, then to the front.
        form.Tray_DblClick();
        form.WindowPorts()->BringToFront();
    });
    form.show();
    return app.exec();
}
