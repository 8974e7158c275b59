#include "menumanager.h"

#include "menupainter.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QRegion>

namespace controls {

namespace {

TXPMenuManager* theManager = nullptr;

bool isForm(const QObject* o)
{
    return qobject_cast<const QMainWindow*>(o) || qobject_cast<const QDialog*>(o);
}

bool ownsPainter(const QWidget* form)
{
    return form && form->findChild<TXPMenu*>(QString(), Qt::FindDirectChildrenOnly) != nullptr;
}

template <typename T>
bool holds(const QList<QPointer<T>>& list, const T* item)
{
    for (const auto& p : list)
        if (p == item) return true;
    return false;
}

template <typename T>
void drop(QList<QPointer<T>>& list, const T* item)
{
    list.removeIf([item](const QPointer<T>& p) { return p.isNull() || p == item; });
}

// Whether a menu hangs below a form, across popup windows.
bool belongsTo(const QWidget* w, const QWidget* form)
{
    for (const QWidget* p = w ? w->parentWidget() : nullptr; p; p = p->parentWidget())
        if (p == form) return true;
    return false;
}

} // namespace

TXPMenuManager* TXPMenuManager::instance() { return theManager; }

TXPMenuManager* TXPMenuManager::ensure()
{
    if (!theManager && QCoreApplication::instance()) {
        theManager = new TXPMenuManager;
        theManager->HookMainWindow();
    }
    return theManager;
}

TXPMenuManager::TXPMenuManager() { setObjectName(QStringLiteral("XPMenuManager")); }

TXPMenuManager::~TXPMenuManager()
{
    UnhookMainWindow();
    if (theManager == this) theManager = nullptr;
}

void TXPMenuManager::HookMainWindow()
{
    if (hooked_app_ || !qApp) return;
    qApp->installEventFilter(this);
    hooked_app_ = true;
}

void TXPMenuManager::UnhookMainWindow()
{
    if (!hooked_app_) return;
    if (qApp) qApp->removeEventFilter(this);
    hooked_app_ = false;
}

QList<TXPMenu*> TXPMenuManager::menus() const
{
    QList<TXPMenu*> out;
    for (const auto& p : menus_)
        if (p) out.append(p);
    return out;
}

QList<QWidget*> TXPMenuManager::hookedForms() const
{
    QList<QWidget*> out;
    for (const auto& p : hooked_)
        if (p) out.append(p);
    return out;
}

QList<QWidget*> TXPMenuManager::pendingForms() const
{
    QList<QWidget*> out;
    for (const auto& p : pending_)
        if (p) out.append(p);
    return out;
}

void TXPMenuManager::queueScreenForms()
{
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows) {
        if (!isForm(w) || holds(hooked_, w) || holds(pending_, w)) continue;
        if (tagOf(w) == LeaveAloneTag || ownsPainter(w)) continue;
        pending_.append(w);
    }
}

void TXPMenuManager::registerMenu(TXPMenu* painter)
{
    if (!painter || holds(menus_, painter)) return;
    menus_.append(painter);
    if (QWidget* owner = painter->ownerForm(); owner && !holds(hooked_, owner)) hooked_.append(owner);
    if (!active_ && painter->Active() && !painter->DisableSubclassing()) {
        active_ = painter;
        queueScreenForms();
    }
}

void TXPMenuManager::unregisterMenu(TXPMenu* painter)
{
    if (active_ == painter) switchActive(painter);
    drop(menus_, painter);
    if (menus().isEmpty()) delete this;
}

void TXPMenuManager::componentNotification(QWidget* form, bool inserted)
{
    if (!active_ || !form) return;
    if (inserted) {
        if (!holds(pending_, form) && !holds(hooked_, form) && tagOf(form) != LeaveAloneTag && !ownsPainter(form))
            pending_.append(form);
    } else {
        drop(pending_, form);
        drop(hooked_, form);
    }
}

void TXPMenuManager::disableSubclassingChanged(TXPMenu* painter)
{
    if (painter == active_ || (!active_ && painter->DisableSubclassing())) switchActive(painter);
    else if (!active_ && painter->Active() && !painter->DisableSubclassing()) switchActive(nullptr);
}

void TXPMenuManager::switchActive(TXPMenu* leaving)
{
    TXPMenu* found = nullptr;
    for (const auto& p : menus_)
        if (p && p != leaving && p->Active() && !p->DisableSubclassing()) {
            found = p;
            break;
        }
    if (found) {
        if (!active_ || active_ == leaving) {
            // The forms drawn with the leaving painter's settings take the new one's.
            for (const auto& form : hooked_)
                if (form && leaving && form != leaving->ownerForm() && !ownsPainter(form)) leaving->applyToForm(form, false);
            active_ = found;
            hooked_.removeIf([found](const QPointer<QWidget>& f) { return f.isNull() || (f != found->ownerForm() && !ownsPainter(f)); });
            queueScreenForms();
        }
    } else {
        pending_.clear();
        if (leaving && !QCoreApplication::closingDown()) {
            for (const auto& form : hooked_)
                if (form && form != leaving->ownerForm() && !ownsPainter(form)) leaving->applyToForm(form, false);
        }
        hooked_.clear();
        // The painters' own forms stay handled by their painters.
        for (const auto& p : menus_)
            if (p && p->ownerForm()) hooked_.append(p->ownerForm());
        active_ = nullptr;
    }
}

void TXPMenuManager::formGone()
{
    // The weak pointers of a form being destroyed are already empty.
    drop(pending_, static_cast<QWidget*>(nullptr));
    drop(hooked_, static_cast<QWidget*>(nullptr));
}

void TXPMenuManager::handlePending()
{
    if (handling_ || pending_.isEmpty()) return;
    handling_ = true;
    const auto forms = pending_;
    pending_.clear();
    for (const auto& form : forms) {
        if (!form || holds(hooked_, form.data())) continue;
        hooked_.append(form);
        if (!suspended_ && active_) active_->applyToForm(form, true);
    }
    handling_ = false;
}

TXPMenu* TXPMenuManager::painterOf(const QWidget* menu) const
{
    if (!menu) return nullptr;
    auto* style = qobject_cast<TXPMenuStyle*>(menu->style());
    return style ? style->painter() : nullptr;
}

void TXPMenuManager::drawPopupBorder(QMenu* popup)
{
    if (drawingBorder_ || !popup) return;
    TXPMenu* painter = painterOf(popup);
    if (!painter || !painter->Active() || !painter->FlatMenu()) return;
    drawingBorder_ = true;
    const int w = popup->width(), h = popup->height();
    const QRegion region = QRegion(0, 0, w - 2, h - 2) + QRegion(2, 2, w - 2, h - 2);
    if (popup->mask() != region) popup->setMask(region);
    popup->update();
    drawingBorder_ = false;
}

void TXPMenuManager::popupHidden(QMenu* popup)
{
    popup->clearMask();
    // The parent menu under the popup's corner draws its border again.
    QWidget* under = QApplication::widgetAt(popup->mapToGlobal(QPoint(2, 2)));
    if (!qobject_cast<QMenu*>(under) || under == popup)
        under = QApplication::widgetAt(popup->mapToGlobal(QPoint(2, popup->height() - 3)));
    if (auto* parentMenu = qobject_cast<QMenu*>(under); parentMenu && parentMenu != popup && painterOf(parentMenu))
        parentMenu->update();
}

bool TXPMenuManager::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Resize:
        if (auto* popup = qobject_cast<QMenu*>(watched); popup && popup->isWindow()) drawPopupBorder(popup);
        break;
    case QEvent::Hide:
        if (auto* popup = qobject_cast<QMenu*>(watched); popup && painterOf(popup)) popupHidden(popup);
        break;
    case QEvent::Polish:
        if (auto* w = qobject_cast<QWidget*>(watched)) {
            if (w->isWindow() && isForm(w)) {
                componentNotification(w, true);
                connect(w, &QObject::destroyed, this, &TXPMenuManager::formGone, Qt::UniqueConnection);
            } else if (qobject_cast<QMenu*>(w) || qobject_cast<QMenuBar*>(w)) {
                // Painters that detect new menus take them at once.
                for (const auto& p : menus_)
                    if (p && p->AutoDetect() && p->Active() && belongsTo(w, p->ownerForm())) p->applyToMenu(w, true);
            }
        }
        break;
    default:
        break;
    }
    if (!pending_.isEmpty() && !handling_) {
        try {
            handlePending();
        } catch (...) {
            handling_ = false;
        }
    }
    return false;
}

} // namespace controls
