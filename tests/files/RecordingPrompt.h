#pragma once
#include "app/Ports.h"

#include <QList>
#include <QString>

// Records every box it is asked to show and answers with a preset answer.
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
    int endCalls = 0;

    Ports::MsgAnswer MessageBox(const QString& text, const QString& title, Ports::MsgIcon icon,
                                Ports::MsgButtons buttons) override {
        boxes.append({text, icon, buttons, title});
        return answer;
    }
    std::optional<QString> InputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    void EndProgram() override { ++endCalls; }
};
