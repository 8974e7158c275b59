#pragma once
// The process-wide keeper of the menu painters: it watches the application's events to give the
// popups of painted menus their flat border and shadow, and extends the active painter to the
// forms that have no painter of their own.
#include "menupainter.h"

#include <QList>
#include <optional>
#include <QObject>
#include <QPointer>
#include <QWidget>

class QMenu;

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

namespace controls {

// The kinds of standard control the painter can restyle.
enum class ControlKind { None, Combo, Edit, MaskEdit, Memo, CheckBox, RadioButton, Button, BitButton, SpeedButton,
                         UpDown, Panel, GroupBox, ListBox, TreeView, ProgressBar,
                         ToolButton, ToolSeparator /* the buttons and separators of a tool bar */ };
ControlKind controlKindOf(const QWidget* control);
// The container kind of a widget that holds controls, if it is one.
std::optional<TXPContainer> containerKindOf(const QWidget* widget);
// The flag of XPControls that names a kind (xcHotKey, never recognised, for none).
TXPControl controlFlagOf(ControlKind kind);
class TControlSubClass;
// The hook on a control, if it has one.
TControlSubClass* hookOf(const QWidget* control);

// A standard control repainted flat by a painter: the control draws itself first, then the hook
// draws its frame, box or face over it in the painter's colours. It keeps what it changed of the
// control and gives it back when removed or when its painter goes.
class TControlSubClass : public QObject {
    Q_OBJECT
public:
    TControlSubClass(QWidget* control, TXPMenu* painter, ControlKind kind);
    ~TControlSubClass() override;

    QWidget* control() const { return control_; }
    TXPMenu* painter() const { return painter_; }
    // Hands the hook to another painter, keeping the saved styles.
    void setPainter(TXPMenu* painter);
    // Puts the control back as it was.
    void restore();

    bool mouseInside() const { return mouseInside_; }
    bool buttonDown() const { return buttonDown_; }
    bool spaceDown() const { return spaceDown_; }

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void paintOver();
    void paintToolButton(QPainter& p);
    QColor hotColor() const;

    QPointer<QWidget> control_;
    QPointer<TXPMenu> painter_;
    ControlKind kind_;
    bool savedFrame_ = true;   // an edit's frame
    int savedFrameShape_ = -1; // a list's or panel's frame shape
    bool mouseInside_ = false;
    bool buttonDown_ = false;
    bool spaceDown_ = false;
    bool painting_ = false;
    bool restored_ = false;
};

} // namespace controls
