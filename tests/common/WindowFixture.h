#pragma once
// A main window on its own empty data folder, with the outside world recorded: message boxes,
// the addresses it opens, no menus popping up. For widget tests only.

#include "RecordingPorts.h"
#include "app/AppData.h"
#include "app/SettingsState.h"
#include "present/Session.h"
#include "text/Common.h"
#include "ui/FormMain.h"

#include <QStringList>
#include <QTemporaryDir>
#include <memory>

struct WindowFixture {
    QTemporaryDir dir;
    RecordingPrompt prompt;
    QStringList opened;
    // What main() makes for the window: a fresh program's settings, store, table and patrol.
    std::unique_ptr<Program::Session> session;
    std::unique_ptr<FormMain> form;

    explicit WindowFixture(Common::PauseHook pause) {
        Common::SetAppDataFolder(dir.path());
        Common::SetPauseHook(pause);
        session = std::make_unique<Program::Session>();
        form = std::make_unique<FormMain>(*session, false);
        // A first start is given the starter feeds; no test's request leaves the machine.
        session->settings.Feeds.clear();
        Ports::SetPrompt(&prompt);
        form->OpenAddressStep = [this](const QString& url, bool) { return Open(url); };
        form->ShowHelpStep = [this](const QString& url) { return Open(url); };
        form->PopupMenuStep = [](QMenu*, const QPoint&) {};
    }
    ~WindowFixture() {
        form.reset();
        session.reset();
        Ports::SetPrompt(nullptr);
        Common::SetPauseHook(nullptr);
    }
    bool Open(const QString& url) {
        opened << url;
        return true;
    }
};
