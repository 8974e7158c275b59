// The gallery window takes its place in the start-up's fixed order.
#include "web_fixture.h"

#include "app/startup.h"
#include "output/web/htmlform.h"
#include "output/web/webwindows.h"

#include <QPushButton>

class WebStartupTest : public EditorTest {};

TEST_F(WebStartupTest, TheGalleryWindowIsMadeInItsPlace)
{
    RegisterWebWindows();
    const auto windows = CreateApplicationWindows();
    THTMLForm* html = nullptr;
    for (const auto& w : windows)
        if (w->objectName() == "HTMLForm") html = qobject_cast<THTMLForm*>(w.get());
    ASSERT_NE(html, nullptr);
    EXPECT_EQ(THTMLForm::instance(), html);
    EXPECT_EQ(html->BitBtn1->text(), LangText(3512));
    EXPECT_FALSE(html->isVisible());
}
