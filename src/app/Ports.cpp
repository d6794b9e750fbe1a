#include "app/Ports.h"

#include "app/Trace.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <cstdio>
#include <cstdlib>

namespace Ports {

namespace {
template <typename Map, typename Key, typename Value>
Value Lookup(const Map& map, Key key, Value fallback) {
    const auto it = map.find(key);
    return it == map.end() ? fallback : it->second;
}
} // namespace

void HeadlessMainWindow::SetPanelText(App::Panel panel, const QString& text) {
    panels_[panel].text = text;
}
QString HeadlessMainWindow::PanelText(App::Panel panel) const {
    return Lookup(panels_, panel, Panel{}).text;
}
void HeadlessMainWindow::SetPanelTip(App::Panel panel, const QString& tip) {
    panels_[panel].tip = tip;
}
QString HeadlessMainWindow::PanelTip(App::Panel panel) const {
    return Lookup(panels_, panel, Panel{}).tip;
}
void HeadlessMainWindow::SetPanelPicture(App::Panel panel, const QString& imageKey) {
    panels_[panel].picture = imageKey;
}
QString HeadlessMainWindow::PanelPicture(App::Panel panel) const {
    return Lookup(panels_, panel, Panel{}).picture;
}
void HeadlessMainWindow::SetPanelEnabled(App::Panel panel, bool enabled) {
    panels_[panel].enabled = enabled;
}
bool HeadlessMainWindow::PanelEnabled(App::Panel panel) const {
    return Lookup(panels_, panel, Panel{}).enabled;
}
void HeadlessMainWindow::SetButtonPressed(App::Command command, bool pressed) {
    pressed_[command] = pressed;
}
bool HeadlessMainWindow::ButtonPressed(App::Command command) const {
    return Lookup(pressed_, command, false);
}
void HeadlessMainWindow::SetButtonEnabled(App::Command command, bool enabled) {
    enabled_[command] = enabled;
}
bool HeadlessMainWindow::ButtonEnabled(App::Command command) const {
    return Lookup(enabled_, command, true);
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
Common::TraceLog& defaultTrace() {
    static Common::TraceLog t;
    return t;
}
SystemRandom& defaultRandom() {
    static SystemRandom r;
    return r;
}

MainWindowPort* g_window = nullptr;
PromptPort* g_prompt = nullptr;
ClockPort* g_clock = nullptr;
RandomPort* g_random = nullptr;
TracePort* g_trace = nullptr;

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

void SetTrace(TracePort* port) {
    g_trace = port;
}
TracePort& Trace() {
    return g_trace ? *g_trace : defaultTrace();
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
