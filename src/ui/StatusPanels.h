#pragma once
// A window's status bar with panels, each with a picture, a text, a tip and an enabled state,
// and a click that reports the panel.

#include "app/Commands.h"

#include <QList>
#include <QStatusBar>
#include <QString>
#include <map>

class ImageRegistry;
class QLabel;

class StatusPanels : public QStatusBar {
    Q_OBJECT
public:
    // images may be nullptr: pictures are then remembered by key but not drawn.
    explicit StatusPanels(const ImageRegistry* images, QWidget* parent = nullptr);

    // Adds a panel at the right end; a stretching panel takes the free width.
    void AddPanel(App::Panel panel, bool stretch = false, int minimumWidth = 0);
    // The main window's: Message (stretching), New (picture and tip), Net (picture and text).
    void AddStandardPanels();
    bool HasPanel(App::Panel panel) const { return panels_.count(panel) > 0; }
    QList<App::Panel> Panels() const { return order_; }

    void setText(App::Panel panel, const QString& text);
    QString text(App::Panel panel) const;
    void setTip(App::Panel panel, const QString& tip);
    QString tip(App::Panel panel) const;
    // An empty key or one the registry does not know clears the picture.
    void setPicture(App::Panel panel, const QString& imageKey);
    QString picture(App::Panel panel) const;
    void setPanelEnabled(App::Panel panel, bool enabled);
    bool panelEnabled(App::Panel panel) const;
    QWidget* panelWidget(App::Panel panel) const;

signals:
    void clicked(App::Panel panel);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Panel {
        QWidget* frame = nullptr;
        QLabel* picture = nullptr;
        QLabel* text = nullptr;
        QString pictureKey;
    };
    const Panel* Find(App::Panel panel) const;

    const ImageRegistry* images_;
    std::map<App::Panel, Panel> panels_;
    QList<App::Panel> order_;
};
