#include "menupainter.h"

#include "gradient.h"
#include "menumanager.h"
#include "platform/rounding.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QMainWindow>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QStyleOptionMenuItem>

#include <algorithm>

namespace controls {

using platform::blueOf;
using platform::colorToQColor;
using platform::colorToRGB;
using platform::greenOf;
using platform::redOf;
using platform::rgbColor;

int tagOf(const QObject* object)
{
    return object ? object->property("Tag").toInt() : 0;
}

void setTag(QObject* object, int tag)
{
    if (object) object->setProperty("Tag", tag);
}

ColorRef Lighten(ColorRef colour, int percent)
{
    percent = std::clamp(percent, 0, 100);
    const ColorRef c = colorToRGB(colour);
    auto up = [percent](int v) { return v + platform::roundHalfEven((255 - v) * percent / 100.0); };
    return rgbColor(up(redOf(c)), up(greenOf(c)), up(blueOf(c)));
}

ColorRef Darken(ColorRef colour, int amount)
{
    const ColorRef c = colorToRGB(colour);
    return rgbColor(std::clamp(redOf(c) - amount, 0, 255), std::clamp(greenOf(c) - (amount - 2), 0, 255),
                    std::clamp(blueOf(c) - amount, 0, 255));
}

TXPControls allXPControls()
{
    TXPControls all;
    for (int i = xcMainMenu; i <= xcHotKey; ++i) all.insert(static_cast<TXPControl>(i));
    return all;
}

TXPContainers allXPContainers()
{
    TXPContainers all;
    for (int i = xccForm; i <= xccPageScroller; ++i) all.insert(static_cast<TXPContainer>(i));
    return all;
}

namespace {

QColor qc(ColorRef c) { return colorToQColor(c); }

// The item tag: the action's, or for a sub-menu also the sub-menu's own.
int itemTag(const QAction* action)
{
    if (!action) return 0;
    if (tagOf(action) == LeaveAloneTag) return LeaveAloneTag;
    if (action->menu() && tagOf(action->menu()) == LeaveAloneTag) return LeaveAloneTag;
    return tagOf(action);
}

// The framework's Rectangle: outline on left..right-1, top..bottom-1 with the interior filled.
void winRectangle(QPainter& p, const QRect& r, ColorRef pen, ColorRef brush)
{
    if (r.width() <= 0 || r.height() <= 0) return;
    p.fillRect(r, qc(brush));
    p.setPen(QPen(qc(pen), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));
}

// A line from a towards b, the end point itself not drawn (as the framework's LineTo).
void winLine(QPainter& p, QPoint a, QPoint b)
{
    int x = a.x(), y = a.y();
    const int dx = std::abs(b.x() - x), dy = -std::abs(b.y() - y);
    const int sx = x < b.x() ? 1 : -1, sy = y < b.y() ? 1 : -1;
    int err = dx + dy;
    while (x != b.x() || y != b.y()) {
        p.drawPoint(x, y);
        const int e2 = 2 * err;
        if (e2 >= dy) { err += dy; x += sx; }
        if (e2 <= dx) { err += dx; y += sy; }
    }
}

// The caption and the shortcut text of a menu item option ("caption\tshortcut").
std::pair<QString, QString> splitText(const QString& text)
{
    const int tab = text.indexOf(QLatin1Char('\t'));
    if (tab < 0) return {text, QString()};
    return {text.left(tab), text.mid(tab + 1)};
}

// The action an option stands for: by position when drawing, by text when measuring.
QAction* actionAtRect(const QWidget* widget, const QRect& rect)
{
    if (auto* menu = qobject_cast<const QMenu*>(widget)) return menu->actionAt(rect.center());
    if (auto* bar = qobject_cast<const QMenuBar*>(widget)) return bar->actionAt(rect.center());
    return nullptr;
}

QAction* actionByText(const QWidget* widget, const QString& text)
{
    if (!widget) return nullptr;
    const auto actions = widget->actions();
    for (QAction* a : actions) {
        QString full = a->text();
        if (full.indexOf(QLatin1Char('\t')) < 0 && !a->shortcut().isEmpty())
            full += QLatin1Char('\t') + a->shortcut().toString(QKeySequence::NativeText);
        if (full == text || a->text() == text) return a;
    }
    return nullptr;
}

// Each column of the item, from the icon side, in Lighten(icon column, p) where p starts at 0 and
// grows by 3 per column inside the icon column plus 5 pixels and by 1 after it, never above 96.
// Runs of the same growth are one gradient each.
void iconColumnGradient(QPainter& p, const QRect& r, ColorRef iconColour, int iconWidth, bool rightToLeft)
{
    if (r.width() <= 0 || r.height() <= 0) return;
    if (rightToLeft) {
        // The same columns counted from the right edge.
        QImage strip(r.size(), QImage::Format_RGB32);
        QPainter sp(&strip);
        iconColumnGradient(sp, strip.rect(), iconColour, iconWidth, false);
        sp.end();
        p.drawImage(r.topLeft(), strip.mirrored(true, false));
        return;
    }
    const int columns = r.width();
    int column = 0;
    int percent = 0;
    while (column < columns) {
        const int step = percent >= 96 ? 0 : (column < iconWidth + 5 ? 3 : 1);
        // A run ends where the growth changes: at the end of the icon zone or at 96.
        int end = columns;
        if (step == 3) end = std::min(end, iconWidth + 5);
        if (step > 0) end = std::min(end, column + (96 - percent + step - 1) / step);
        end = std::max(end, column + 1);
        const int length = end - column;
        const int nextPercent = std::min(96, percent + step * length);
        // Column i of the run takes percent + step * i; the next run starts at nextPercent.
        const QRect band(r.left() + column, r.top(), length, r.height());
        FillGradient(p, Lighten(iconColour, percent), Lighten(iconColour, percent + step * length), true, band, length,
                     platform::clNone);
        percent = nextPercent;
        column = end;
    }
}

// A glyph changed in place: every opaque pixel through f.
template <typename F>
void mapOpaque(QImage& img, F f)
{
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(line[x]) > 0) line[x] = f(line[x]);
    }
}

QRgb toRgb(ColorRef c) { return qRgb(redOf(c), greenOf(c), blueOf(c)); }
ColorRef fromRgb(QRgb c) { return rgbColor(qRed(c), qGreen(c), qBlue(c)); }

} // namespace

// ---------------------------------------------------------------------------------------------
// The painter

TXPMenu::TXPMenu(QWidget* owner) : QObject(owner), owner_(owner), style_(new TXPMenuStyle(this))
{
    setObjectName(QStringLiteral("XPMenu"));
    style_->setParent(this);
    font_ = QApplication::font("QMenu");
    fontColor_ = clMenuText;
    selectFontColor_ = fontColor_;
    xpContainers_ = allXPContainers();
    xpControls_ = allXPControls();
    if (auto* screen = QGuiApplication::primaryScreen()) highColor_ = screen->depth() > 15;
    colorsChanged_ = true;
    TXPMenuManager::ensure();
}

TXPMenu::~TXPMenu()
{
    // The owner may be half destroyed: only the menus still alive give the style back.
    for (const auto& menu : styled_)
        if (menu && menu->style() == style_) menu->setStyle(nullptr);
    if (auto* manager = TXPMenuManager::instance()) manager->unregisterMenu(this);
}

void TXPMenu::Loaded()
{
    if (registered_) return;
    registered_ = true;
    if (auto* manager = TXPMenuManager::ensure()) manager->registerMenu(this);
}

void TXPMenu::setFont(const QFont& font, ColorRef colour)
{
    font_ = font;
    fontColor_ = colour;
    colorsChanged_ = true;
    redrawMenuBar();
}

void TXPMenu::setMenuBarColor(ColorRef c)
{
    menuBarColor_ = c;
    colorsChanged_ = true;
    redrawMenuBar();
}

void TXPMenu::setUseSystemColors(bool v)
{
    useSystemColors_ = v;
    colorsChanged_ = true;
    redrawMenuBar();
}

void TXPMenu::setOverrideOwnerDraw(bool v)
{
    overrideOwnerDraw_ = v;
    if (active_ && owner_) applyToForm(owner_, true);
}

void TXPMenu::setXPContainers(const TXPContainers& v)
{
    if (v == xpContainers_) return;
    if (active_ && owner_) {
        applyToForm(owner_, false);
        xpContainers_ = v;
        applyToForm(owner_, true);
    } else {
        xpContainers_ = v;
    }
}

void TXPMenu::setXPControls(const TXPControls& v)
{
    if (v == xpControls_) return;
    if (active_ && owner_) {
        applyToForm(owner_, false);
        xpControls_ = v;
        applyToForm(owner_, true);
    } else {
        xpControls_ = v;
    }
}

void TXPMenu::setActive(bool v)
{
    if (v == active_) return;
    active_ = v;
    if (owner_) applyToForm(owner_, v);
    redrawMenuBar();
}

void TXPMenu::setDisableSubclassing(bool v)
{
    if (v == disableSubclassing_) return;
    disableSubclassing_ = v;
    if (auto* manager = TXPMenuManager::instance()) manager->disableSubclassingChanged(this);
}

void TXPMenu::redrawMenuBar()
{
    if (!owner_) return;
    const auto bars = owner_->findChildren<QMenuBar*>();
    for (QMenuBar* bar : bars) bar->update();
}

const XPMenuColors& TXPMenu::colors() const
{
    if (colorsChanged_) recomputeColors();
    return colors_;
}

void TXPMenu::recomputeColors() const
{
    using namespace platform;
    XPMenuColors c;
    c.menuBackground = colorToRGB(color_);
    c.iconColumn = colorToRGB(iconBackColor_);
    if (highColor_) {
        c.selectionFill = useDimColor_ ? Lighten(selectColor_, 68) : colorToRGB(selectColor_);
        c.checkFill = useDimColor_ ? Lighten(selectColor_, 80) : colorToRGB(selectColor_);
        c.checkFillSelected = useDimColor_ ? Lighten(selectColor_, 50) : colorToRGB(selectColor_);
        c.popupBorder = Darken(clBtnFace, 90);
        c.popupShadow = Darken(clBtnFace, 76);
    } else {
        c.selectionFill = colorToRGB(selectColor_);
        c.checkFill = clWhite;
        c.checkFillSelected = clSilver;
        c.popupBorder = colorToRGB(clBtnShadow);
        c.popupShadow = colorToRGB(clBtnShadow);
    }
    c.selectionBorder = colorToRGB(selectBorderColor_);
    c.selectedText = colorToRGB(selectFontColor_);
    c.menuBar = colorToRGB(menuBarColor_);
    c.disabled = colorToRGB(disabledColor_);
    c.checkMark = colorToRGB(checkedColor_);
    c.separator = colorToRGB(separatorColor_);
    if (useSystemColors_) {
        c.selectedText = colorToRGB(fontColor_);
        if (highColor_) {
            c.menuBackground = Lighten(clBtnFace, 86);
            c.iconColumn = Lighten(clBtnFace, 16);
            c.selectionFill = Lighten(clHighlight, 68);
            c.selectionBorder = colorToRGB(clHighlight);
            c.menuBar = colorToRGB(clBtnFace);
            c.disabled = Lighten(clBtnShadow, 10);
            c.separator = Lighten(clBtnShadow, 25);
            c.checkMark = colorToRGB(clHighlight);
            c.checkFill = Lighten(clHighlight, 80);
            c.checkFillSelected = Lighten(clHighlight, 50);
        } else {
            c.menuBackground = clWhite;
            c.iconColumn = colorToRGB(clBtnFace);
            c.selectionFill = clWhite;
            c.selectionBorder = colorToRGB(clHighlight);
            c.menuBar = colorToRGB(clBtnFace);
            c.disabled = colorToRGB(clBtnShadow);
            c.checkMark = colorToRGB(clHighlight);
            c.separator = colorToRGB(clBtnShadow);
            c.checkFill = clWhite;
            c.checkFillSelected = clWhite;
        }
    }
    colors_ = c;
    colorsChanged_ = false;
}

namespace {

// The form a menu belongs to: the nearest main window or dialog up its parent chain.
QWidget* formOf(QWidget* w)
{
    for (QWidget* p = w ? w->parentWidget() : nullptr; p; p = p->parentWidget())
        if (qobject_cast<QMainWindow*>(p) || qobject_cast<QDialog*>(p)) return p;
    return nullptr;
}

// A popup that hangs below a menu bar tagged 999 is part of that bar.
bool underLeftAloneBar(QWidget* w)
{
    for (QWidget* p = w; p; p = p->parentWidget()) {
        if (qobject_cast<QMenuBar*>(p)) return tagOf(p) == LeaveAloneTag;
        if (!qobject_cast<QMenu*>(p)) return false;
    }
    return false;
}

} // namespace

void TXPMenu::applyToMenu(QWidget* menu, bool active)
{
    if (!menu) return;
    const bool isBar = qobject_cast<QMenuBar*>(menu) != nullptr;
    if (isBar ? !xpControls_.contains(xcMainMenu)
              : !(xpControls_.contains(xcPopupMenu) || xpControls_.contains(xcMainMenu)))
        return;
    if (isBar && tagOf(menu) == LeaveAloneTag) return;
    if (!isBar && underLeftAloneBar(menu)) return;
    QStyle* current = menu->style();
    const bool ours = qobject_cast<TXPMenuStyle*>(current) != nullptr;
    const bool ownStyle = !ours && current != QApplication::style();
    if (active) {
        if (current == style_) return;
        if (ownStyle && !overrideOwnerDraw_) return;
        if (ours && !overrideOwnerDraw_) return; // another painter draws it
        menu->setStyle(style_);
        styled_.removeIf([](const QPointer<QWidget>& m) { return m.isNull(); });
        styled_.append(menu);
    } else if (current == style_) {
        menu->setStyle(nullptr);
    }
    if (isBar) {
        // The bar measures itself again.
        menu->updateGeometry();
        menu->adjustSize();
        menu->update();
    }
}

void TXPMenu::applyToForm(QWidget* form, bool active)
{
    if (!form) return;
    QList<QWidget*> menus;
    for (QMenuBar* bar : form->findChildren<QMenuBar*>())
        if (formOf(bar) == form && xpControls_.contains(xcMainMenu)) menus.append(bar);
    for (QMenu* menu : form->findChildren<QMenu*>()) {
        if (formOf(menu) != form) continue;
        const bool underBar = [menu] {
            for (QWidget* p = menu->parentWidget(); p; p = p->parentWidget())
                if (qobject_cast<QMenuBar*>(p)) return true;
            return false;
        }();
        if (underBar ? xpControls_.contains(xcMainMenu) : xpControls_.contains(xcPopupMenu)) menus.append(menu);
    }
    for (QWidget* m : menus) applyToMenu(m, active);

    // Standard controls: a kind named in XPControls whose parent is a container kind named in
    // XPContainers, neither of them tagged 999.
    const auto controls = form->findChildren<QWidget*>();
    for (QWidget* control : controls) {
        if (control->isWindow() || control->window() != form) continue;
        TControlSubClass* hook = hookOf(control);
        if (!active) {
            if (hook && hook->painter() == this) delete hook;
            continue;
        }
        if (hook) continue;
        const ControlKind kind = controlKindOf(control);
        if (kind == ControlKind::ToolButton || kind == ControlKind::ToolSeparator) {
            // The buttons of a tool bar are drawn by the tool-bar painter, whatever the containers;
            // a bar with a drawing of its own keeps it unless OverrideOwnerDraw is on.
            auto* bar = control->parentWidget();
            if (!xpControls_.contains(xcToolbar) || tagOf(bar) == LeaveAloneTag) continue;
            if (bar->style() != QApplication::style() && !overrideOwnerDraw_) continue;
            new TControlSubClass(control, this, kind);
            continue;
        }
        if (kind == ControlKind::None || !xpControls_.contains(controlFlagOf(kind))) continue;
        QWidget* parent = control->parentWidget();
        const auto container = containerKindOf(parent);
        if (!container || !xpContainers_.contains(*container)) continue;
        if (tagOf(control) == LeaveAloneTag || tagOf(parent) == LeaveAloneTag) continue;
        new TControlSubClass(control, this, kind);
    }
}

QSize TXPMenu::measureItem(const QString& caption, const QString& shortcut, bool topLevel, bool hasSubMenu,
                           QSize glyph, QSize given) const
{
    if (!active_) return given;
    if (caption == QLatin1String("-")) return {given.width(), 4};
    const QFontMetrics fm(font_);
    QString text = caption;
    if (!shortcut.isEmpty()) text += shortcut + QStringLiteral("WWW");
    int textWidth = fm.horizontalAdvance(text) + 5;
    if (caption.contains(QLatin1Char('&'))) textWidth -= fm.horizontalAdvance(QLatin1Char('&'));
    const int textHeight = fm.height();
    if (!topLevel && hasSubMenu) textWidth += 6;
    int glyphWidth = glyph.isValid() ? glyph.width() : 0;
    const int glyphHeight = glyph.isValid() ? glyph.height() : 0;
    if (!topLevel) glyphWidth = std::max(glyphWidth, iconWidth_);
    const int width = std::max(given.width(), textWidth + glyphWidth);
    int height = std::max(given.height(), textHeight + platform::roundHalfEven(textHeight * 0.75));
    height = std::max(height, glyphHeight + 6);
    return {width, height};
}

// ---------------------------------------------------------------------------------------------
// The style

TXPMenuStyle::TXPMenuStyle(TXPMenu* painter) : QProxyStyle(), painter_(painter) {}

bool TXPMenuStyle::handles(const QWidget* widget) const
{
    return painter_ && painter_->Active() && (qobject_cast<const QMenu*>(widget) || qobject_cast<const QMenuBar*>(widget));
}

// The width that menus add to each owner-drawn item: a check mark's.
constexpr int CheckMarkRoom = 12;

int TXPMenuStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    if (handles(widget) && qobject_cast<const QMenu*>(widget)) {
        switch (metric) {
        case PM_MenuPanelWidth: return 3; // the outline, then the strip or the shadow
        case PM_MenuHMargin:
        case PM_MenuVMargin: return 0;
        default: break;
        }
    }
    return QProxyStyle::pixelMetric(metric, option, widget);
}

QSize TXPMenuStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                     const QWidget* widget) const
{
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (!item || !handles(widget) || (type != CT_MenuItem && type != CT_MenuBarItem))
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    QAction* action = item->menuItemType == QStyleOptionMenuItem::Separator ? nullptr : actionByText(widget, item->text);
    if (itemTag(action) == LeaveAloneTag) return QProxyStyle::sizeFromContents(type, option, size, widget);
    const bool topLevel = type == CT_MenuBarItem;
    if (item->menuItemType == QStyleOptionMenuItem::Separator)
        return painter_->measureItem(QStringLiteral("-"), {}, topLevel, false, {}, {size.width(), 0});
    const auto [caption, shortcut] = splitText(item->text);
    QSize glyph;
    if (!item->icon.isNull()) {
        const int extent = QProxyStyle::pixelMetric(PM_SmallIconSize, option, widget);
        glyph = QSize(extent, extent);
    }
    QSize result = painter_->measureItem(caption, shortcut, topLevel, item->menuItemType == QStyleOptionMenuItem::SubMenu,
                                         glyph, {size.width(), 0});
    if (!topLevel && !shortcut.isEmpty()) {
        // The menu adds its widest shortcut once more beside the items: it is in ours already.
        result.rwidth() -= QFontMetrics(item->font).horizontalAdvance(shortcut);
        result.setWidth(std::max(result.width(), 1));
    }
    // Beside an owner-drawn item the host menu keeps the room of a check mark.
    result.rwidth() += CheckMarkRoom;
    return result;
}

namespace {

struct ItemState {
    bool selected, enabled, checked, radio, separator, topLevel, rtl, isDefault, subMenu;
};

void drawCheck(QPainter& p, const TXPMenu& m, const ItemState& s, const QRect& r, bool hasGlyph)
{
    const XPMenuColors& c = m.colors();
    p.save();
    if (s.radio) {
        const ColorRef pen = s.enabled ? c.selectionBorder : c.disabled;
        const ColorRef brush = s.selected ? c.checkFillSelected : c.checkFill;
        p.setPen(QPen(qc(pen), 1));
        p.setBrush(qc(brush));
        if (hasGlyph) {
            p.setRenderHint(QPainter::Antialiasing, false);
            p.drawRoundedRect(r.adjusted(0, 0, -1, -1), 3, 3);
        } else {
            p.drawEllipse(r.adjusted(0, 0, -1, -1));
            p.setBrush(qc(pen));
            p.drawEllipse(r.adjusted(2, 2, -3, -3));
        }
    } else if (hasGlyph) {
        const ColorRef pen = s.enabled ? c.selectionBorder : c.disabled;
        winRectangle(p, r, pen, s.selected ? c.checkFillSelected : c.checkFill);
    } else {
        const ColorRef pen = s.enabled ? c.checkMark : c.disabled;
        winRectangle(p, r, pen, c.checkFill);
        p.setPen(QPen(qc(s.enabled ? platform::clBlack : c.disabled), 1));
        // r's right and bottom are exclusive, as the check mark's coordinates count them.
        const int left = r.left(), top = r.top(), right = r.left() + r.width(), bottom = r.top() + r.height();
        winLine(p, {left + 1, top + 5}, {left + 4, bottom - 2});
        winLine(p, {left + 2, top + 5}, {left + 4, bottom - 3});
        winLine(p, {left + 2, top + 4}, {left + 5, bottom - 3});
        winLine(p, {left + 4, bottom - 3}, {right + 2, top - 1});
        winLine(p, {left + 4, bottom - 2}, {right - 2, top + 3});
    }
    p.restore();
}

void drawGlyph(QPainter& p, const TXPMenu& m, const ItemState& s, QImage glyph, QPoint at)
{
    const XPMenuColors& c = m.colors();
    glyph = glyph.convertToFormat(QImage::Format_ARGB32);
    if (s.selected && s.enabled && !s.checked) {
        at += s.topLevel ? QPoint(-1, -2) : QPoint(-1, -1);
        if (!s.topLevel) {
            QImage shadow = glyph;
            const QRgb dark = toRgb(Darken(c.selectionFill, 50));
            mapOpaque(shadow, [dark](QRgb) { return dark; });
            p.drawImage(at + QPoint(2, 2), shadow);
        }
    } else if (s.enabled && !s.checked && m.highColor() && m.DimLevel() > 0) {
        const int dim = m.DimLevel();
        mapOpaque(glyph, [dim](QRgb px) { return (toRgb(Lighten(fromRgb(px), dim)) & 0xFFFFFF) | (px & 0xFF000000); });
    }
    if (!s.enabled) {
        const int gray = m.GrayLevel();
        mapOpaque(glyph, [gray](QRgb px) {
            const int v = std::min(240, (qRed(px) + qGreen(px) + qBlue(px)) / 3 + gray);
            return (toRgb(Lighten(rgbColor(v, v, v), 40)) & 0xFFFFFF) | (px & 0xFF000000);
        });
    }
    p.drawImage(at, glyph);
}

void drawMenuText(QPainter& p, const TXPMenu& m, const ItemState& s, const QRect& textRect, const QString& caption,
                  const QString& shortcut, ColorRef colour)
{
    p.save();
    p.setFont(m.Font());
    const QFontMetrics fm(m.Font());
    const int top = textRect.top() + (textRect.height() - fm.height()) / 2;
    const QRect line(textRect.left(), top, textRect.width(), fm.height());
    int flags = Qt::TextShowMnemonic | Qt::TextExpandTabs | Qt::AlignTop | Qt::TextSingleLine;
    flags |= s.rtl ? Qt::AlignRight : Qt::AlignLeft;
    const QString text = QLatin1Char(' ') + caption;
    if (s.isDefault && s.enabled) {
        // Embossed: four times one pixel off, darkened from the background below.
        const QPoint offsets[] = {{-1, 0}, {0, -1}, {1, 0}, {0, 1}};
        const int amounts[] = {30, 30, 40, 60};
        QImage* under = dynamic_cast<QImage*>(p.device());
        const QPoint probe(std::clamp(line.left(), 0, p.device()->width() - 1), std::clamp(line.center().y(), 0, p.device()->height() - 1));
        const ColorRef back = under ? fromRgb(under->pixel(probe)) : m.colors().menuBackground;
        for (int i = 0; i < 4; ++i) {
            p.setPen(qc(Darken(back, amounts[i])));
            p.drawText(line.translated(offsets[i]), flags, text);
        }
    }
    p.setPen(qc(colour));
    p.drawText(line, flags, text);
    if (!shortcut.isEmpty()) {
        const int sflags = Qt::AlignTop | Qt::TextSingleLine | (s.rtl ? Qt::AlignLeft : Qt::AlignRight);
        const QRect sr = s.rtl ? line.adjusted(10, 0, 0, 0) : QRect(line.left(), line.top(), textRect.right() - 10 - line.left() + 1, line.height());
        p.drawText(sr, sflags, shortcut + QLatin1Char(' '));
    }
    p.restore();
}

// The selection of an open menu-bar item: fill and outline on three sides, a shadow on the right.
void drawMenuBarSelection(QPainter& p, const TXPMenu& m, const QRect& r, bool rtl)
{
    const XPMenuColors& c = m.colors();
    const ColorRef bar = c.menuBar;
    const bool simple = rtl || !m.highColor();
    const int inset = simple ? 3 : 8;
    const QRect body(r.left(), r.top(), r.width() - inset, r.height());
    p.fillRect(body, qc(c.selectionFill));
    p.setPen(QPen(qc(c.selectionBorder), 1));
    p.drawLine(body.bottomLeft(), body.topLeft());
    p.drawLine(body.topLeft(), body.topRight());
    p.drawLine(body.topRight(), body.bottomRight());
    if (simple) {
        const QRect strip(r.right() - 1, r.top(), 2, r.height());
        p.fillRect(strip, qc(Darken(bar, 70)));
        p.fillRect(QRect(strip.left(), strip.top(), 2, 2), qc(bar));
        return;
    }
    // Nested strips, darkest next to the selection.
    const int amounts[] = {10, 30, 60, 100};
    const int x0 = body.right() + 1;
    for (int k = 0; k < 4; ++k)
        p.fillRect(QRect(x0, r.top() + 2 + k, 4 - k, r.height() - 2 - k), qc(Darken(bar, amounts[k])));
    // The corner: the top of the shadow back in the bar's colour and its light end.
    p.fillRect(QRect(x0, r.top(), inset - 1, 2), qc(bar));
    p.setPen(qc(Darken(bar, 10)));
    p.drawPoint(x0 + 3, r.top() + 2);
    p.setPen(qc(Darken(bar, 30)));
    p.drawPoint(x0 + 2, r.top() + 3);
    p.setPen(qc(Darken(bar, 40)));
    p.drawPoint(x0 + 1, r.top() + 4);
}

// An item's background: the bar's colour, or the menu's with its icon column; then the
// selection (or the hot frame of a menu-bar item under the pointer).
void paintItemBackground(QPainter& p, const TXPMenu& m, const ItemState& s, const QRect& R, const QRect& iconColumn,
                         bool hot)
{
    const XPMenuColors& c = m.colors();
    const int iw = m.IconWidth();
    if (s.topLevel) {
        // Without DrawMenuBar the bar keeps the system's menu colour.
        p.fillRect(R, qc(m.DrawMenuBar() ? c.menuBar : platform::colorToRGB(platform::systemColor(4))));
    } else if (m.highColor() && m.Gradient()) {
        iconColumnGradient(p, R, c.iconColumn, iw, s.rtl);
    } else {
        p.fillRect(R, qc(c.menuBackground));
        p.fillRect(iconColumn, qc(c.iconColumn));
    }
    if (s.selected && m.DrawSelect()) {
        if (s.topLevel) {
            drawMenuBarSelection(p, m, R, s.rtl);
        } else if (s.enabled) {
            const QRect sel = R.adjusted(0, 1, m.FlatMenu() ? -1 : 0, -1);
            winRectangle(p, sel, c.selectionBorder, c.selectionFill);
        }
    } else if (hot && s.enabled) {
        winRectangle(p, QRect(R.left(), R.top(), R.width() - 7, R.height()), c.selectionBorder, c.selectionFill);
    }
}

void paintSeparator(QPainter& p, const TXPMenu& m, const ItemState& s, const QRect& R, const QRect& textRect)
{
    const int y = platform::roundHalfEven((R.top() + R.top() + R.height()) / 2.0);
    p.setPen(QPen(qc(m.colors().separator), 1));
    if (s.rtl) winLine(p, {textRect.right() - 7, y}, {textRect.left() - 1, y});
    else winLine(p, {textRect.left() + 7, y}, {textRect.right() + 1, y});
}

// An item's caption and shortcut in the colour its state gives, and a sub-menu's arrow.
void paintItemText(QPainter& p, const TXPMenu& m, const ItemState& s, const QRect& R, const QRect& textRect,
                   const QString& text)
{
    const XPMenuColors& c = m.colors();
    ColorRef textColour = s.enabled ? platform::colorToRGB(m.FontColor()) : c.disabled;
    if (s.selected) textColour = c.selectedText;
    if (!s.enabled) textColour = c.disabled;
    if (s.selected && s.topLevel && m.UseSystemColors()) {
        const ColorRef ic = c.iconColumn;
        const bool light = (redOf(ic) + blueOf(ic)) / 2 > 150 || greenOf(ic) > 200;
        textColour = light ? platform::colorToRGB(m.FontColor()) : Lighten(ic, 90);
    }
    const auto [caption, shortcut] = splitText(text);
    const QRect inner = s.rtl ? textRect.adjusted(0, 0, -3, 0) : textRect.adjusted(3, 0, 0, 0);
    drawMenuText(p, m, s, inner, caption, shortcut, textColour);
    if (s.subMenu && !s.topLevel) {
        // The sub-menu arrow, which the menu itself would draw beside an item of ours.
        p.setPen(Qt::NoPen);
        p.setBrush(qc(textColour));
        const int cy = R.height() / 2;
        const int x = s.rtl ? 8 : R.width() - 9;
        const QPoint tri[] = {{x, cy - 4}, {x + (s.rtl ? -4 : 4), cy}, {x, cy + 4}};
        p.drawPolygon(tri, 3);
    }
}

} // namespace

void TXPMenuStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                               const QWidget* widget) const
{
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (handles(widget) && element == CE_MenuBarEmptyArea && painter_->DrawMenuBar()) {
        // The bar beyond its items in the menu-bar colour.
        painter->fillRect(option->rect, qc(painter_->colors().menuBar));
        return;
    }
    if (!handles(widget) || !item) return QProxyStyle::drawControl(element, option, painter, widget);
    const TXPMenu& m = *painter_;
    const XPMenuColors& c = m.colors();
    if (element == CE_MenuEmptyArea) {
        painter->fillRect(option->rect, qc(c.menuBackground));
        return;
    }
    if (element != CE_MenuItem && element != CE_MenuBarItem) return QProxyStyle::drawControl(element, option, painter, widget);
    QAction* action = actionAtRect(widget, option->rect);
    if (item->menuItemType != QStyleOptionMenuItem::Separator && itemTag(action) == LeaveAloneTag)
        return QProxyStyle::drawControl(element, option, painter, widget);
    if (item->menuItemType == QStyleOptionMenuItem::Scroller || item->menuItemType == QStyleOptionMenuItem::TearOff)
        return QProxyStyle::drawControl(element, option, painter, widget);

    ItemState s{};
    s.topLevel = element == CE_MenuBarItem;
    s.enabled = option->state & State_Enabled;
    // A menu-bar item is open when sunken; merely selected it is under the pointer.
    const bool hot = s.topLevel && (option->state & State_Selected) && !(option->state & State_Sunken);
    s.selected = (option->state & State_Selected) && (!s.topLevel || (option->state & State_Sunken));
    s.checked = item->checkType != QStyleOptionMenuItem::NotCheckable && item->checked;
    s.radio = item->checkType == QStyleOptionMenuItem::Exclusive;
    s.separator = item->menuItemType == QStyleOptionMenuItem::Separator;
    s.rtl = option->direction == Qt::RightToLeft;
    s.isDefault = item->menuItemType == QStyleOptionMenuItem::DefaultItem;
    s.subMenu = item->menuItemType == QStyleOptionMenuItem::SubMenu;

    const QRect itemRect = option->rect;
    const int extra = s.topLevel ? 0 : 4;
    const int height = s.topLevel ? itemRect.height() - 1 : itemRect.height();
    if (itemRect.width() <= 0 || height <= 0) return;
    QImage bitmap(itemRect.width() + extra, height, QImage::Format_RGB32);
    QPainter p(&bitmap);
    const QRect R = bitmap.rect();
    const int iw = m.IconWidth();

    QImage glyph;
    if (!item->icon.isNull()) {
        const int extent = QProxyStyle::pixelMetric(PM_SmallIconSize, option, widget);
        glyph = item->icon.pixmap(QSize(extent, extent), 1.0).toImage();
    }
    const bool hasGlyph = !glyph.isNull();

    QRect iconColumn = s.rtl ? QRect(R.right() - iw + 1, 0, iw, R.height()) : QRect(0, 0, iw, R.height());
    QRect checkRect;
    if (hasGlyph) {
        checkRect = QRect(QPoint(iconColumn.left() + 1, iconColumn.top() + 2), QPoint(iconColumn.right() - 3, iconColumn.bottom() - 2));
        if (glyph.width() > iw) checkRect.setWidth(glyph.width());
    } else {
        checkRect = QRect(iconColumn.left() + (iw - 10) / 2, (R.height() - 10) / 2, 10, 10);
    }
    if (s.topLevel) checkRect.setHeight(checkRect.height() + 1);

    // The glyph's place.
    QPoint glyphAt;
    if (hasGlyph) {
        if (s.topLevel) glyphAt = s.rtl ? QPoint(R.width() - glyph.width() - 5, 3) : QPoint(1, 3);
        else if (glyph.width() < iw) glyphAt = QPoint(iconColumn.left() + (iw - glyph.width()) / 2, 3);
        else glyphAt = s.rtl ? QPoint(R.width() - glyph.width() - 2, 3) : QPoint(2, 3);
    }

    QRect textRect;
    if (s.topLevel) {
        textRect = R;
        if (hasGlyph) textRect.setLeft(std::max(4, glyphAt.x() + glyph.width() + 4) - 5);
    } else if (s.rtl) {
        int right = R.width() - iw;
        if (hasGlyph) right = std::min(right, R.width() - glyph.width() - 8);
        textRect = QRect(0, 0, right, R.height());
    } else {
        int left = iw;
        if (hasGlyph) left = std::max(left, glyphAt.x() + glyph.width() + 4);
        textRect = QRect(left, 0, R.width() - left, R.height());
    }

    paintItemBackground(p, m, s, R, iconColumn, hot);

    if (s.checked) drawCheck(p, m, s, checkRect, hasGlyph);
    if (hasGlyph) drawGlyph(p, m, s, glyph, glyphAt);

    if (s.separator) paintSeparator(p, m, s, R, textRect);
    else paintItemText(p, m, s, R, textRect, item->text);
    p.end();
    painter->drawImage(itemRect.left() - extra, itemRect.top(), bitmap);
}

void TXPMenuStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                 const QWidget* widget) const
{
    if (!handles(widget) || !qobject_cast<const QMenu*>(widget) || (element != PE_FrameMenu && element != PE_PanelMenu))
        return QProxyStyle::drawPrimitive(element, option, painter, widget);
    const TXPMenu& m = *painter_;
    const XPMenuColors& c = m.colors();
    const QRect whole = widget->rect();
    if (element == PE_PanelMenu) {
        painter->fillRect(option->rect, qc(c.menuBackground));
        return;
    }
    const bool rtl = option->direction == Qt::RightToLeft;
    const int w = whole.width(), h = whole.height();
    painter->save();
    // The margins take the items' background (the items start 4 pixels left of their place).
    const QRect back(-1, 0, w + 1, h);
    if (m.highColor() && m.Gradient()) {
        iconColumnGradient(*painter, rtl ? QRect(0, 0, w + 1, h) : back, c.iconColumn, m.IconWidth(), rtl);
    } else {
        painter->fillRect(whole, qc(c.menuBackground));
        painter->fillRect(rtl ? QRect(w - m.IconWidth() + 1, 0, m.IconWidth(), h) : QRect(-1, 0, m.IconWidth(), h),
                          qc(c.iconColumn));
    }
    // The popup keeps 2 pixels on the right and at the bottom for its shadow.
    const QRect r(0, 0, w - 2, h - 2);
    painter->setPen(QPen(qc(c.popupBorder), 1));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(r.adjusted(0, 0, -1, -1));
    if (rtl) {
        painter->setPen(QPen(qc(c.iconColumn), 1));
        winLine(*painter, {w - 3, 2}, {w - 2, h - 1});
    } else {
        painter->fillRect(QRect(QPoint(1, 2), QPoint(2, h - 2 - 1)), qc(c.iconColumn));
    }
    painter->fillRect(QRect(2, h - 2, w - 2, 2), qc(c.popupShadow));
    painter->fillRect(QRect(w - 2, 2, 2, h - 2), qc(c.popupShadow));
    painter->restore();
}

} // namespace controls
