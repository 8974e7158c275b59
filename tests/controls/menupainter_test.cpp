// The menu painter: item geometry, the colours of a rendered menu, items left alone, and the
// manager that carries the active painter to other forms and borders the popups.
#include "controls/menumanager.h"
#include "controls/menupainter.h"
#include "platform/rounding.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QImage>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStyleFactory>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTextEdit>
#include <QToolBar>

#include <gtest/gtest.h>

#include <memory>

using namespace controls;
using platform::ColorRef;

namespace {

ColorRef pixelAt(const QImage& img, int x, int y)
{
    return platform::qcolorToColor(QColor(img.pixel(x, y)));
}

std::string hex(ColorRef c)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%06X", static_cast<unsigned>(c) & 0xFFFFFF);
    return buf;
}

// Channels within one step of each other (the banded gradient interpolates between its ends).
bool near(ColorRef a, ColorRef b, int tolerance = 1)
{
    return std::abs(platform::redOf(a) - platform::redOf(b)) <= tolerance &&
           std::abs(platform::greenOf(a) - platform::greenOf(b)) <= tolerance &&
           std::abs(platform::blueOf(a) - platform::blueOf(b)) <= tolerance;
}

// A form with a menu bar, one popup of every kind of item, and a painter set as the main window
// sets its own.
struct MenuForm {
    std::unique_ptr<QMainWindow> form = std::make_unique<QMainWindow>();
    QMenu* file = nullptr;
    QAction* open = nullptr;
    QAction* gone = nullptr;
    QAction* tick = nullptr;
    QAction* dot = nullptr;
    QAction* separator = nullptr;
    QAction* plain = nullptr;
    QMenu* popup = nullptr;
    TXPMenu* painter = nullptr;

    explicit MenuForm(bool gradient = true, bool activate = true)
    {
        file = form->menuBar()->addMenu(QStringLiteral("&File"));
        open = file->addAction(QStringLiteral("&Open"));
        open->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
        gone = file->addAction(QStringLiteral("Gone"));
        gone->setEnabled(false);
        tick = file->addAction(QStringLiteral("Tick"));
        tick->setCheckable(true);
        tick->setChecked(true);
        dot = file->addAction(QStringLiteral("Dot"));
        dot->setCheckable(true);
        dot->setChecked(true);
        auto* group = new QActionGroup(file);
        group->addAction(dot);
        separator = file->addSeparator();
        plain = file->addAction(QStringLiteral("Plain"));
        popup = new QMenu(form.get());
        popup->addAction(QStringLiteral("Print all"));
        painter = new TXPMenu(form.get());
        painter->setDimLevel(0);
        QFont font(QStringLiteral("Tahoma"));
        font.setPixelSize(11);
        painter->setFont(font, clMenuText);
        painter->setUseDimColor(true);
        painter->setGradient(gradient);
        painter->setFlatMenu(true);
        painter->setXPContainers({});
        painter->setXPControls({xcMainMenu, xcPopupMenu});
        if (activate) painter->setActive(true);
        painter->Loaded();
    }

    // The menu drawn as it would be on screen.
    static QImage render(QMenu* menu, QAction* active = nullptr)
    {
        menu->adjustSize();
        menu->setActiveAction(active);
        return menu->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
};

} // namespace

TEST(MenuColours, LightenAndDarken)
{
    EXPECT_EQ(Lighten(platform::rgbColor(100, 0, 200), 50), platform::rgbColor(178, 128, 228));
    EXPECT_EQ(Lighten(platform::rgbColor(1, 2, 3), 0), platform::rgbColor(1, 2, 3));
    EXPECT_EQ(Lighten(platform::rgbColor(1, 2, 3), 250), platform::clWhite) << "at most 100 percent";
    // Halves go to even: 255 - 105 = 150, 150 * 5 % = 7.5 gives 8 (even), 151 * 5 % = 7.55 gives 8.
    EXPECT_EQ(platform::redOf(Lighten(platform::rgbColor(105, 0, 0), 5)), 113);
    EXPECT_EQ(Darken(platform::rgbColor(100, 100, 100), 30), platform::rgbColor(70, 72, 70));
    EXPECT_EQ(Darken(platform::rgbColor(10, 1, 250), 90), platform::rgbColor(0, 0, 160)) << "clamped at 0";
}

TEST(MenuColours, EffectiveColoursFollowTheSettings)
{
    QWidget owner;
    TXPMenu painter(&owner);
    painter.setUseSystemColors(false);
    painter.setSelectColor(platform::rgbColor(0, 0, 200));
    painter.setUseDimColor(true);
    EXPECT_EQ(painter.colors().selectionFill, Lighten(platform::rgbColor(0, 0, 200), 68));
    EXPECT_EQ(painter.colors().checkFillSelected, Lighten(platform::rgbColor(0, 0, 200), 50));
    // 256 colours: the select colour itself, white and silver for the checks.
    painter.setHighColorForTest(false);
    EXPECT_EQ(painter.colors().selectionFill, platform::rgbColor(0, 0, 200));
    EXPECT_EQ(painter.colors().checkFill, platform::clWhite);
    EXPECT_EQ(painter.colors().checkFillSelected, platform::clSilver);
    // System colours replace the properties.
    painter.setHighColorForTest(true);
    painter.setUseSystemColors(true);
    EXPECT_EQ(painter.colors().selectionFill, Lighten(platform::clHighlight, 68));
    EXPECT_EQ(painter.colors().menuBackground, Lighten(platform::clBtnFace, 86));
    EXPECT_EQ(painter.colors().separator, Lighten(platform::clBtnShadow, 25));
}

TEST(MenuGeometry, ItemsSeparatorsAndIconWidth)
{
    MenuForm f;
    MenuForm::render(f.file);
    const QFontMetrics fm(f.painter->Font());
    const int textHeight = fm.height();
    const int itemHeight = textHeight + platform::roundHalfEven(textHeight * 0.75);
    EXPECT_EQ(f.file->actionGeometry(f.separator).height(), 4);
    EXPECT_EQ(f.file->actionGeometry(f.plain).height(), itemHeight);
    EXPECT_EQ(f.file->actionGeometry(f.open).height(), itemHeight);
    EXPECT_EQ(f.file->actionGeometry(f.open).left(), 3) << "inside the popup's three-pixel frame";
    // An item with a glyph is at least the glyph and 6 high.
    QPixmap glyph(16, 16);
    glyph.fill(Qt::red);
    f.plain->setIcon(QIcon(glyph));
    MenuForm::render(f.file);
    EXPECT_EQ(f.file->actionGeometry(f.plain).height(), std::max(itemHeight, 22));
    // The measure itself: width of caption, shortcut and room, the icon column, a sub-menu's arrow.
    const QSize m = f.painter->measureItem(QStringLiteral("&Open"), QStringLiteral("Ctrl+O"), false, true, {}, {0, 0});
    EXPECT_EQ(m.width(), fm.horizontalAdvance(QStringLiteral("&OpenCtrl+OWWW")) + 5 - fm.horizontalAdvance('&') + 6 + 24);
    const QSize top = f.painter->measureItem(QStringLiteral("File"), {}, true, true, {}, {0, 0});
    EXPECT_EQ(top.width(), fm.horizontalAdvance(QStringLiteral("File")) + 5) << "no icon column and no arrow in the bar";
    EXPECT_EQ(f.painter->measureItem(QStringLiteral("x"), {}, false, false, {}, {500, 90}), QSize(500, 90))
        << "the sizes given by the menu are kept when larger";
    // The icon column without the gradient: the strip in the frame and 20 pixels of the item
    // (it starts 4 pixels left of the item), the menu background after it.
    MenuForm solid(false);
    const QImage img = MenuForm::render(solid.file);
    const int y = solid.file->actionGeometry(solid.plain).center().y();
    const XPMenuColors& c = solid.painter->colors();
    for (int x = 1; x <= 22; ++x) EXPECT_EQ(hex(pixelAt(img, x, y)), hex(c.iconColumn)) << "x " << x;
    EXPECT_EQ(hex(pixelAt(img, 23, y)), hex(c.menuBackground));
    EXPECT_EQ(hex(pixelAt(img, 0, y)), hex(c.popupBorder)) << "the outline";
}

TEST(MenuDrawing, ColoursOfEachKindOfItem)
{
    MenuForm f;
    const XPMenuColors& c = f.painter->colors();
    const QImage normal = MenuForm::render(f.file);
    const int w = normal.width(), h = normal.height();
    auto row = [&](QAction* a) { return f.file->actionGeometry(a); };

    // Normal item: the icon-column gradient, column k of the item (from 4 left of it) in
    // Lighten(icon column, 3k) inside the icon column and 5 more pixels, then 1 more per column up
    // to 96.
    const QRect plain = row(f.plain);
    const int y = plain.center().y();
    const int aboveText = plain.top() + 1;
    auto percentAt = [](int x) { // x in menu coordinates; the item's column is x - 3 + 4
        const int k = x + 1;
        return k < 29 ? 3 * k : std::min(96, 87 + (k - 29));
    };
    MenuForm dark;
    dark.painter->setUseSystemColors(false);
    dark.painter->setIconBackColor(platform::rgbColor(0, 0, 128));
    const QImage darkImg = MenuForm::render(dark.file);
    for (int x : {3, 10, 22, 27, 28, 29, 30, 40, 45})
        EXPECT_TRUE(near(pixelAt(darkImg, x, aboveText), Lighten(platform::rgbColor(0, 0, 128), percentAt(x))))
            << "x " << x << " " << hex(pixelAt(darkImg, x, aboveText)) << " vs "
            << hex(Lighten(platform::rgbColor(0, 0, 128), percentAt(x)));
    EXPECT_EQ(hex(pixelAt(darkImg, darkImg.width() - 6, aboveText)), hex(Lighten(platform::rgbColor(0, 0, 128), 96)));
    EXPECT_EQ(hex(pixelAt(normal, w - 6, y)), hex(Lighten(c.iconColumn, 96)));

    // The popup's border: outline, strip, shadow on the right and at the bottom.
    EXPECT_EQ(hex(pixelAt(normal, 0, h / 2)), hex(c.popupBorder));
    EXPECT_EQ(hex(pixelAt(normal, w - 3, h / 2)), hex(c.popupBorder));
    EXPECT_EQ(hex(pixelAt(normal, w / 2, h - 3)), hex(c.popupBorder));
    EXPECT_EQ(hex(pixelAt(normal, 1, h / 2)), hex(c.iconColumn));
    EXPECT_EQ(hex(pixelAt(normal, w - 1, h / 2)), hex(c.popupShadow));
    EXPECT_EQ(hex(pixelAt(normal, w / 2, h - 1)), hex(c.popupShadow));

    // Separator: one line in the separator colour from 7 pixels past the icon column.
    const QRect sep = row(f.separator);
    const int lineY = sep.top() + 2;
    EXPECT_EQ(hex(pixelAt(normal, 24 - 4 + 3 + 7 + 2, lineY)), hex(c.separator));
    EXPECT_NE(hex(pixelAt(normal, 24 - 4 + 3 + 7 + 2, lineY + 1)), hex(c.separator));
    EXPECT_NE(hex(pixelAt(normal, 24 - 4 + 3 + 5, lineY)), hex(c.separator)) << "the line starts 7 in";

    // Checked item without a glyph: a 10 x 10 box centred in the icon column, a black mark.
    const QRect tick = row(f.tick);
    const int L = 3 - 4 + (24 - 10) / 2, T = tick.top() + (tick.height() - 10) / 2;
    EXPECT_EQ(hex(pixelAt(normal, L, T + 5)), hex(c.checkMark)) << "the box outline";
    EXPECT_EQ(hex(pixelAt(normal, L + 9, T + 1)), hex(c.checkMark));
    EXPECT_EQ(hex(pixelAt(normal, L + 1, T + 1)), hex(c.checkFill)) << "the box fill";
    EXPECT_EQ(hex(pixelAt(normal, L + 4, T + 7)), hex(platform::clBlack)) << "the check mark";
    EXPECT_EQ(hex(pixelAt(normal, L + 1, T + 5)), hex(platform::clBlack));

    // Radio item: a dot in the selection-border colour inside its circle.
    const QRect dot = row(f.dot);
    const int DL = L, DT = dot.top() + (dot.height() - 10) / 2;
    EXPECT_EQ(hex(pixelAt(normal, DL + 4, DT + 4)), hex(c.selectionBorder)) << "the dot";

    // Text of an enabled item in the font's colour, of a disabled one never darker than the
    // disabled colour.
    auto darkest = [&](const QImage& img, const QRect& r) {
        ColorRef best = platform::clWhite;
        int bestSum = 3 * 255;
        for (int yy = r.top(); yy <= r.bottom(); ++yy)
            for (int xx = r.left() + 24; xx < r.right() - 4; ++xx) {
                const ColorRef p = pixelAt(img, xx, yy);
                const int sum = platform::redOf(p) + platform::greenOf(p) + platform::blueOf(p);
                if (sum < bestSum) { bestSum = sum; best = p; }
            }
        return best;
    };
    EXPECT_TRUE(near(darkest(normal, row(f.plain)), platform::colorToRGB(clMenuText), 40))
        << hex(darkest(normal, row(f.plain)));
    const ColorRef disabledInk = darkest(normal, row(f.gone));
    EXPECT_TRUE(near(disabledInk, c.disabled, 40)) << hex(disabledInk) << " vs " << hex(c.disabled);

    // Selected item: filled with the selection colour, outlined in the selection border, shrunk
    // by one at top and bottom and, with the flat menu, at the right.
    const QImage selected = MenuForm::render(f.file, f.plain);
    EXPECT_EQ(hex(pixelAt(selected, 30, plain.top() + 3)), hex(c.selectionFill));
    EXPECT_EQ(hex(pixelAt(selected, 30, plain.top() + 1)), hex(c.selectionBorder));
    EXPECT_EQ(hex(pixelAt(selected, 30, plain.bottom() - 1)), hex(c.selectionBorder));
    EXPECT_NE(hex(pixelAt(selected, 30, plain.top())), hex(c.selectionBorder)) << "one pixel of the row stays";
    EXPECT_EQ(hex(pixelAt(selected, plain.right() - 1, y)), hex(c.selectionBorder));
    EXPECT_NE(hex(pixelAt(selected, plain.right(), y)), hex(c.selectionBorder));
    EXPECT_EQ(hex(pixelAt(selected, 5, y)), hex(c.selectionFill)) << "across the icon column";
    // A disabled item gets no selection.
    const QImage disabledSelected = MenuForm::render(f.file, f.gone);
    EXPECT_NE(hex(pixelAt(disabledSelected, 30, row(f.gone).top() + 3)), hex(c.selectionFill));
}

TEST(MenuDrawing, GlyphsAreDimmedGreyedAndShadowed)
{
    MenuForm f;
    QPixmap red(16, 16);
    red.fill(QColor(200, 0, 0));
    f.plain->setIcon(QIcon(red));
    f.gone->setIcon(QIcon(red));
    const QImage img = MenuForm::render(f.file);
    const QRect plain = f.file->actionGeometry(f.plain);
    // Centred in the icon column (4 left of the item), 3 below the top.
    const int gx = 3 - 4 + (24 - 16) / 2, gy = plain.top() + 3;
    EXPECT_EQ(hex(pixelAt(img, gx + 8, gy + 8)), hex(platform::rgbColor(200, 0, 0))) << "no dimming at level 0";
    // Disabled: grey of the mean plus the grey level, lightened by 40 percent.
    const QRect gone = f.file->actionGeometry(f.gone);
    const int v = 200 / 3 + 10;
    EXPECT_EQ(hex(pixelAt(img, gx + 8, gone.top() + 3 + 8)), hex(Lighten(platform::rgbColor(v, v, v), 40)));
    // Selected: one up and left, with a shadow two right and down.
    const QImage sel = MenuForm::render(f.file, f.plain);
    EXPECT_EQ(hex(pixelAt(sel, gx, gy - 1)), hex(platform::rgbColor(200, 0, 0)));
    EXPECT_EQ(hex(pixelAt(sel, gx + 14, gy + 14)), hex(platform::rgbColor(200, 0, 0)));
    EXPECT_NE(hex(pixelAt(sel, gx + 15, gy + 15)), hex(platform::rgbColor(200, 0, 0)));
    EXPECT_EQ(hex(pixelAt(sel, gx + 16, gy + 16)), hex(Darken(f.painter->colors().selectionFill, 50)));
    // Dimmed when the level is set.
    f.painter->setDimLevel(50);
    const QImage dim = MenuForm::render(f.file);
    EXPECT_EQ(hex(pixelAt(dim, gx + 8, gy + 8)), hex(Lighten(platform::rgbColor(200, 0, 0), 50)));
}

TEST(MenuTags, Tag999IsLeftAlone)
{
    MenuForm f;
    const XPMenuColors& c = f.painter->colors();
    setTag(f.plain, LeaveAloneTag);
    const QImage img = MenuForm::render(f.file);
    const QRect plain = f.file->actionGeometry(f.plain);
    const QRect open = f.file->actionGeometry(f.open);
    // Its siblings are painted; the tagged item is the style's own, in its own height.
    EXPECT_TRUE(near(pixelAt(img, 10, open.center().y()), Lighten(c.iconColumn, 33)));
    EXPECT_FALSE(near(pixelAt(img, 10, plain.center().y()), Lighten(c.iconColumn, 33), 3));
    const QFontMetrics fm(f.painter->Font());
    EXPECT_NE(plain.height(), fm.height() + platform::roundHalfEven(fm.height() * 0.75));

    // A sub-menu item tagged 999 keeps the style's drawing; its own items are painted.
    QMenu* sub = f.file->addMenu(QStringLiteral("More"));
    sub->addAction(QStringLiteral("Inner"));
    setTag(sub->menuAction(), LeaveAloneTag);
    f.painter->applyToForm(f.form.get(), true);
    EXPECT_TRUE(qobject_cast<TXPMenuStyle*>(sub->style()));

    // A menu bar tagged 999 is left alone with all its menus.
    MenuForm g(true, false);
    setTag(g.form->menuBar(), LeaveAloneTag);
    g.painter->setActive(true);
    EXPECT_FALSE(qobject_cast<TXPMenuStyle*>(g.form->menuBar()->style()));
    EXPECT_FALSE(qobject_cast<TXPMenuStyle*>(g.file->style()));
    EXPECT_TRUE(qobject_cast<TXPMenuStyle*>(g.popup->style())) << "the form's popup menu is still painted";
}

TEST(MenuApply, ActiveOwnStylesAndControlSets)
{
    MenuForm f(true, false);
    EXPECT_FALSE(qobject_cast<TXPMenuStyle*>(f.file->style())) << "inactive until Active is set";
    std::unique_ptr<QStyle> own(QStyleFactory::create(QStringLiteral("Fusion")));
    f.popup->setStyle(own.get());
    f.painter->setActive(true);
    EXPECT_EQ(f.file->style(), f.painter->style());
    EXPECT_EQ(f.form->menuBar()->style(), f.painter->style());
    EXPECT_EQ(f.popup->style(), own.get()) << "a menu with its own drawing keeps it";
    f.painter->setOverrideOwnerDraw(true);
    EXPECT_EQ(f.popup->style(), f.painter->style());
    f.painter->setOverrideOwnerDraw(false);
    // Removal takes back only the painter's own style.
    QMenu* foreign = new QMenu(f.form.get());
    foreign->setStyle(own.get());
    f.painter->setActive(false);
    EXPECT_EQ(f.file->style(), QApplication::style());
    EXPECT_EQ(f.popup->style(), QApplication::style());
    EXPECT_EQ(foreign->style(), own.get());
    // Without the popup flag only the main menu is painted.
    f.painter->setXPControls({xcMainMenu});
    f.painter->setActive(true);
    EXPECT_EQ(f.file->style(), f.painter->style());
    EXPECT_EQ(f.popup->style(), QApplication::style());
    foreign->setStyle(nullptr);
}

TEST(MenuManager, FollowsFormsAndPopups)
{
    ASSERT_EQ(TXPMenuManager::instance(), nullptr);
    // Forms on screen before the painter: one plain, one tagged 999, one with its own painter.
    auto other = std::make_unique<QDialog>();
    QMenu* otherMenu = new QMenu(other.get());
    otherMenu->addAction(QStringLiteral("Item"));
    other->show();
    auto tagged = std::make_unique<QDialog>();
    QMenu* taggedMenu = new QMenu(tagged.get());
    setTag(tagged.get(), LeaveAloneTag);
    tagged->show();
    {
        auto f = std::make_unique<MenuForm>();
        TXPMenuManager* manager = TXPMenuManager::instance();
        ASSERT_NE(manager, nullptr);
        EXPECT_EQ(manager->activePainter(), f->painter);
        EXPECT_TRUE(manager->pendingForms().contains(other.get()));
        EXPECT_FALSE(manager->pendingForms().contains(tagged.get()));
        QCoreApplication::processEvents();
        EXPECT_TRUE(manager->pendingForms().isEmpty());
        EXPECT_EQ(otherMenu->style(), f->painter->style()) << "the active painter reaches the other form";
        EXPECT_NE(taggedMenu->style(), f->painter->style());

        // A form made later is taken when it comes up.
        auto later = std::make_unique<QDialog>();
        QMenu* laterMenu = new QMenu(later.get());
        later->show();
        QCoreApplication::processEvents();
        EXPECT_EQ(laterMenu->style(), f->painter->style());
        EXPECT_TRUE(manager->hookedForms().contains(later.get()));
        later.reset();
        EXPECT_FALSE(manager->hookedForms().contains(nullptr));

        // A popup of the painter gets the region that leaves the shadow's corners out, and gives it
        // back when hidden.
        f->file->popup(QPoint(100, 100));
        QCoreApplication::processEvents();
        ASSERT_TRUE(f->file->isVisible());
        const int w = f->file->width(), h = f->file->height();
        const QRegion region = f->file->mask();
        EXPECT_TRUE(region.contains(QPoint(0, 0)));
        EXPECT_FALSE(region.contains(QPoint(w - 1, 0)));
        EXPECT_FALSE(region.contains(QPoint(0, h - 1)));
        EXPECT_TRUE(region.contains(QPoint(w - 1, h - 1)));
        f->file->hide();
        QCoreApplication::processEvents();
        EXPECT_TRUE(f->file->mask().isEmpty());

        // A second painter takes over when the active one goes.
        auto second = std::make_unique<MenuForm>();
        EXPECT_EQ(manager->activePainter(), f->painter);
        f.reset();
        EXPECT_EQ(TXPMenuManager::instance(), manager);
        EXPECT_EQ(manager->activePainter(), second->painter);
        QCoreApplication::processEvents();
        EXPECT_EQ(otherMenu->style(), second->painter->style());
    }
    // With the last painter the manager goes, and with it the hook.
    EXPECT_EQ(TXPMenuManager::instance(), nullptr);
    EXPECT_EQ(otherMenu->style(), QApplication::style());
}

TEST(MenuDrawing, LowColourFillsWithTheSelectColourAndWhiteChecks)
{
    MenuForm f;
    f.painter->setUseSystemColors(false);
    f.painter->setSelectColor(platform::rgbColor(0, 0, 200));
    f.painter->setHighColorForTest(false);
    const QImage img = MenuForm::render(f.file, f.plain);
    const QRect plain = f.file->actionGeometry(f.plain);
    EXPECT_EQ(hex(pixelAt(img, 30, plain.top() + 3)), hex(platform::rgbColor(0, 0, 200)));
    const QRect tick = f.file->actionGeometry(f.tick);
    const int L = 3 - 4 + (24 - 10) / 2, T = tick.top() + (tick.height() - 10) / 2;
    EXPECT_EQ(hex(pixelAt(img, L + 1, T + 1)), hex(platform::clWhite));
    // No gradient in low colour: the icon column and the background are plain.
    const int y = tick.top() + 1;
    EXPECT_EQ(hex(pixelAt(img, 5, y)), hex(pixelAt(img, 20, y)));
    EXPECT_EQ(hex(pixelAt(img, 30, y)), hex(f.painter->colors().menuBackground));
}

TEST(MenuDrawing, RightToLeftPutsTheIconColumnOnTheRight)
{
    MenuForm f(false);
    f.file->setLayoutDirection(Qt::RightToLeft);
    const QImage img = MenuForm::render(f.file);
    const XPMenuColors& c = f.painter->colors();
    const QRect plain = f.file->actionGeometry(f.plain);
    const int y = plain.top() + 1;
    EXPECT_EQ(hex(pixelAt(img, plain.right() - 2, y)), hex(c.iconColumn));
    EXPECT_EQ(hex(pixelAt(img, plain.left() + 2, y)), hex(c.menuBackground));
}

namespace {

// A form with standard controls on its client area and in a group box.
struct ControlForm {
    std::unique_ptr<QMainWindow> form = std::make_unique<QMainWindow>();
    QWidget* client = new QWidget;
    QLineEdit* edit = new QLineEdit(client);
    QLineEdit* tagged = new QLineEdit(client);
    QCheckBox* check = new QCheckBox(QStringLiteral("Check"), client);
    QPushButton* button = new QPushButton(QStringLiteral("Push"), client);
    QTextEdit* rich = new QTextEdit(client);
    QTableView* table = new QTableView(client);
    QGroupBox* group = new QGroupBox(QStringLiteral("Group"), client);
    QLineEdit* inGroup = new QLineEdit(group);
    TXPMenu* painter = nullptr;

    explicit ControlForm(const TXPContainers& containers)
    {
        form->setCentralWidget(client);
        setTag(tagged, LeaveAloneTag);
        edit->setGeometry(0, 0, 120, 24);
        button->setGeometry(0, 30, 80, 26);
        painter = new TXPMenu(form.get());
        painter->setXPContainers(containers);
        painter->setActive(true);
        painter->Loaded();
    }
};

} // namespace

TEST(ControlRestyling, WhichControlsAreHooked)
{
    {
        ControlForm f({});
        for (QWidget* w : f.client->findChildren<QWidget*>()) EXPECT_EQ(hookOf(w), nullptr) << "no container kinds, no hooks";
    }
    ControlForm f({xccForm});
    EXPECT_NE(hookOf(f.edit), nullptr);
    EXPECT_NE(hookOf(f.check), nullptr);
    EXPECT_NE(hookOf(f.button), nullptr);
    EXPECT_EQ(hookOf(f.tagged), nullptr) << "tag 999";
    EXPECT_EQ(hookOf(f.rich), nullptr) << "rich edits are never recognised";
    EXPECT_EQ(hookOf(f.table), nullptr) << "list views are never recognised";
    EXPECT_EQ(hookOf(f.inGroup), nullptr) << "group boxes are not among the containers";
    EXPECT_NE(hookOf(f.group), nullptr) << "the group box itself sits on the form";
    f.painter->setXPContainers({xccForm, xccGroupBox});
    EXPECT_NE(hookOf(f.inGroup), nullptr);
    f.painter->setXPControls({xcMainMenu, xcPopupMenu});
    EXPECT_EQ(hookOf(f.edit), nullptr) << "the control set changed: taken off";
    f.painter->setXPControls(allXPControls());
    EXPECT_NE(hookOf(f.edit), nullptr);
    f.painter->setActive(false);
    EXPECT_EQ(hookOf(f.edit), nullptr);
    EXPECT_TRUE(f.edit->hasFrame());
    f.painter->setActive(true);
    QPointer<TControlSubClass> hook = hookOf(f.edit);
    ASSERT_TRUE(hook);
    delete f.painter;
    EXPECT_TRUE(hook.isNull());
    EXPECT_EQ(hookOf(f.edit), nullptr) << "the painter's hooks go with it";
}

TEST(ControlRestyling, EditFrameAndButtonFollowTheirState)
{
    ControlForm f({xccForm});
    const XPMenuColors& c = f.painter->colors();
    const ColorRef base = platform::qcolorToColor(f.edit->palette().color(QPalette::Base));
    auto at = [](QWidget* w, int x, int y) { return pixelAt(w->grab().toImage(), x, y); };
    EXPECT_EQ(hex(at(f.edit, 0, 12)), hex(Darken(base, 60)));
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(f.edit, &enter);
    EXPECT_TRUE(hookOf(f.edit)->mouseInside());
    EXPECT_EQ(hex(at(f.edit, 0, 12)), hex(Lighten(c.selectionBorder, 60)));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(f.edit, &leave);
    EXPECT_EQ(hex(at(f.edit, 0, 12)), hex(Darken(base, 60)));

    // A button: the face in the icon-column colour, its edge line at the bottom right, at the top
    // left while pressed.
    const QImage up = f.button->grab().toImage();
    EXPECT_EQ(hex(pixelAt(up, 40, 5)), hex(c.iconColumn));
    const ColorRef edge = Darken(Lighten(platform::clBtnShadow, 0), 50);
    EXPECT_EQ(hex(pixelAt(up, 40, up.height() - 2)), hex(edge));
    f.button->setDown(true);
    const QImage down = f.button->grab().toImage();
    EXPECT_EQ(hex(pixelAt(down, 40, 1)), hex(edge));
    EXPECT_NE(hex(pixelAt(down, 40, down.height() - 2)), hex(edge));
}

TEST(ControlRestyling, ToolBarButtonsAndSeparators)
{
    QMainWindow form;
    auto* bar = form.addToolBar(QStringLiteral("Tools"));
    QAction* plain = bar->addAction(QStringLiteral("A"));
    QAction* checked = bar->addAction(QStringLiteral("B"));
    checked->setCheckable(true);
    checked->setChecked(true);
    QAction* separator = bar->addSeparator();
    setTag(separator, 1);
    form.resize(300, 200);
    auto* painter = new TXPMenu(&form);
    painter->setXPContainers({});
    painter->setXPControls({xcToolbar});
    painter->setActive(true);
    const XPMenuColors& c = painter->colors();
    QWidget* plainButton = bar->widgetForAction(plain);
    QWidget* checkedButton = bar->widgetForAction(checked);
    QWidget* separatorWidget = bar->widgetForAction(separator);
    ASSERT_NE(hookOf(plainButton), nullptr) << "tool bars are drawn whatever the containers";
    ASSERT_NE(hookOf(separatorWidget), nullptr);
    const ColorRef barColour = platform::qcolorToColor(bar->palette().color(QPalette::Window));
    EXPECT_EQ(hex(pixelAt(plainButton->grab().toImage(), 1, 1)), hex(barColour));
    const QImage checkedImg = checkedButton->grab().toImage();
    EXPECT_EQ(hex(pixelAt(checkedImg, 2, 2)), hex(c.checkFill));
    EXPECT_EQ(hex(pixelAt(checkedImg, 0, 2)), hex(c.selectionBorder));
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(plainButton, &enter);
    EXPECT_EQ(hex(pixelAt(plainButton->grab().toImage(), 2, 2)), hex(c.selectionFill)) << "hot";
    const QImage sepImg = separatorWidget->grab().toImage();
    EXPECT_EQ(hex(pixelAt(sepImg, sepImg.width() / 2, sepImg.height() / 2)), hex(Darken(barColour, 30)));
    EXPECT_EQ(hex(pixelAt(sepImg, 0, sepImg.height() / 2)), hex(barColour));
    delete painter;
}

TEST(ControlRestyling, AutoDetectTakesNewMenusAndControls)
{
    ControlForm f({xccForm});
    f.painter->setAutoDetect(true);
    auto* late = new QLineEdit(f.client);
    QMenu* lateMenu = new QMenu(f.form.get());
    f.form->show();
    late->show();
    lateMenu->ensurePolished();
    late->ensurePolished();
    EXPECT_NE(hookOf(late), nullptr);
    EXPECT_EQ(lateMenu->style(), f.painter->style());
    f.painter->setAutoDetect(false);
    auto* later = new QLineEdit(f.client);
    later->ensurePolished();
    EXPECT_EQ(hookOf(later), nullptr) << "without AutoDetect only the walk takes controls";
}
