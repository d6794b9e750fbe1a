#pragma once
// Opening an article: in the user's external browser when one is set, otherwise in the viewer
// window placed beside or below the main window. The viewer is made when first needed, kept
// between articles and made again after the user closed it.

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>

class FormView;
class QWidget;
class clsWEB;
namespace Program {
struct SettingsState;
}

class ArticleViewer : public QObject {
    Q_OBJECT
public:
    // mainWindow: the window the viewer is placed against and the owner of launch errors.
    // viewerWeb is bound to the viewer's browser while the viewer exists.
    ArticleViewer(QWidget* mainWindow, const Program::SettingsState& settings, clsWEB& viewerWeb,
                  QObject* parent = nullptr);
    ~ArticleViewer() override;

    // False when the address was not opened; message then holds the status text for the main
    // window's message panel (empty when the launch routine has already told the user).
    bool OpenArticle(const QString& url, QString* message = nullptr);
    // Always the viewer, whatever the external browser setting (the help page): navigates and
    // places it by viewerPosition.
    bool ShowInViewer(const QString& url, int viewerPosition, QString* message = nullptr);

    // The viewer window, or nullptr while there is none.
    FormView* View() const;
    void SetCaption(const QString& caption);
    // The interface font for viewers made from now on; empty keeps the designed fonts.
    void SetUiFontName(const QString& name) { uiFontName_ = name; }
    // Unloads the viewer (the main window does this when it closes).
    void CloseViewer();

    static bool IsViewerAddress(const QString& url);

signals:
    // A viewer window was made (its browser is bound to the viewer's web object).
    void viewerCreated(FormView* view);

private:
    FormView* EnsureView();

    QWidget* main_;
    const Program::SettingsState& settings_;
    clsWEB& viewerWeb_;
    QPointer<FormView> view_;
    QString uiFontName_;
};

// Where the viewer goes: the main window's frame size, to its right (position 1 and any value
// but 0) or below it (0), moved and cut so that it lies within screen. Sizes are kept within the
// viewer's limits (512 x 240 up to the screen).
QRect ViewerGeometry(QRect mainFrame, int viewerPosition, QRect screen);

// A folder of files that ship with the program: installed beside it
// (<bin>/../share/tickerwisp/<name>), else the source tree's resources/<name> when built with
// TW_SOURCE_DIR; "" when neither exists.
QString BundledFolder(const QString& name);
// The bundled site pages.
inline QString BundledSiteFolder() {
    return BundledFolder(QStringLiteral("site"));
}
// A page of the bundled site, given as a file address.
bool IsBundledPage(const QString& url);
