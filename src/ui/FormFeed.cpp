#include "ui/FormFeed.h"

#include "app/Ports.h"
#include "ui/Accessibility.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit* NewText(const QString& name, const QString& text) {
    auto* box = new QLineEdit(text);
    box->setObjectName(name);
    Accessibility::Name(box, name);
    return box;
}

QPushButton* NewCommand(const QString& name) {
    auto* command = new QPushButton(Accessibility::Of(name).text);
    command->setObjectName(name);
    Accessibility::Name(command, name);
    return command;
}

} // namespace

FormFeed::FormFeed(const QString& title, const Program::FeedSource& feed,
                   std::function<QString(const Program::FeedSource&)> problem, QWidget* parent)
    : QDialog(parent), feed_(feed), problem_(std::move(problem)) {
    setObjectName(QStringLiteral("FormFeed"));
    setWindowTitle(title);
    setModal(true);

    textName_ = NewText(QStringLiteral("TextFeedName"), feed.Name);
    textUrl_ = NewText(QStringLiteral("TextFeedUrl"), feed.Url);
    textUrl_->setMinimumWidth(textUrl_->fontMetrics().averageCharWidth() * 48);
    auto* form = new QFormLayout;
    auto* labelName = new QLabel(QStringLiteral("名前(&N)"));
    labelName->setBuddy(textName_);
    form->addRow(labelName, textName_);
    auto* labelUrl = new QLabel(QStringLiteral("アドレス(&A)"));
    labelUrl->setBuddy(textUrl_);
    form->addRow(labelUrl, textUrl_);

    auto* ok = NewCommand(QStringLiteral("CommandFeedOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &FormFeed::CommandOK_Click);
    auto* cancel = NewCommand(QStringLiteral("CommandFeedCancel"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    // An existing feed is usually edited for its address, a new one is named last.
    (feed.Url.isEmpty() ? textUrl_ : textName_)->setFocus();
}

Program::FeedSource FormFeed::Feed() const {
    Program::FeedSource feed = feed_;
    feed.Url = textUrl_->text().trimmed();
    feed.Name = textName_->text().trimmed();
    if (feed.Name.isEmpty())
        feed.Name = feed.Url;
    return feed;
}

void FormFeed::CommandOK_Click() {
    const QString problem = problem_ ? problem_(Feed()) : QString();
    if (!problem.isEmpty()) {
        Ports::Prompt().MessageBox(problem, windowTitle(), Ports::MsgIcon::Exclamation,
                                   Ports::MsgButtons::Ok);
        textUrl_->setFocus();
        textUrl_->selectAll();
        return;
    }
    accept();
}
