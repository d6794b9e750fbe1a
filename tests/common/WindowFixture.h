#pragma once
// A main window on its own empty data folder, with the outside world recorded: message boxes,
// the addresses it opens, no menus popping up. For widget tests only.

#include "RecordingPorts.h"
#include "app/AppData.h"
#include "app/SettingsState.h"
#include "text/Common.h"
#include "ui/FormMain.h"

#include <QStringList>
#include <QTemporaryDir>
#include <memory>

struct WindowFixture {
    QTemporaryDir dir;
    RecordingPrompt prompt;
    QStringList opened;
    std::unique_ptr<FormMain> form;

    explicit WindowFixture(Common::PauseHook pause) {
        Common::SetAppDataFolder(dir.path());
        Common::SetPauseHook(pause);
        Program::Settings() = Program::SettingsState();
        form = std::make_unique<FormMain>();
        Ports::SetPrompt(&prompt);
        form->OpenAddressStep = [this](const QString& url, bool) { return Open(url); };
        form->ShowHelpStep = [this](const QString& url) { return Open(url); };
        form->PopupMenuStep = [](QMenu*, const QPoint&) {};
    }
    ~WindowFixture() {
        form.reset();
        Ports::SetPrompt(nullptr);
        Common::SetPauseHook(nullptr);
    }
    bool Open(const QString& url) {
        opened << url;
        return true;
    }
};
