#include "ui/FormMain.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tickerwisp"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/tickerwisp.svg")));
    FormMain form;
    form.show();
    return app.exec();
}
