#pragma once
// Stand-ins for the outside world shared by the tests: a prompt that records every box and
// answers from presets, and a clock that stands still.

#include "app/Ports.h"

#include <QDateTime>
#include <QList>
#include <QStringList>

class RecordingPrompt : public Ports::PromptPort {
public:
    struct Box {
        QString text;
        Ports::MsgIcon icon;
        Ports::MsgButtons buttons;
        QString title;
    };
    QList<Box> boxes;
    Ports::MsgAnswer answer = Ports::MsgAnswer::Ok;
    QStringList inputPrompts;
    std::optional<QString> inputAnswer; // what every input box returns
    int endCalls = 0;

    Ports::MsgAnswer MessageBox(const QString& text, const QString& title, Ports::MsgIcon icon,
                                Ports::MsgButtons buttons) override {
        boxes.append({text, icon, buttons, title});
        return answer;
    }
    std::optional<QString> InputBox(const QString& prompt, const QString&,
                                    const QString&) override {
        inputPrompts.append(prompt);
        return inputAnswer;
    }
    void EndProgram() override { ++endCalls; }
};

class FixedClock : public Ports::ClockPort {
public:
    explicit FixedClock(QDateTime at = {}) : now(std::move(at)) {}
    QDateTime Now() const override { return now; }
    qint64 TickMs() const override { return 0; }
    QDateTime now;
};
