#pragma once
// The main window's status bar with panels found by key, each with a picture, a text, a tip and
// an enabled state, and a click that reports the panel's key.

#include <QHash>
#include <QStatusBar>
#include <QString>

class ImageRegistry;
class QLabel;

class StatusPanels : public QStatusBar {
    Q_OBJECT
public:
    // images may be nullptr: pictures are then remembered by key but not drawn.
    explicit StatusPanels(const ImageRegistry* images, QWidget* parent = nullptr);

    // Adds a panel at the right end; a stretching panel takes the free width.
    void AddPanel(const QString& key, bool stretch = false, int minimumWidth = 0);
    // "メッセージ" (stretching), "新着" (picture and tip), "ビジー：ネット" (picture and text).
    void AddStandardPanels();
    bool HasPanel(const QString& key) const { return panels_.contains(key); }
    QStringList PanelKeys() const { return order_; }

    void setText(const QString& key, const QString& text);
    QString text(const QString& key) const;
    void setTip(const QString& key, const QString& tip);
    QString tip(const QString& key) const;
    // An empty key or one the registry does not know clears the picture.
    void setPicture(const QString& key, const QString& imageKey);
    QString picture(const QString& key) const;
    void setPanelEnabled(const QString& key, bool enabled);
    bool panelEnabled(const QString& key) const;
    QWidget* panelWidget(const QString& key) const;

signals:
    void clicked(const QString& key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Panel {
        QWidget* frame = nullptr;
        QLabel* picture = nullptr;
        QLabel* text = nullptr;
        QString pictureKey;
    };
    const Panel* Find(const QString& key) const;

    const ImageRegistry* images_;
    QHash<QString, Panel> panels_;
    QStringList order_;
};
