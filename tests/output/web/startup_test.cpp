// The gallery window takes its place in the start-up's fixed order.
#include "web_fixture.h"

#include "app/startup.h"
#include "output/web/htmlform.h"
#include "output/web/webwindows.h"
#include "app/windowregistry.h"

#include <QPushButton>

#include <algorithm>

class WebStartupTest : public EditorTest {};

TEST_F(WebStartupTest, TheGalleryWindowIsMadeInItsPlace)
{
    TMainForm main(outputWindows()); // the show host, made first as at start-up
    RegisterWebWindows([&main]() -> show::ShowHost& { return main.showHost(); }, util::TextTable::instance());
    const auto windows = CreateApplicationWindows();
    auto* html = WindowRegistry::named<THTMLForm>(QStringLiteral("HTMLForm"));
    ASSERT_NE(html, nullptr);
    EXPECT_NE(std::find_if(windows.begin(), windows.end(), [html](const auto& w) { return w.get() == html; }), windows.end());
    EXPECT_EQ(THTMLForm::instance(), html);
    EXPECT_EQ(html->BitBtn1->text(), LangText(3512));
    EXPECT_FALSE(html->isVisible());
}
