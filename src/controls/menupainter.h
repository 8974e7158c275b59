#pragma once
// The menu painter: draws the menus of the form that owns it in a flat style (a tinted icon
// column, filled and outlined selections, drawn checks and radio dots, dimmed or greyed glyphs,
// thin separators, a flat popup border with a two-pixel shadow).
//
// The painter is a non-visual object owned by its form. While active it gives each menu of the
// form (the menu bar and every popup) its drawing style; a menu or a menu action whose "Tag"
// property is 999 is left alone.
#include "platform/colors.h"

#include <QFont>
#include <QObject>
#include <QPointer>
#include <QProxyStyle>
#include <QSet>
#include <QWidget>

class QAction;
class QMenu;
class QMenuBar;
class QPainter;

namespace controls {

using platform::ColorRef;

constexpr ColorRef clInactiveCaption = platform::systemColor(3);
constexpr ColorRef clMenuText = platform::systemColor(7);

// The tag that keeps a component or menu item out of the painter's hands.
constexpr int LeaveAloneTag = 999;
// The "Tag" of an object (its dynamic property "Tag"; 0 when it has none).
int tagOf(const QObject* object);
void setTag(QObject* object, int tag);

// Each channel moved percent of the way to 255, rounded; percent at most 100.
ColorRef Lighten(ColorRef colour, int percent);
// n subtracted from red and blue and n - 2 from green, each clamped to 0..255.
ColorRef Darken(ColorRef colour, int amount);

enum TXPControl {
    xcMainMenu, xcPopupMenu, xcToolbar, xcControlbar, xcCombo, xcListBox, xcEdit, xcMaskEdit, xcMemo,
    xcRichEdit, xcMiscEdit, xcCheckBox, xcRadioButton, xcButton, xcBitBtn, xcSpeedButton, xcUpDown,
    xcPanel, xcGroupBox, xcTreeView, xcListView, xcProgressBar, xcHotKey
};
enum TXPContainer {
    xccForm, xccFrame, xccToolbar, xccCoolbar, xccControlbar, xccPanel, xccScrollBox, xccGroupBox,
    xccTabSheet, xccPageScroller
};
using TXPControls = QSet<TXPControl>;
using TXPContainers = QSet<TXPContainer>;
TXPControls allXPControls();
TXPContainers allXPContainers();

class TXPMenu;

// The colours the painter draws with, derived from its properties.
struct XPMenuColors {
    ColorRef menuBackground = 0;
    ColorRef iconColumn = 0;
    ColorRef selectionFill = 0;
    ColorRef checkFill = 0;
    ColorRef checkFillSelected = 0;
    ColorRef popupBorder = 0;
    ColorRef popupShadow = 0;
    ColorRef selectionBorder = 0;
    ColorRef selectedText = 0;
    ColorRef menuBar = 0;
    ColorRef disabled = 0;
    ColorRef checkMark = 0;
    ColorRef separator = 0;
};

// The drawing style given to the painter's menus; it draws with its painter's settings and hands
// everything it does not draw (and every item tagged 999) to the style the menu had before.
class TXPMenuStyle : public QProxyStyle {
    Q_OBJECT
public:
    explicit TXPMenuStyle(TXPMenu* painter);

    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;

    TXPMenu* painter() const { return painter_; }

private:
    bool handles(const QWidget* widget) const;
    QPointer<TXPMenu> painter_;
};

class TXPMenu : public QObject {
    Q_OBJECT
public:
    // owner: the form whose menus are drawn.
    explicit TXPMenu(QWidget* owner);
    ~TXPMenu() override;

    QWidget* ownerForm() const { return owner_; }

    // Registers with the manager once the properties are set (the form's loading).
    void Loaded();

    int DimLevel() const { return dimLevel_; }
    void setDimLevel(int v) { dimLevel_ = v; }
    int GrayLevel() const { return grayLevel_; }
    void setGrayLevel(int v) { grayLevel_ = v; }
    const QFont& Font() const { return font_; }
    ColorRef FontColor() const { return fontColor_; }
    void setFont(const QFont& font, ColorRef colour);
    ColorRef Color() const { return color_; }
    void setColor(ColorRef c) { color_ = c; colorsChanged_ = true; }
    bool DrawMenuBar() const { return drawMenuBar_; }
    void setDrawMenuBar(bool v) { drawMenuBar_ = v; }
    ColorRef IconBackColor() const { return iconBackColor_; }
    void setIconBackColor(ColorRef c) { iconBackColor_ = c; colorsChanged_ = true; }
    ColorRef MenuBarColor() const { return menuBarColor_; }
    void setMenuBarColor(ColorRef c);
    ColorRef SelectColor() const { return selectColor_; }
    void setSelectColor(ColorRef c) { selectColor_ = c; colorsChanged_ = true; }
    ColorRef SelectBorderColor() const { return selectBorderColor_; }
    void setSelectBorderColor(ColorRef c) { selectBorderColor_ = c; colorsChanged_ = true; }
    ColorRef SelectFontColor() const { return selectFontColor_; }
    void setSelectFontColor(ColorRef c) { selectFontColor_ = c; colorsChanged_ = true; }
    ColorRef DisabledColor() const { return disabledColor_; }
    void setDisabledColor(ColorRef c) { disabledColor_ = c; colorsChanged_ = true; }
    ColorRef SeparatorColor() const { return separatorColor_; }
    void setSeparatorColor(ColorRef c) { separatorColor_ = c; colorsChanged_ = true; }
    ColorRef CheckedColor() const { return checkedColor_; }
    void setCheckedColor(ColorRef c) { checkedColor_ = c; colorsChanged_ = true; }
    int IconWidth() const { return iconWidth_; }
    void setIconWidth(int v) { iconWidth_ = v; }
    bool DrawSelect() const { return drawSelect_; }
    void setDrawSelect(bool v) { drawSelect_ = v; }
    bool UseSystemColors() const { return useSystemColors_; }
    void setUseSystemColors(bool v);
    bool UseDimColor() const { return useDimColor_; }
    void setUseDimColor(bool v) { useDimColor_ = v; colorsChanged_ = true; }
    bool OverrideOwnerDraw() const { return overrideOwnerDraw_; }
    void setOverrideOwnerDraw(bool v);
    bool Gradient() const { return gradient_; }
    void setGradient(bool v) { gradient_ = v; }
    bool FlatMenu() const { return flatMenu_; }
    void setFlatMenu(bool v) { flatMenu_ = v; }
    bool AutoDetect() const { return autoDetect_; }
    void setAutoDetect(bool v) { autoDetect_ = v; }
    TXPContainers XPContainers() const { return xpContainers_; }
    void setXPContainers(const TXPContainers& v);
    TXPControls XPControls() const { return xpControls_; }
    void setXPControls(const TXPControls& v);
    bool Active() const { return active_; }
    void setActive(bool v);
    bool DisableSubclassing() const { return disableSubclassing_; }
    void setDisableSubclassing(bool v);

    // Whether the screen has more than 15 bits per pixel; fixed at creation.
    bool highColor() const { return highColor_; }
    void setHighColorForTest(bool v) { highColor_ = v; colorsChanged_ = true; }

    // The colours drawn with, recomputed when a colour property changed.
    const XPMenuColors& colors() const;

    TXPMenuStyle* style() const { return style_; }

    // Gives the painter's style to one menu (bar or popup) or takes it back; a menu that has its
    // own style keeps it unless OverrideOwnerDraw is on, and only the painter's own style is
    // taken back.
    void applyToMenu(QWidget* menu, bool active);

    // Applies or removes the painter on the menus of a form (its menu bar and popup menus).
    void applyToForm(QWidget* form, bool active);

    // Measures a menu item: size.width()/height() are the sizes given by the menu.
    QSize measureItem(const QString& caption, const QString& shortcut, bool topLevel, bool hasSubMenu,
                      QSize glyph, QSize given) const;

private:
    friend class TXPMenuStyle;
    void recomputeColors() const;
    void redrawMenuBar();

    QPointer<QWidget> owner_;
    QList<QPointer<QWidget>> styled_; // the menus given the style
    TXPMenuStyle* style_;
    int dimLevel_ = 30;
    int grayLevel_ = 10;
    QFont font_;
    ColorRef fontColor_ = clMenuText;
    ColorRef color_ = platform::clBtnFace;
    bool drawMenuBar_ = false;
    ColorRef iconBackColor_ = platform::clBtnFace;
    ColorRef menuBarColor_ = platform::clBtnFace;
    ColorRef selectColor_ = platform::clHighlight;
    ColorRef selectBorderColor_ = platform::clHighlight;
    ColorRef selectFontColor_ = clMenuText;
    ColorRef disabledColor_ = clInactiveCaption;
    ColorRef separatorColor_ = platform::clBtnFace;
    ColorRef checkedColor_ = platform::clHighlight;
    int iconWidth_ = 24;
    bool drawSelect_ = true;
    bool useSystemColors_ = true;
    bool useDimColor_ = false;
    bool overrideOwnerDraw_ = false;
    bool gradient_ = false;
    bool flatMenu_ = false;
    bool autoDetect_ = false;
    TXPContainers xpContainers_;
    TXPControls xpControls_;
    bool active_ = false;
    bool disableSubclassing_ = false;
    bool highColor_ = true;
    bool registered_ = false;
    mutable bool colorsChanged_ = true;
    mutable XPMenuColors colors_;
};

} // namespace controls
