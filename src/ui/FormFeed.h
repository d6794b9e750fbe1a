#pragma once
// The small dialog that adds or edits one feed of the options dialog's list: a name and an
// address. OK checks the entry first and keeps the dialog open with a message when it is refused.

#include "app/SettingsState.h"

#include <QDialog>
#include <functional>

class QLineEdit;

class FormFeed : public QDialog {
    Q_OBJECT
public:
    // `problem` returns why an entry cannot be taken, "" when it can.
    FormFeed(const QString& title, const Program::FeedSource& feed,
             std::function<QString(const Program::FeedSource&)> problem, QWidget* parent = nullptr);

    // The entry as typed: blanks trimmed, the address standing in for a missing name; the
    // enabled switch is the one the dialog was given.
    Program::FeedSource Feed() const;
    void CommandOK_Click();

    QLineEdit* TextName() const { return textName_; }
    QLineEdit* TextUrl() const { return textUrl_; }

private:
    Program::FeedSource feed_;
    std::function<QString(const Program::FeedSource&)> problem_;
    QLineEdit* textName_ = nullptr;
    QLineEdit* textUrl_ = nullptr;
};
