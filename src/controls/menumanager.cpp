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
            } else if (!w->isWindow() && controlKindOf(w) != ControlKind::None && !hookOf(w)) {
                // A control added to a painter's form.
                for (const auto& p : menus_)
                    if (p && p->AutoDetect() && p->Active() && p->ownerForm() == w->window()) p->applyToForm(p->ownerForm(), true);
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

// ---------------------------------------------------------------------------------------------
// Restyled controls

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPaintEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolBar>
#include <QStyleOptionButton>
#include <QTableView>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeView>

namespace controls {

namespace {

QColor qcol(ColorRef c) { return platform::colorToQColor(c); }
ColorRef ref(const QColor& c) { return platform::qcolorToColor(c); }

} // namespace

ControlKind controlKindOf(const QWidget* w)
{
    if (!w) return ControlKind::None;
    if (qobject_cast<const QToolBar*>(w->parentWidget())) {
        if (qobject_cast<const QToolButton*>(w)) return ControlKind::ToolButton;
        if (QByteArray(w->metaObject()->className()) == "QToolBarSeparator") return ControlKind::ToolSeparator;
    }
    if (qobject_cast<const QComboBox*>(w)) return ControlKind::Combo;
    if (auto* edit = qobject_cast<const QLineEdit*>(w)) {
        // The line edit of a combo or a spin box is part of that control.
        if (qobject_cast<const QComboBox*>(w->parentWidget()) || qobject_cast<const QAbstractSpinBox*>(w->parentWidget()))
            return ControlKind::None;
        return edit->inputMask().isEmpty() ? ControlKind::Edit : ControlKind::MaskEdit;
    }
    if (qobject_cast<const QPlainTextEdit*>(w)) return ControlKind::Memo;
    if (qobject_cast<const QTextEdit*>(w)) return ControlKind::None;  // rich edit: never restyled
    if (qobject_cast<const QCheckBox*>(w)) return ControlKind::CheckBox;
    if (qobject_cast<const QRadioButton*>(w)) return ControlKind::RadioButton;
    if (auto* b = qobject_cast<const QPushButton*>(w)) return b->icon().isNull() ? ControlKind::Button : ControlKind::BitButton;
    if (auto* t = qobject_cast<const QToolButton*>(w))
        return qobject_cast<const QToolBar*>(w->parentWidget()) ? ControlKind::None
               : (t->autoRaise() ? ControlKind::SpeedButton : ControlKind::None);
    if (qobject_cast<const QAbstractSpinBox*>(w)) return ControlKind::UpDown;
    if (qobject_cast<const QGroupBox*>(w)) return ControlKind::GroupBox;
    if (qobject_cast<const QTreeView*>(w)) return ControlKind::TreeView;
    if (qobject_cast<const QTableView*>(w)) return ControlKind::None;  // list view: never restyled
    if (qobject_cast<const QListView*>(w)) return ControlKind::ListBox;
    if (qobject_cast<const QProgressBar*>(w)) return ControlKind::ProgressBar;
    if (w->metaObject() == &QFrame::staticMetaObject) return ControlKind::Panel;
    return ControlKind::None;
}

std::optional<TXPContainer> containerKindOf(const QWidget* w)
{
    if (!w) return std::nullopt;
    if (isForm(w)) return xccForm;
    if (auto* main = qobject_cast<const QMainWindow*>(w->parentWidget()); main && main->centralWidget() == w) return xccForm;
    if (qobject_cast<const QToolBar*>(w)) return xccToolbar;
    if (qobject_cast<const QGroupBox*>(w)) return xccGroupBox;
    const QWidget* parent = w->parentWidget();
    if (parent && qobject_cast<const QStackedWidget*>(parent) && qobject_cast<const QTabWidget*>(parent->parentWidget()))
        return xccTabSheet;
    if (parent && parent->parentWidget() && qobject_cast<const QScrollArea*>(parent->parentWidget())) return xccScrollBox;
    // Plain frames and the plain widgets that hold a layout stand for panels.
    if (w->metaObject() == &QFrame::staticMetaObject || w->metaObject() == &QWidget::staticMetaObject) return xccPanel;
    return std::nullopt;
}

TXPControl controlFlagOf(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Combo: return xcCombo;
    case ControlKind::Edit: return xcEdit;
    case ControlKind::MaskEdit: return xcMaskEdit;
    case ControlKind::Memo: return xcMemo;
    case ControlKind::CheckBox: return xcCheckBox;
    case ControlKind::RadioButton: return xcRadioButton;
    case ControlKind::Button: return xcButton;
    case ControlKind::BitButton: return xcBitBtn;
    case ControlKind::SpeedButton: return xcSpeedButton;
    case ControlKind::UpDown: return xcUpDown;
    case ControlKind::Panel: return xcPanel;
    case ControlKind::GroupBox: return xcGroupBox;
    case ControlKind::ListBox: return xcListBox;
    case ControlKind::TreeView: return xcTreeView;
    case ControlKind::ProgressBar: return xcProgressBar;
    case ControlKind::ToolButton:
    case ControlKind::ToolSeparator: return xcToolbar;
    case ControlKind::None: break;
    }
    return xcHotKey; // never recognised
}

TControlSubClass* hookOf(const QWidget* control)
{
    return control ? qobject_cast<TControlSubClass*>(control->property("XPHook").value<QObject*>()) : nullptr;
}

TControlSubClass::TControlSubClass(QWidget* control, TXPMenu* painter, ControlKind kind)
    : QObject(painter), control_(control), painter_(painter), kind_(kind)
{
    setObjectName(QStringLiteral("ControlSubClass"));
    control->setProperty("XPHook", QVariant::fromValue<QObject*>(this));
    if (auto* edit = qobject_cast<QLineEdit*>(control)) savedFrame_ = edit->hasFrame();
    if (auto* frame = qobject_cast<QFrame*>(control)) savedFrameShape_ = frame->frameShape();
    control->setAttribute(Qt::WA_Hover, true);
    control->installEventFilter(this);
    connect(control, &QObject::destroyed, this, &QObject::deleteLater);
    control->update();
}

TControlSubClass::~TControlSubClass() { restore(); }

void TControlSubClass::setPainter(TXPMenu* painter)
{
    painter_ = painter;
    setParent(painter);
    if (control_) control_->update();
}

void TControlSubClass::restore()
{
    if (restored_) return;
    restored_ = true;
    if (!control_) return;
    control_->removeEventFilter(this);
    control_->setProperty("XPHook", QVariant());
    if (auto* edit = qobject_cast<QLineEdit*>(control_.data())) edit->setFrame(savedFrame_);
    if (auto* frame = qobject_cast<QFrame*>(control_.data()); frame && savedFrameShape_ >= 0)
        frame->setFrameShape(static_cast<QFrame::Shape>(savedFrameShape_));
    control_->update();
}

QColor TControlSubClass::hotColor() const
{
    return qcol(Lighten(painter_->colors().selectionBorder, 60));
}

bool TControlSubClass::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != control_ || restored_) return false;
    if (!painter_ || !painter_->Active()) {
        restore();
        deleteLater();
        return false;
    }
    QWidget* w = control_;
    switch (event->type()) {
    case QEvent::Paint:
        if (painting_) return false;
        // The control paints itself first, then the flat look goes over it.
        painting_ = true;
        w->removeEventFilter(this);
        QCoreApplication::sendEvent(w, event);
        w->installEventFilter(this);
        paintOver();
        painting_ = false;
        return true;
    case QEvent::FocusIn:
    case QEvent::Enter:
    case QEvent::HoverEnter:
        mouseInside_ = true;
        w->update();
        break;
    case QEvent::FocusOut:
    case QEvent::Leave:
    case QEvent::HoverLeave:
        mouseInside_ = false;
        w->update();
        break;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space && !static_cast<QKeyEvent*>(event)->isAutoRepeat()) {
            spaceDown_ = event->type() == QEvent::KeyPress;
            w->update();
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            buttonDown_ = event->type() != QEvent::MouseButtonRelease;
            w->update();
        }
        break;
    case QEvent::MouseMove:
        if (kind_ == ControlKind::UpDown) w->update();
        break;
    case QEvent::EnabledChange:
    case QEvent::PaletteChange:
        w->update();
        break;
    default:
        break;
    }
    return false;
}

namespace {

// What the flat look of a control is drawn from: a painter on the control, the painter's
// colours and the control's state.
struct FlatPaint {
    QPainter& p;
    QWidget* w;
    const XPMenuColors& c;
    QRect r;
    bool mouseInside;
    bool focused;
    bool hot;         // under the mouse or focused
    ColorRef own;     // the control's background
    ColorRef brush;   // its field colour
    QColor hotColour; // the frame of a hot control

    // A one-pixel frame round the whole control.
    void frameRect(const QColor& colour) const
    {
        p.setPen(QPen(colour, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
};

// An edit, masked edit or memo: a frameless one gets a frame between its own and its field's
// colour; a framed one a frame in the field's colour inside a dark or hot one.
void paintEditFrame(const FlatPaint& f, bool framed)
{
    if (!framed) {
        const ColorRef mean = platform::rgbColor((platform::redOf(f.own) + platform::redOf(f.brush)) / 2,
                                                 (platform::greenOf(f.own) + platform::greenOf(f.brush)) / 2,
                                                 (platform::blueOf(f.own) + platform::blueOf(f.brush)) / 2);
        f.frameRect(f.mouseInside && !f.focused ? qcol(Lighten(mean, 40)) : qcol(f.own));
        return;
    }
    // The host's frame inside ours takes the field's colour.
    f.p.setPen(QPen(qcol(f.brush), 1));
    f.p.drawRect(f.r.adjusted(1, 1, -2, -2));
    f.frameRect(f.hot ? f.hotColour : qcol(Darken(f.brush, 60)));
}

// A combo box: the frame, the drop-down button filled by its state, and the arrow.
void paintCombo(const FlatPaint& f)
{
    QPainter& p = f.p;
    QWidget* w = f.w;
    const QRect& r = f.r;
    auto* combo = qobject_cast<QComboBox*>(w);
    const int thumb = w->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 1 + (f.hot ? 1 : 0);
    const QColor frame = f.mouseInside ? qcol(f.c.selectionBorder) : f.focused ? f.hotColour : qcol(f.own);
    f.frameRect(qcol(f.brush));
    const QRect button = w->layoutDirection() == Qt::RightToLeft ? QRect(1, 1, thumb, r.height() - 2)
                                                                  : QRect(r.width() - 1 - thumb, 1, thumb, r.height() - 2);
    const bool down = combo && combo->view() && combo->view()->isVisible();
    ColorRef fill = platform::clBtnFace;
    if (tagOf(w) == 1000) fill = Lighten(f.own, 16);
    if (f.mouseInside) fill = f.c.selectionFill;
    else if (f.focused) fill = f.c.checkFill;
    if (down) fill = f.c.checkFillSelected;
    p.fillRect(button, qcol(fill));
    p.setPen(QPen(frame, 1));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.drawLine(button.left() - 1, 1, button.left() - 1, r.height() - 2);
    p.setPen(QPen(qcol(!w->isEnabled() || down ? platform::clWhite : platform::clBlack), 1));
    const int ax = w->layoutDirection() == Qt::RightToLeft ? 10 : r.width() - 10;
    const int ay = std::min(10, r.height() / 2 - 1);
    for (int i = 0; i < 3; ++i) p.drawLine(ax - 2 + i, ay + i, ax + 2 - i, ay + i);
}

// A check box or radio button: its box or circle filled by its state, then the tick or the dot.
void paintCheckOrRadio(const FlatPaint& f, bool radio, bool pressed)
{
    QPainter& p = f.p;
    QWidget* w = f.w;
    const XPMenuColors& c = f.c;
    auto* button = qobject_cast<QAbstractButton*>(w);
    QStyleOptionButton opt;
    opt.initFrom(w);
    QRect box = w->style()->subElementRect(radio ? QStyle::SE_RadioButtonIndicator : QStyle::SE_CheckBoxIndicator, &opt, w);
    if (radio) box.adjust(0, 0, -1, -1);
    p.fillRect(box, qcol(f.own));
    const QRect inner = box.adjusted(2, 2, -2, -2);
    const auto* check = qobject_cast<QCheckBox*>(w);
    const bool greyed = check && check->checkState() == Qt::PartiallyChecked;
    ColorRef fill = platform::clWindow;
    if (f.hot) fill = c.selectionFill;
    if (pressed && !radio) fill = c.checkFillSelected;
    if (greyed) fill = platform::clSilver;
    p.setPen(QPen(qcol(f.hot ? c.selectionBorder : platform::clBtnShadow), 1));
    p.setBrush(qcol(fill));
    if (radio) {
        p.setRenderHint(QPainter::Antialiasing, true);
        p.drawEllipse(inner.adjusted(0, 0, -1, -1));
        if (button && button->isChecked()) {
            const QColor dot = qcol(w->isEnabled() ? platform::clHighlight : c.disabled);
            p.setPen(Qt::NoPen);
            p.setBrush(dot);
            p.drawEllipse(inner.adjusted(2, 2, -3, -3));
        }
        return;
    }
    p.drawRect(inner.adjusted(0, 0, -1, -1));
    if (button && (button->isChecked() || greyed)) {
        ColorRef mark = platform::clHighlight;
        if (greyed) mark = platform::clGray;
        if (pressed) mark = platform::clWindow;
        if (!w->isEnabled()) mark = c.disabled;
        p.setPen(QPen(qcol(mark), 1));
        const int x = inner.left() + (inner.width() - 7) / 2, y = inner.top() + (inner.height() - 7) / 2;
        for (int k = 0; k < 3; ++k) {
            p.drawLine(x, y + 2 + k, x + 2, y + 4 + k);
            p.drawLine(x + 2, y + 4 + k, x + 6, y + k);
        }
    }
}

// A button's icon and text, centred together.
void paintButtonContent(const FlatPaint& f, QAbstractButton* button)
{
    QPainter& p = f.p;
    QWidget* w = f.w;
    const QRect& r = f.r;
    QRect content = r;
    const QIcon icon = button->icon();
    const QString text = button->text();
    QSize iconSize = icon.isNull() ? QSize() : button->iconSize();
    const QFontMetrics fm(w->font());
    const int textWidth = text.isEmpty() ? 0 : fm.horizontalAdvance(QString(text).remove(QLatin1Char('&')));
    const int total = (iconSize.isValid() ? iconSize.width() + (text.isEmpty() ? 0 : 4) : 0) + textWidth;
    int x = content.left() + (content.width() - total) / 2;
    if (iconSize.isValid()) {
        const QPixmap pm = icon.pixmap(iconSize, w->isEnabled() ? QIcon::Normal : QIcon::Disabled);
        p.drawPixmap(x, (r.height() - iconSize.height()) / 2, pm);
        x += iconSize.width() + 4;
    }
    p.setPen(qcol(w->isEnabled() ? ref(w->palette().color(QPalette::ButtonText)) : f.c.disabled));
    p.setFont(w->font());
    p.drawText(QRect(x, 0, r.width() - x, r.height()), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, text);
}

// A push, bitmap or speed button: a rounded face in its state's colour, an edge line at the
// bottom right (top left while pressed), then its content.
void paintButton(const FlatPaint& f, bool spaceDown)
{
    QPainter& p = f.p;
    QWidget* w = f.w;
    const XPMenuColors& c = f.c;
    const QRect& r = f.r;
    auto* button = qobject_cast<QAbstractButton*>(w);
    const bool pressed = (button && button->isDown()) || spaceDown;
    const QColor frame = f.hot ? f.hotColour : qcol(platform::clBtnShadow);
    const ColorRef buttonColour = ref(w->palette().color(QPalette::Button));
    ColorRef face = f.hot ? Lighten(platform::clBtnFace, 40) : c.iconColumn;
    if (tagOf(w) == 1000) face = f.hot ? Lighten(buttonColour, 40) : Lighten(buttonColour, 16);
    const bool down = button && button->isCheckable() && button->isChecked();
    if (down) face = f.hot ? c.checkFillSelected : c.checkFill;
    p.fillRect(r, w->palette().color(QPalette::Window));
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(qcol(face));
    p.setPen(QPen(down ? qcol(c.selectionBorder) : qcol(Lighten(ref(frame), 30)), 1));
    p.drawRoundedRect(r.adjusted(0, 0, -1, -1), 2, 2);
    if (w->isEnabled()) {
        p.setPen(QPen(qcol(Darken(ref(frame), 50)), 1));
        if (pressed) {
            p.drawLine(2, 1, r.width() - 3, 1);
            p.drawLine(1, 2, 1, r.height() - 3);
        } else {
            p.drawLine(2, r.height() - 2, r.width() - 3, r.height() - 2);
            p.drawLine(r.width() - 2, 2, r.width() - 2, r.height() - 3);
        }
    }
    if (button) paintButtonContent(f, button);
}

// A framed panel: one bevel, a second one inside when its line is wider than a pixel.
void paintPanel(const FlatPaint& f)
{
    QPainter& p = f.p;
    const QRect& r = f.r;
    auto* frame = qobject_cast<QFrame*>(f.w);
    if (!frame || frame->frameShape() == QFrame::NoFrame) return;
    const QColor light = qcol(Lighten(f.own, 60)), dark = qcol(Darken(f.own, 60));
    const bool sunken = frame->frameShadow() == QFrame::Sunken;
    auto bevel = [&](QRect b, bool raised) {
        p.setPen(raised ? light : dark);
        p.drawLine(b.topLeft(), b.topRight());
        p.drawLine(b.topLeft(), b.bottomLeft());
        p.setPen(raised ? dark : light);
        p.drawLine(b.bottomLeft(), b.bottomRight());
        p.drawLine(b.topRight(), b.bottomRight());
    };
    bevel(r.adjusted(0, 0, -1, -1), !sunken);
    if (frame->lineWidth() > 1) bevel(r.adjusted(frame->lineWidth(), frame->lineWidth(), -1 - frame->lineWidth(), -1 - frame->lineWidth()), sunken);
}

// A group box: an etched frame below half the title's height, the title over it.
void paintGroupBox(const FlatPaint& f)
{
    QPainter& p = f.p;
    QWidget* w = f.w;
    const QRect& r = f.r;
    auto* group = qobject_cast<QGroupBox*>(w);
    const QFontMetrics fm(w->font());
    const int top = fm.height() / 2;
    p.fillRect(r, qcol(f.own));
    const QColor light = qcol(Lighten(f.own, 60)), dark = qcol(Darken(f.own, 60));
    p.setPen(dark);
    p.drawRect(QRect(0, top, r.width() - 2, r.height() - top - 2));
    p.setPen(light);
    p.drawRect(QRect(1, top + 1, r.width() - 2, r.height() - top - 2));
    if (group && !group->title().isEmpty()) {
        const QString title = group->title();
        const int width = fm.horizontalAdvance(QString(title).remove(QLatin1Char('&'))) + 4;
        p.fillRect(QRect(6, 0, width, fm.height()), qcol(f.own));
        p.setPen(w->palette().color(QPalette::WindowText));
        p.drawText(QRect(8, 0, width, fm.height()), Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, title);
    }
}

// A tool bar's separator takes the bar's colour; a tagged one shows a line down its middle.
void paintToolSeparator(const FlatPaint& f)
{
    QPainter& p = f.p;
    QWidget* w = f.w;
    const QRect& r = f.r;
    QWidget* bar = w->parentWidget();
    const ColorRef barColour = ref((bar ? bar : w)->palette().color(QPalette::Window));
    p.fillRect(r, qcol(barColour));
    QAction* action = nullptr;
    if (auto* toolBar = qobject_cast<QToolBar*>(bar))
        for (QAction* a : toolBar->actions())
            if (toolBar->widgetForAction(a) == w) action = a;
    if (tagOf(action) > 0) {
        p.setPen(QPen(qcol(Darken(barColour, 30)), 1));
        const int x = r.width() / 2;
        p.drawLine(x, 2, x, r.height() - 2);
    }
}

// A list box, tree view or progress bar: a frame in the field's or the selection's colour,
// lighter for a control that had no frame of its own.
void paintListFrame(const FlatPaint& f, bool progressBar, int savedFrameShape)
{
    auto* frame = qobject_cast<QFrame*>(f.w);
    const bool single = !frame || savedFrameShape != QFrame::NoFrame;
    QColor colour;
    if (progressBar) colour = f.hot ? qcol(f.c.selectionBorder) : qcol(Darken(f.brush, 60));
    else if (f.hot) colour = qcol(Lighten(f.c.selectionBorder, single ? 60 : 80));
    else colour = single ? qcol(Darken(f.brush, 60)) : qcol(f.brush);
    f.frameRect(colour);
}

} // namespace

void TControlSubClass::paintOver()
{
    QWidget* w = control_;
    if (!w || !painter_) return;
    QPainter p(w);
    const bool focused = w->hasFocus();
    const FlatPaint f{p, w, painter_->colors(), w->rect(), mouseInside_, focused, mouseInside_ || focused,
                      ref(w->palette().color(w->backgroundRole())), ref(w->palette().color(QPalette::Base)), hotColor()};
    switch (kind_) {
    case ControlKind::Edit:
    case ControlKind::MaskEdit:
    case ControlKind::Memo:
        paintEditFrame(f, savedFrame_);
        break;
    case ControlKind::Combo:
        paintCombo(f);
        break;
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
        paintCheckOrRadio(f, kind_ == ControlKind::RadioButton, (buttonDown_ && mouseInside_) || spaceDown_);
        break;
    case ControlKind::Button:
    case ControlKind::BitButton:
    case ControlKind::SpeedButton:
        paintButton(f, spaceDown_);
        break;
    case ControlKind::Panel:
        paintPanel(f);
        break;
    case ControlKind::GroupBox:
        paintGroupBox(f);
        break;
    case ControlKind::ToolButton:
        paintToolButton(p);
        break;
    case ControlKind::ToolSeparator:
        paintToolSeparator(f);
        break;
    case ControlKind::ListBox:
    case ControlKind::TreeView:
    case ControlKind::ProgressBar:
        paintListFrame(f, kind_ == ControlKind::ProgressBar, savedFrameShape_);
        break;
    default:
        break;
    }
}

void TControlSubClass::paintToolButton(QPainter& p)
{
    auto* button = qobject_cast<QToolButton*>(control_.data());
    if (!button) return;
    const TXPMenu& m = *painter_;
    const XPMenuColors& c = m.colors();
    const QRect r = button->rect();
    QWidget* bar = button->parentWidget();
    const ColorRef barColour = ref((bar ? bar : button)->palette().color(QPalette::Window));
    const bool hot = mouseInside_ && button->isEnabled();
    const bool checked = button->isCheckable() && button->isChecked();
    const bool pressed = button->isDown() || (buttonDown_ && mouseInside_);
    const bool dropDown = button->popupMode() == QToolButton::MenuButtonPopup;
    const bool hasMenu = button->menu() || (button->defaultAction() && button->defaultAction()->menu());
    if (!bar || bar->autoFillBackground() || !bar->testAttribute(Qt::WA_TranslucentBackground)) p.fillRect(r, qcol(barColour));
    const ColorRef selectionFill = (m.highColor() && !m.UseSystemColors()) ? Lighten(m.SelectColor(), 68) : c.selectionFill;
    if (pressed && hasMenu) {
        // An open menu of the button: the selection of an open menu-bar item in the bar's colour.
        p.fillRect(r.adjusted(0, 0, -8, 0), qcol(c.selectionFill));
        p.setPen(qcol(c.selectionBorder));
        p.drawLine(0, r.bottom(), 0, 0);
        p.drawLine(0, 0, r.width() - 9, 0);
        p.drawLine(r.width() - 9, 0, r.width() - 9, r.bottom());
        const int amounts[] = {10, 30, 60, 100};
        for (int k = 0; k < 4; ++k)
            p.fillRect(QRect(r.width() - 8, 2 + k, 4 - k, r.height() - 2 - k), qcol(Darken(barColour, amounts[k])));
    } else if (hot) {
        const ColorRef fill = (checked || pressed) ? c.checkFillSelected : selectionFill;
        p.fillRect(r, qcol(fill));
        p.setPen(qcol(c.selectionBorder));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        if (dropDown) p.drawRect(QRect(r.width() - 13, 0, 12, r.height() - 1));
    } else if (checked) {
        p.fillRect(r, qcol(c.checkFill));
        p.setPen(qcol(c.selectionBorder));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
    QRect glyphArea = r;
    if (dropDown) {
        p.setPen(Qt::black);
        const int x = r.width() - 10, y = r.height() / 2 - 1;
        for (int i = 0; i < 3; ++i) p.drawLine(x - 2 + i, y + i, x + 2 - i, y + i);
        glyphArea.setWidth(glyphArea.width() - 12);
    }
    const QIcon icon = button->icon();
    if (!icon.isNull()) {
        const QIcon::Mode mode = !button->isEnabled() ? QIcon::Disabled : hot ? QIcon::Active : QIcon::Normal;
        const QSize size = button->iconSize();
        QPoint at(glyphArea.left() + (glyphArea.width() - size.width()) / 2, (r.height() - size.height()) / 2);
        if (hot && !checked) at += QPoint(-1, -1);
        p.drawPixmap(at, icon.pixmap(size, mode));
    } else if (!button->text().isEmpty()) {
        const QFontMetrics fm(button->font());
        p.setPen(qcol(button->isEnabled() ? ref(button->palette().color(QPalette::ButtonText)) : c.disabled));
        p.drawText(QRect(glyphArea.left(), (r.height() - fm.height()) / 2, glyphArea.width(), fm.height()),
                   Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic, button->text());
    }
}

} // namespace controls
