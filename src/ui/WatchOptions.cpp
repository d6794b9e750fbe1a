#include "ui/WatchOptions.h"

#include "app/SettingsState.h"
#include "present/Watch.h"
#include "ui/Accessibility.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

template <typename T> T* Named(T* widget, const QString& name) {
    widget->setObjectName(name);
    Accessibility::Name(widget, name);
    return widget;
}

} // namespace

WatchOptions::WatchOptions(QWidget* parent) : QWidget(parent) {
    auto* watchFrame = new QGroupBox(QStringLiteral("注目ワード"));
    watchFrame->setObjectName(QStringLiteral("FrameWatch"));
    word_ = Named(new QLineEdit, QStringLiteral("TextWatchWord"));
    auto* wordLabel = new QLabel(Accessibility::Of(QStringLiteral("LabelWatchWord")).text);
    wordLabel->setObjectName(QStringLiteral("LabelWatchWord"));
    wordLabel->setBuddy(word_);
    wordLabel->setWordWrap(true);
    raiseOnly_ = Named(new QCheckBox(Accessibility::Of(QStringLiteral("CheckRaiseOnlyWatch")).text),
                       QStringLiteral("CheckRaiseOnlyWatch"));
    soundOnly_ = Named(new QCheckBox(Accessibility::Of(QStringLiteral("CheckSoundOnlyWatch")).text),
                       QStringLiteral("CheckSoundOnlyWatch"));
    sound_ = Named(new QLineEdit, QStringLiteral("TextWatchSound"));
    chooseSound_ =
        Named(new QPushButton(Accessibility::Of(QStringLiteral("CommandWatchSound")).text),
              QStringLiteral("CommandWatchSound"));
    chooseSound_->setAutoDefault(false);
    auto* soundLabel = new QLabel(Accessibility::Of(QStringLiteral("LabelWatchSound")).text);
    soundLabel->setObjectName(QStringLiteral("LabelWatchSound"));
    soundLabel->setBuddy(sound_);

    auto* watchGrid = new QGridLayout(watchFrame);
    watchGrid->addWidget(wordLabel, 0, 0, 1, 2);
    watchGrid->addWidget(word_, 1, 0, 1, 2);
    watchGrid->addWidget(raiseOnly_, 2, 0, 1, 2);
    watchGrid->addWidget(soundOnly_, 3, 0, 1, 2);
    watchGrid->addWidget(soundLabel, 4, 0, 1, 2);
    watchGrid->addWidget(sound_, 5, 0);
    watchGrid->addWidget(chooseSound_, 5, 1);

    auto* noticeFrame = new QGroupBox(QStringLiteral("デスクトップ通知"));
    noticeFrame->setObjectName(QStringLiteral("FrameNotice"));
    notifyAll_ = Named(new QCheckBox(Accessibility::Of(QStringLiteral("CheckNotifyAll")).text),
                       QStringLiteral("CheckNotifyAll"));
    auto* noticeColumn = new QVBoxLayout(noticeFrame);
    noticeColumn->addWidget(notifyAll_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(watchFrame);
    layout->addWidget(noticeFrame);
    layout->addStretch();

    for (QLineEdit* box : {word_, sound_})
        connect(box, &QLineEdit::textChanged, this, &WatchOptions::Edited);
    for (QCheckBox* check : {notifyAll_, raiseOnly_, soundOnly_})
        connect(check, &QCheckBox::toggled, this, &WatchOptions::Edited);
    connect(chooseSound_, &QPushButton::clicked, this, [this] {
        if (!ChooseSound)
            return;
        const QString file = ChooseSound();
        if (!file.isEmpty())
            sound_->setText(file);
    });
}

void WatchOptions::Load(const Program::SettingsState& s) {
    word_->setText(s.WatchWord);
    notifyAll_->setChecked(s.NotifyAllNews);
    raiseOnly_->setChecked(s.RaiseOnlyWatch);
    soundOnly_->setChecked(s.SoundOnlyWatch);
    sound_->setText(s.WatchSound);
}

bool WatchOptions::Differs(const Program::SettingsState& s) const {
    return word_->text() != s.WatchWord || notifyAll_->isChecked() != s.NotifyAllNews ||
           raiseOnly_->isChecked() != s.RaiseOnlyWatch ||
           soundOnly_->isChecked() != s.SoundOnlyWatch || sound_->text() != s.WatchSound;
}

void WatchOptions::Store(Program::SettingsState& s) const {
    s.WatchWord = word_->text();
    s.NotifyAllNews = notifyAll_->isChecked();
    s.RaiseOnlyWatch = raiseOnly_->isChecked();
    s.SoundOnlyWatch = soundOnly_->isChecked();
    s.WatchSound = sound_->text();
}

QString WatchOptions::Problem() const {
    return Present::WatchProblem(word_->text());
}
