// The transition preview of the settings page: a line of the list put into the preview control,
// the number field, the two preview pictures in turn, and lists that are short or missing.
#include "editor/mainform.h"
#include "show/transitionpreview.h"
#include "editor_fixture.h"
#include "imaging/piximage.h"

#include <QImage>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class TransitionsTest : public EditorTest {
protected:
    std::unique_ptr<TMainForm> form;

    void writeList(const QByteArray& lines) { writeAll(hostProgram("Effects.ini"), lines); }
    void writePreviews()
    {
        QImage one(80, 60, QImage::Format_RGB32), two(80, 60, QImage::Format_RGB32);
        one.fill(Qt::red);
        two.fill(Qt::blue);
        one.save(hostProgram("Preview1.jpg"), "JPG");
        two.save(hostProgram("Preview2.jpg"), "JPG");
    }
    void create() { form = std::make_unique<TMainForm>(outputWindows()); }
    void TearDown() override
    {
        form.reset();
        EditorTest::TearDown();
    }
};

TEST_F(TransitionsTest, ALineSetsTheControlsEffectPropertiesAndBadLinesLeaveItAlone)
{
    writeList("2000;8;4;1;0\n7;10;4;0;2\n5000;0;300;0;-3\n4001;3;6\n6000;x;4;1;0\n");
    create();
    imaging::TPixImage* pix = form->PixImage1;
    struct Case {
        int line;
        int effect;
        std::uint32_t delay, grain, passes, wand;
    };
    // Line 2 names no effect of the control, line 4 is short, line 5 is no number: all keep line 3's.
    for (const Case& c : {Case{1, 2000, 8, 4, 1, 0}, Case{3, 5000, 0, 256, 1, 0}, Case{2, 5000, 0, 256, 1, 0},
                          Case{4, 5000, 0, 256, 1, 0}, Case{5, 5000, 0, 256, 1, 0}, Case{9, 5000, 0, 256, 1, 0}}) {
        SCOPED_TRACE(c.line);
        pix->SetWandColor(0xFFFFFF);
        form->ShowEffectPreview(c.line);
        EXPECT_EQ(pix->PaintEffect(), c.effect);
        EXPECT_EQ(pix->EffectDelay(), c.delay);
        EXPECT_EQ(pix->EffectGrain(), c.grain);
        EXPECT_EQ(pix->PaintMaxPasses(), c.passes);
        EXPECT_EQ(pix->WandSize(), c.wand);
        EXPECT_FALSE(pix->BackErase());
        if (c.line == 1 || c.line == 3) { EXPECT_EQ(pix->WandColor(), 0u); }
    }
}

TEST_F(TransitionsTest, EachChangePlaysTheTransitionIntoTheOtherPreviewPicture)
{
    writeList("2000;0;4;1;0\n5000;0;4;2;0\n");
    writePreviews();
    create();
    imaging::TPixImage* pix = form->PixImage1;
    std::vector<int> percents;
    pix->OnStatus = [&](imaging::TPixImage*, int percent) { percents.push_back(percent); };
    pix->SetEnableProgressEvent(true);
    pix->resize(160, 120);
    auto centre = [&] {
        pix->Refresh();
        const QRgb c = pix->ComposedFrame().pixel(80, 60);
        return qRed(c) > 200 && qBlue(c) < 60 ? 'r' : qBlue(c) > 200 && qRed(c) < 60 ? 'b' : '?';
    };

    form->SpinEdit1->setValue(2); // Preview1, red
    EXPECT_EQ(form->Effect, 2);
    EXPECT_EQ(pix->PaintEffect(), 5000);
    EXPECT_TRUE(pix->FileName().endsWith("Preview1.jpg"));
    percents.clear();
    EXPECT_EQ(centre(), 'r');
    std::vector<int> all;
    for (int i = 1; i <= 100; ++i) all.push_back(i);
    EXPECT_EQ(percents, all); // the transition played over both passes

    form->ShowAgainButton->click(); // the same number again: into Preview2, blue
    EXPECT_TRUE(pix->FileName().endsWith("Preview2.jpg"));
    EXPECT_EQ(centre(), 'b');
    form->ShowAgainButton->click();
    EXPECT_TRUE(pix->FileName().endsWith("Preview1.jpg"));

    // A missing preview picture leaves the control as it was.
    QFile::remove(hostProgram("Preview2.jpg"));
    form->ShowAgainButton->click();
    EXPECT_TRUE(pix->FileName().endsWith("Preview1.jpg"));
    EXPECT_EQ(centre(), 'r');
}

// Typing "120" plays one transition, the 120th, when the field is left; not one for 1 and 12
// on the way. The arrow keys play each step.
TEST_F(TransitionsTest, ANumberTypedIntoTheFieldPlaysOnePreviewForTheNumberItEndsWith)
{
    QByteArray many;
    for (int i = 1; i <= 130; ++i) many += "2000;0;4;1;" + QByteArray::number(i) + "\n"; // wand size = line
    writeList(many);
    writePreviews();
    create();
    std::vector<int> played;
    form->PixImage1->SetEnableProgressEvent(true);
    form->PixImage1->OnStatus = [&](imaging::TPixImage* p, int percent) {
        if (percent == 1) played.push_back(int(p->WandSize()));
    };
    form->ShowAgainButton->click(); // a picture in the control to play on
    played.clear();
    QSpinBox* field = form->SpinEdit1;
    field->selectAll();
    QTest::keyClicks(field, "120");
    EXPECT_TRUE(played.empty());
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(played, std::vector<int>{120});
    EXPECT_EQ(form->Effect, 120);
    QTest::keyClick(field, Qt::Key_Up);
    QTest::keyClick(field, Qt::Key_Up);
    EXPECT_EQ(played, (std::vector<int>{120, 121, 122}));
    EXPECT_EQ(form->Effect, 122);
}

TEST_F(TransitionsTest, TheNumberStaysInsideTheListAndOnlyTheOnButtonShowsThePreview)
{
    QByteArray many;
    for (int i = 0; i < 200; ++i) many += "2000;0;4;1;0\n";
    writeList(many);
    create();
    EXPECT_EQ(form->SpinEdit1->maximum(), 127);
    form->SpinEdit1->setValue(200);
    EXPECT_EQ(form->SpinEdit1->value(), 127);
    EXPECT_EQ(form->Effect, 127);

    form->TabSheet3->show();
    for (QRadioButton* b : {form->ONRadioButton, form->RNDRadioButton, form->OFFRadioButton}) {
        b->click();
        EXPECT_EQ(form->EffectPanel->isVisibleTo(form->TabSheet3), b == form->ONRadioButton) << b->objectName().toStdString();
        EXPECT_EQ(form->PixImage1->isVisibleTo(form->TabSheet3), b == form->ONRadioButton);
    }
}

TEST_F(TransitionsTest, AShortOrMissingListPlaysNothingAndBreaksNothing)
{
    for (const QByteArray& list : {QByteArray("2000;0;4\n"), QByteArray()}) {
        SCOPED_TRACE(list.toStdString());
        if (list.isEmpty()) QFile::remove(hostProgram("Effects.ini"));
        else writeList(list);
        writePreviews();
        create();
        EXPECT_EQ(form->SpinEdit1->maximum(), 1);
        form->ShowAgainButton->click();
        EXPECT_EQ(form->Effect, 1);
        EXPECT_EQ(form->PixImage1->PaintEffect(), 1000);
        EXPECT_TRUE(form->PixImage1->FileName().endsWith("Preview1.jpg")); // shown directly
        form.reset();
    }
}

} // namespace
