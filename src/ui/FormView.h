#pragma once
// The article viewer: one embedded browser above a status bar with the browser's status text and
// a busy lamp. Q closes it unless the page is taking typing; a freshly loaded page gets the
// keyboard focus.

#include <QTimer>
#include <QWidget>

#include <memory>

class ImageRegistry;
class StatusPanels;
class WebEngineBrowser;

class FormView : public QWidget {
    Q_OBJECT
public:
    static constexpr int MinimumWidth = 512;
    static constexpr int MinimumHeight = 240;
    static constexpr int FocusDelayMs = 100;

    // uiFontName: the interface font for the window's controls; empty keeps the designed fonts.
    explicit FormView(const QString& uiFontName = QString(), QWidget* parent = nullptr);
    ~FormView() override;

    WebEngineBrowser* WebMain() const { return webMain_; }
    StatusPanels* SBar() const { return sBar_; }
    bool PendingFocus() const { return pendingFocus_; }

    // The largest size: the screen the window is on (or would be on).
    void ApplySizeLimits();

signals:
    // After the top-level document's body was captured (the main window feeds ViewerWeb).
    void documentComplete();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void WebMain_DocumentComplete();
    void WebMain_KeyDown(int key);
    void TimerWeb_Timer();

    std::unique_ptr<ImageRegistry> images_;
    WebEngineBrowser* webMain_ = nullptr;
    StatusPanels* sBar_ = nullptr;
    QTimer timerWeb_;
    bool pendingFocus_ = false;
    bool closeAsked_ = false;
};
