#pragma once
// The options dialog's page for the watch list and the notifications.

#include <QString>
#include <QWidget>
#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;
namespace Program {
struct SettingsState;
}

class WatchOptions : public QWidget {
    Q_OBJECT
public:
    explicit WatchOptions(QWidget* parent = nullptr);

    void Load(const Program::SettingsState& s);
    bool Differs(const Program::SettingsState& s) const;
    void Store(Program::SettingsState& s) const;
    // Why the watch expression cannot be taken (the search's message and the pattern), "".
    QString Problem() const;

    // An existing sound file, "" when cancelled.
    std::function<QString()> ChooseSound;

    QLineEdit* TextWatchWord() const { return word_; }
    QCheckBox* CheckNotifyAll() const { return notifyAll_; }
    QCheckBox* CheckRaiseOnlyWatch() const { return raiseOnly_; }
    QCheckBox* CheckSoundOnlyWatch() const { return soundOnly_; }
    QLineEdit* TextWatchSound() const { return sound_; }
    QPushButton* CommandWatchSound() const { return chooseSound_; }

signals:
    // Something the user can change was changed.
    void Edited();

private:
    QLineEdit* word_ = nullptr;
    QCheckBox *notifyAll_ = nullptr, *raiseOnly_ = nullptr, *soundOnly_ = nullptr;
    QLineEdit* sound_ = nullptr;
    QPushButton* chooseSound_ = nullptr;
};
