// The window registry: the newest live window of a type or name is found, a window leaves when
// it is destroyed, and a window class that derives from RegisteredWindow enters itself.
#include "app/windowregistry.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QMainWindow>

#include <algorithm>
#include <memory>

namespace {

class SelfEnteringDialog : public QDialog, public RegisteredWindow<SelfEnteringDialog> {};

} // namespace

TEST(WindowRegistry, FindsTheNewestLiveWindowByTypeAndName)
{
    EXPECT_EQ(SelfEnteringDialog::instance(), nullptr);
    auto first = std::make_unique<SelfEnteringDialog>();
    first->setObjectName(QStringLiteral("Shared"));
    EXPECT_EQ(SelfEnteringDialog::instance(), first.get());
    {
        SelfEnteringDialog second;
        second.setObjectName(QStringLiteral("Shared"));
        EXPECT_EQ(SelfEnteringDialog::instance(), &second);
        EXPECT_EQ(WindowRegistry::named(QStringLiteral("Shared")), &second);
    }
    // The newer one is gone: the older one is found again, never a dangling window.
    EXPECT_EQ(SelfEnteringDialog::instance(), first.get());
    EXPECT_EQ(WindowRegistry::named<QDialog>(QStringLiteral("Shared")), first.get());
    EXPECT_EQ(WindowRegistry::named<QMainWindow>(QStringLiteral("Shared")), nullptr);
    first.reset();
    EXPECT_EQ(SelfEnteringDialog::instance(), nullptr);
    EXPECT_EQ(WindowRegistry::named(QStringLiteral("Shared")), nullptr);
}

TEST(WindowRegistry, APlainWindowIsFoundOnlyOnceEntered)
{
    QMainWindow plain;
    plain.setObjectName(QStringLiteral("Plain"));
    EXPECT_EQ(WindowRegistry::find<QMainWindow>(), nullptr);
    WindowRegistry::add(&plain);
    WindowRegistry::add(&plain); // entering again changes nothing
    EXPECT_EQ(WindowRegistry::find<QMainWindow>(), &plain);
    const auto all = WindowRegistry::windows();
    EXPECT_EQ(std::count(all.begin(), all.end(), &plain), 1);
}
