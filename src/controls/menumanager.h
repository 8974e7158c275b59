#pragma once
// The process-wide keeper of the menu painters: it watches the application's events to give the
// popups of painted menus their flat border and shadow, and extends the active painter to the
// forms that have no painter of their own.
#include <QList>
#include <QObject>
#include <QPointer>

class QMenu;
class QWidget;

namespace controls {

class TXPMenu;

class TXPMenuManager : public QObject {
    Q_OBJECT
public:
    // The one manager, or none.
    static TXPMenuManager* instance();
    // The one manager, created (and hooked into the application) when there is none yet.
    static TXPMenuManager* ensure();

    void registerMenu(TXPMenu* painter);
    // Frees the manager with the last painter.
    void unregisterMenu(TXPMenu* painter);
    // A form came or went (removed forms leave both lists).
    void componentNotification(QWidget* form, bool inserted);
    void disableSubclassingChanged(TXPMenu* painter);

    TXPMenu* activePainter() const { return active_; }
    QList<TXPMenu*> menus() const;
    QList<QWidget*> hookedForms() const;
    QList<QWidget*> pendingForms() const;
    bool suspended() const { return suspended_; }

    // The flat border of a popup drawn by a painter: the popup's region leaves the two shadow
    // corners out; hiding it gives the region back.
    void drawPopupBorder(QMenu* popup);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TXPMenuManager();
    ~TXPMenuManager() override;
    void HookMainWindow();
    void UnhookMainWindow();
    void queueScreenForms();
    void handlePending();
    void switchActive(TXPMenu* leaving);
    void popupHidden(QMenu* popup);
    void formGone();
    TXPMenu* painterOf(const QWidget* menu) const;

    QList<QPointer<TXPMenu>> menus_;
    QList<QPointer<QWidget>> hooked_;
    QList<QPointer<QWidget>> pending_;
    QPointer<TXPMenu> active_;
    bool suspended_ = false;
    bool hooked_app_ = false;
    bool handling_ = false;
    bool drawingBorder_ = false;
};

} // namespace controls
