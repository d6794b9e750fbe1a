#include "ui/FormMain.h"

#include <QApplication>
#include <QIcon>
#include <unistd.h>

int main(int argc, char* argv[]) {
    // The embedded browser shares its GL context with the window, and its sandbox cannot run
    // for root (a container, a test machine): there it goes without.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tickerwisp"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tickerwisp.svg")));
    FormMain form;
    form.show();
    return app.exec();
}
