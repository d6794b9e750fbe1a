#include "app/Ports.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <cstdio>
#include <cstdlib>

namespace Ports {

void HeadlessMainWindow::SetPanelText(const QString& key, const QString& text) {
    panels_[key].text = text;
}
QString HeadlessMainWindow::PanelText(const QString& key) const {
    return panels_.value(key).text;
}
void HeadlessMainWindow::SetPanelTip(const QString& key, const QString& tip) {
    panels_[key].tip = tip;
}
QString HeadlessMainWindow::PanelTip(const QString& key) const {
    return panels_.value(key).tip;
}
void HeadlessMainWindow::SetPanelPicture(const QString& key, const QString& imageKey) {
    panels_[key].picture = imageKey;
}
QString HeadlessMainWindow::PanelPicture(const QString& key) const {
    return panels_.value(key).picture;
}
void HeadlessMainWindow::SetPanelEnabled(const QString& key, bool enabled) {
    panels_[key].enabled = enabled;
}
bool HeadlessMainWindow::PanelEnabled(const QString& key) const {
    return panels_.value(key).enabled;
}
void HeadlessMainWindow::SetButtonPressed(const QString& key, bool pressed) {
    pressed_[key] = pressed;
}
bool HeadlessMainWindow::ButtonPressed(const QString& key) const {
    return pressed_.value(key, false);
}
void HeadlessMainWindow::SetButtonEnabled(const QString& key, bool enabled) {
    enabled_[key] = enabled;
}
bool HeadlessMainWindow::ButtonEnabled(const QString& key) const {
    return enabled_.value(key, true);
}

namespace {

// Without a window there is nobody to ask: answer OK, say it on stderr.
class StderrPrompt : public PromptPort {
public:
    MsgAnswer MessageBox(const QString& text, const QString& title, MsgIcon, MsgButtons) override {
        std::fprintf(stderr, "%s: %s\n", qUtf8Printable(title), qUtf8Printable(text));
        return MsgAnswer::Ok;
    }
    std::optional<QString> InputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    void EndProgram() override { std::exit(1); }
};

class SystemClock : public ClockPort {
public:
    SystemClock() { timer_.start(); }
    QDateTime Now() const override { return QDateTime::currentDateTime(); }
    qint64 TickMs() const override { return timer_.elapsed(); }

private:
    QElapsedTimer timer_;
};

// Time-seeded, as the program has always been.
class SystemRandom : public RandomPort {
public:
    SystemRandom() : gen_(static_cast<quint32>(QDateTime::currentMSecsSinceEpoch())) {}
    double Next() override { return gen_.generateDouble(); }

private:
    QRandomGenerator gen_;
};

HeadlessMainWindow& defaultWindow() {
    static HeadlessMainWindow w;
    return w;
}
StderrPrompt& defaultPrompt() {
    static StderrPrompt p;
    return p;
}
SystemClock& defaultClock() {
    static SystemClock c;
    return c;
}
SystemRandom& defaultRandom() {
    static SystemRandom r;
    return r;
}

MainWindowPort* g_window = nullptr;
PromptPort* g_prompt = nullptr;
ClockPort* g_clock = nullptr;
RandomPort* g_random = nullptr;

} // namespace

void SetMainWindow(MainWindowPort* port) {
    g_window = port;
}
void SetPrompt(PromptPort* port) {
    g_prompt = port;
}
void SetClock(ClockPort* port) {
    g_clock = port;
}
void SetRandom(RandomPort* port) {
    g_random = port;
}

MainWindowPort& MainWindow() {
    return g_window ? *g_window : defaultWindow();
}
PromptPort& Prompt() {
    return g_prompt ? *g_prompt : defaultPrompt();
}
ClockPort& Clock() {
    return g_clock ? *g_clock : defaultClock();
}
RandomPort& Random() {
    return g_random ? *g_random : defaultRandom();
}

} // namespace Ports
