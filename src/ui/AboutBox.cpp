#include "ui/AboutBox.h"

#include "app/Version.h"
#include "ui/Accessibility.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    // Titled as the entry that opens it.
    setWindowTitle(Accessibility::Of(App::MenuCommand::About).text);
    auto* picture = new QLabel(this);
    picture->setPixmap(QIcon(QStringLiteral(":/tickerwisp.svg")).pixmap(64, 64));
    picture->setAlignment(Qt::AlignTop);

    auto* name = new QLabel(QStringLiteral("<b>Tickerwisp</b> - Market NEWS Viewer"), this);
    auto* version = new QLabel(VersionLine(), this);
    auto* words =
        new QLabel(QStringLiteral("株式市場のニュース見出しを集めて一覧にします。\n"
                                  "巡回をオンにすると、約1分ごとに新着を確かめてお知らせします。\n"
                                  "見出しの著作権は各配信元に帰属します。"),
                   this);
    words->setWordWrap(true);

    auto* text = new QVBoxLayout;
    text->addWidget(name);
    text->addWidget(version);
    text->addSpacing(8);
    text->addWidget(words);
    text->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addWidget(picture);
    top->addSpacing(12);
    top->addLayout(text, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    setMinimumWidth(380);
}

QString AboutBox::VersionLine() const {
    return QStringLiteral("Ver.") + Program::VersionText();
}
