// The effects dialog's preview predicts the saved picture: for every effect of the tree the
// preview and the saved file, scaled by ImageMagick to the preview's size, agree; on a 12 MP
// photo too, where amounts that count pixels act on many more of them; and of several quick
// changes the last one is what the preview ends with.
#include "editing_fixture.h"

#include "effects/resample.h"

#include <QClipboard>
#include <QGuiApplication>

#include <QDir>
#include <QFileInfo>

#include <cmath>
#include <vector>

namespace {

class PreviewTest : public EditingTest {
protected:
    // Peak signal-to-noise ratio of two pictures of one size over the three channels, in dB.
    static double psnr(const QImage& a, const QImage& b)
    {
        const QImage x = a.convertToFormat(QImage::Format_RGB888), y = b.convertToFormat(QImage::Format_RGB888);
        if (x.size() != y.size() || x.isNull()) return -1;
        double sum = 0;
        for (int row = 0; row < x.height(); ++row) {
            const uchar* p = x.constScanLine(row);
            const uchar* q = y.constScanLine(row);
            for (int i = 0; i < x.width() * 3; ++i) sum += double(p[i] - q[i]) * (p[i] - q[i]);
        }
        const double mse = sum / (double(x.width()) * x.height() * 3);
        return mse == 0 ? 1000 : 10 * std::log10(255.0 * 255.0 / mse);
    }

    // The saved pictures as a person sees them at the preview's size: scaled by ImageMagick (one
    // run for all), each pixel the average of those it covers.
    std::vector<QImage> scaledByMagick(const QStringList& files, QSize size)
    {
        const QString out = world.root() + "/scaled";
        QDir().mkpath(out);
        QStringList quoted;
        for (const QString& f : files) quoted << "'" + f + "'";
        EXPECT_EQ(run(QString("mogrify -path '%1' -format png -scale %2x%3! %4")
                          .arg(out)
                          .arg(size.width())
                          .arg(size.height())
                          .arg(quoted.join(' '))),
                  0);
        std::vector<QImage> images;
        for (const QString& f : files) images.push_back(QImage(out + "/" + QFileInfo(f).completeBaseName() + ".png"));
        return images;
    }

    // Opens the effect tree, chooses the effect and sets its amount; the preview once it is there.
    QImage previewOf(const QString& path, int amount)
    {
        form->ShowPaintEffects();
        EXPECT_TRUE(dialog().SelectEffect(path));
        dialog().EListClick();
        dialog().EBar->setValue(amount);
        form->Art->WaitForPreview();
        EXPECT_FALSE(form->Art->PreviewPending());
        return dialog().PreviewImage();
    }

    // Saves; the saved file is kept as `keep` and the picture put back for the next edit.
    void saveAndKeep(const QString& keep)
    {
        dialog().SaveBitBtnClick();
        EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messageTexts().join('|').toStdString();
        dialogs.messages.clear();
        QFile::remove(keep);
        EXPECT_TRUE(QFile::copy(showHost("pic.jpg"), keep));
        writeAll(showHost("pic.jpg"), readAll(original));
        form->ClearUndo();
    }
};

} // namespace

TEST_F(PreviewTest, EveryEffectOfTheTreePreviewsWhatSaveWrites)
{
    if (!haveChecks()) GTEST_SKIP();
    // Six times the preview's width: pixel-sized amounts act on six times as many pixels.
    showWithPicture(1280, 720, "-seed 5 plasma:fractal -blur 0x1");
    QClipboard* clipboard = QGuiApplication::clipboard();
    effects::Bitmap24 second(1280, 720);
    for (int y = 0; y < 720; ++y)
        for (int x = 0; x < 1280; ++x) second.setPixel(x, y, effects::Bgr{std::uint8_t(x / 7), std::uint8_t(y / 4), 90});
    clipboard->setImage(effectsui::ToImage(second));
    const bool haveClipboard = !clipboard->image().isNull();

    struct Case {
        const char* path;
        int amount;
    };
    const Case cases[] = {
        {"Posterize", 60}, {"Gaussian Blur", 6}, {"Split Blur", 12}, {"Noise/Color", 120}, {"Noise/Mono", 120},
        {"Smooth", 10}, {"Seamless", 5}, {"Mosaic", 20}, {"Twist", 20}, {"Fisheye", 60}, {"Wave/Normal", 60},
        {"Wave/Extra", 60}, {"Wave/Inference", 5}, {"Rotate", 30}, {"Split Light", 3}, {"Wings/Deep", 150},
        {"Wings/Down", 150}, {"Wings/Up", 150}, {"Wings/Fold", 150}, {"Wings/Touche", 150}, {"Wings/Flyer", 150},
        {"Wings/Flipover", 150}, {"Wings/Wavy", 150}, {"Emboss", 50}, {"Colors/Red", 150}, {"Colors/Green", 150},
        {"Colors/Blue", 150}, {"Colors/XRed", 150}, {"Colors/XGreen", 150}, {"Colors/XBlue", 150},
        {"Squeeze/Horizontal", 120}, {"Squeeze/Top", 120}, {"Squeeze/Bottom", 120}, {"Squeeze/Diamond", 120},
        {"Squeeze/Waste", 120}, {"Squeeze/Round", 120}, {"Squeeze/Double Round", 120}, {"Split/Round", 120},
        {"Split/Waste", 120}, {"Shear", 40}, {"Plasma", 40}, {"MandelBrot", 50}, {"Julia", 50}, {"Triangles", 40},
        {"Ripple", 30}, {"Ripple/Tooth", 40}, {"Ripple/Triangle", 40}, {"Ripple/Random", 40}, {"Texturize/Tile", 40},
        {"Texturize/Overlap", 40}, {"Map", 40}, {"Blend", 60}, {"Solarize", 128},
    };
    std::vector<QImage> previews;
    QStringList saved, names;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        if (QString(c.path) == "Blend" && !haveClipboard) continue;
        previews.push_back(previewOf(c.path, c.amount));
        ASSERT_EQ(previews.back().size(), QSize(199, 112));
        saved << world.root() + QString("/saved%1.jpg").arg(saved.size());
        names << c.path;
        saveAndKeep(saved.back());
    }
    const std::vector<QImage> scaled = scaledByMagick(saved, QSize(199, 112));
    for (qsizetype i = 0; i < names.size(); ++i) EXPECT_GE(psnr(previews[std::size_t(i)], scaled[std::size_t(i)]), 30.0) << names[i].toStdString();
    clipboard->clear();
}

// A 12 MP photo: Twist's turns and Plasma's displacement count pixels, so the small copy
// alone would show something else than the save writes.
TEST_F(PreviewTest, ATwelveMegapixelPhotoPreviewsWhatSaveWrites)
{
    if (!haveChecks()) GTEST_SKIP();
    showWithPicture(5120, 2880, "-size 1280x720 -seed 3 plasma:fractal -resize 5120x2880!");
    const QImage preview = previewOf("Twist", 30);
    ASSERT_EQ(preview.size(), QSize(199, 112));
    // What the small copy alone gives is far from it.
    effects::Bitmap24 small = form->Art->Picture();
    effects::TvelPaintFX::Twist(small, small, 30);
    const QString saved = world.root() + "/saved.jpg";
    saveAndKeep(saved);
    const double db = psnr(preview, scaledByMagick({saved}, preview.size()).at(0));
    EXPECT_GE(db, 30.0);
    EXPECT_LT(psnr(effectsui::ToImage(small), preview), db - 5);
}

// Quick changes of the bar: the preview that stays is the one of the last value, computed on
// the full picture and scaled down; those before it are dropped.
TEST_F(PreviewTest, OfSeveralQuickChangesTheLastOneIsShown)
{
    if (!haveChecks()) GTEST_SKIP();
    showWithPicture(1200, 800);
    form->ShowPaintEffects();
    ASSERT_TRUE(dialog().SelectEffect("Twist"));
    dialog().EListClick();
    for (int amount : {3, 7, 12, 18, 25}) dialog().EBar->setValue(amount);
    form->Art->WaitForPreview();
    effects::Bitmap24 full;
    ASSERT_EQ(effectsui::LoadBitmapFile(form->SelectedPicture, full), 1);
    effects::TvelPaintFX::Twist(full, full, 25);
    const effects::Bitmap24 expected = effectsui::ScaledDown(full, form->Art->Picture().width(), form->Art->Picture().height());
    EXPECT_EQ(dialog().PreviewImage(), effectsui::ToImage(expected));
    EXPECT_EQ(form->Art->RangeBitmap, expected);
    // A tone change is shown at once, and a result still on its way does not replace it.
    dialog().EBar->setValue(30);
    ASSERT_TRUE(dialog().SelectEffect("Ripple")); // contrast
    dialog().EBar->setValue(4);
    EXPECT_FALSE(form->Art->PreviewPending());
    const QImage tone = dialog().PreviewImage();
    EXPECT_NE(tone, effectsui::ToImage(expected));
    form->Art->WaitForPreview();
    EXPECT_EQ(dialog().PreviewImage(), tone);
    dialog().AbortBitBtnClick();
}

// The colour dialog mixes the colours of the picture at its panes' size; what it shows is the
// saved picture (mixed at full size) scaled to that size.
TEST_F(PreviewTest, TheColourDialogPreviewsWhatSaveWritesAtItsPanesSize)
{
    if (!haveChecks()) GTEST_SKIP();
    showWithPicture(1280, 720, "-seed 5 plasma:fractal -blur 0x1");
    struct Case {
        int red, green, blue;
    };
    const Case cases[] = {{50, 100, 100}, {100, 10, 70}, {35, 80, 20}, {100, 100, 100}};
    std::vector<QImage> previews;
    QStringList saved;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.red << " " << c.green << " " << c.blue);
        dialogs.modalScript.push_back([&](QDialog& d) {
            auto& f = static_cast<TPixEffectsForm&>(d);
            f.FormActivate();
            f.RedTrackBar->setValue(c.red);
            f.GreenTrackBar->setValue(c.green);
            f.BlueTrackBar->setValue(c.blue);
            EXPECT_FALSE(f.PreviewPending);
            previews.push_back(imageOf(f.PixImage1));
            f.SaveBitBtnClick();
            return f.result();
        });
        form->RGBBitBtnClick();
        ASSERT_TRUE(dialogs.modalScript.empty());
        EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messageTexts().join('|').toStdString();
        // Shown at the pane's size, saved whole.
        EXPECT_LE(previews.back().width(), 232);
        EXPECT_EQ(identify("%wx%h", showHost("pic.jpg")), "1280x720");
        saved << world.root() + QString("/rgb%1.jpg").arg(saved.size());
        QFile::remove(saved.back());
        ASSERT_TRUE(QFile::copy(showHost("pic.jpg"), saved.back()));
        writeAll(showHost("pic.jpg"), readAll(original));
        form->ClearUndo();
    }
    const std::vector<QImage> scaled = scaledByMagick(saved, previews.front().size());
    for (std::size_t i = 0; i < previews.size(); ++i) EXPECT_GE(psnr(previews[i], scaled[i]), 30.0) << i;
}
