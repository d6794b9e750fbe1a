#pragma once
// The main window's icon in the desktop's notification area. The activation reasons of
// QSystemTrayIcon stand in for the mouse messages of the icon, and the icon blinks between the
// two new-headline pictures once a second.

#include <QIcon>
#include <QList>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>
#include <QTimer>

class QWidget;

class CTray : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxTipLength = 127;
    enum Button { LeftButton = 1, RightButton = 2, MiddleButton = 4 };

    explicit CTray(QObject* parent = nullptr);
    ~CTray() override;

    // False where the desktop has no notification area: the tray command minimises instead.
    static bool TrayAvailable();
    // The blink step: index 1 ("NEW_0") and 2 ("NEW_1") alternate, anything else stays.
    static int NextBlinkIndex(int index);

    // Shows the icon for window. False, and nothing shown, without a picture or without a tray.
    bool AddIcon(QWidget* window);
    void DeleteIcon();
    QWidget* Window() const { return window_; }

    // TrayIcons: index 0 "NORMAL", 1 "NEW_0", 2 "NEW_1".
    void SetIconTable(const QList<QIcon>& icons);
    QList<QIcon> IconTable() const { return table_; }
    // An index outside the table clears the picture.
    void SetIconIndex(int index);
    // -1 when the picture did not come from the table.
    int IconIndex() const { return index_; }
    QIcon Icon() const { return icon_; }
    void SetIcon(const QIcon& icon);

    QString ToolTipText() const { return tip_; }
    void SetToolTipText(const QString& text);

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);

    // The menu of a right click on the icon; the caller keeps it.
    void SetMenu(QMenu* menu);
    QMenu* Menu() const { return menu_; }

    // One tick of the blink timer.
    void BlinkTick();
    QTimer& BlinkTimer() { return blink_; }
    // The platform icon, for inspection; it exists for the object's whole life.
    QSystemTrayIcon& SystemIcon() { return tray_; }

public slots:
    void OnActivated(QSystemTrayIcon::ActivationReason reason);

signals:
    void Click();
    void DblClick();
    void MouseDown(int button);
    void MouseUp(int button);
    void MouseMove();

private:
    QSystemTrayIcon tray_;
    QTimer blink_;
    QPointer<QWidget> window_;
    QPointer<QMenu> menu_;
    QList<QIcon> table_;
    QIcon icon_;
    QString tip_;
    int index_ = -1;
    bool visible_ = false;
    // Set once a click has asked for the restore, so the double click that follows does not
    // ask again.
    bool restoreRaised_ = false;
};
