#pragma once
// A show with one picture selected in the main window, and the checks of an edit written over it
// (by ImageMagick's identify, jpeginfo and cmp).
#include "editor/pictures_fixture.h"

#include "effects/paintfx.h"
#include "effects/ui/bitmapfiles.h"
#include "effects/ui/painteffectsform.h"
#include "effects/ui/pixeffectsform.h"
#include "effects/ui/veldrawimage.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTreeWidget>
#include <QtTest/QTest>

#include <functional>

class EditingTest : public PicturesTest {
protected:
    QString original;

    static bool haveChecks()
    {
        return haveTools() && testsupport::haveHostProgram("cmp") && testsupport::haveHostProgram("jpeginfo");
    }

    // A show with one picture of w x h, selected; its bytes kept beside the show.
    void showWithPicture(int w = 400, int h = 300, const QString& fill = "-seed 5 plasma:fractal", const QString& options = {})
    {
        makeJpeg(srcHost("pic.jpg"), w, h, options, fill);
        createWithNewShow();
        form->AddPictureToShow(srcWin("pic.jpg"), -1);
        clickShowItem(0);
        original = world.root() + "/original.jpg";
        QFile::remove(original);
        ASSERT_TRUE(QFile::copy(showHost("pic.jpg"), original));
    }

    TPainterEffectsF& dialog() { return *form->Art->EffectsDialog(); }

    QString identify(const QString& format, const QString& host)
    {
        return testsupport::runHost(QString("identify -format '%1' '%2'").arg(format, host)).trimmed();
    }
    static int run(const QString& command)
    {
        int status = -1;
        testsupport::runHost(command, &status);
        return status;
    }

    // The saved picture: full size, a sound JPEG of quality 80, the undo copy the old bytes, the
    // list item on a fresh thumbnail.
    void expectSavedEdit(int w, int h, const QString& quality)
    {
        const QString file = showHost("pic.jpg");
        EXPECT_EQ(identify("%wx%h", file), QString("%1x%2").arg(w).arg(h));
        EXPECT_EQ(identify("%Q", file), quality);
        EXPECT_EQ(run(QString("jpeginfo -c '%1'").arg(file)), 0);
        EXPECT_EQ(run(QString("cmp -s '%1' '%2'").arg(original, hostProgram("UNDO_1.jpg"))), 0);
        EXPECT_NE(run(QString("cmp -s '%1' '%2'").arg(original, file)), 0);
        EXPECT_EQ(form->UndoDepth, 1);
        EXPECT_TRUE(form->UndoBitBtn->isEnabled());
        EXPECT_TRUE(QFile::exists(showHost("_THUMB_1pic.jpg")));
        EXPECT_TRUE(form->QuorbelListBox->Items()[0].contains("_THUMB_1pic.jpg"));
        EXPECT_EQ(form->QuorbelListBox->ItemIndex(), 0);
    }
    void expectUnchanged(const QByteArray& hash)
    {
        EXPECT_EQ(sha256(showHost("pic.jpg")), hash);
        EXPECT_FALSE(QFile::exists(hostProgram("UNDO_1.jpg")));
        EXPECT_EQ(form->UndoDepth, 0);
    }
    static double meanOf(const QImage& image, int channel)
    {
        double sum = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = image.pixel(x, y);
                sum += channel == 0 ? qRed(p) : channel == 1 ? qGreen(p) : qBlue(p);
            }
        return sum / (double(image.width()) * image.height());
    }
    static QImage imageOf(imaging::TPixImage* control)
    {
        const sdk::SdkBitmapHandle* b = control->Bitmap();
        QImage image(b->Width, b->Height, QImage::Format_BGR888);
        for (int y = 0; y < b->Height; ++y) std::memcpy(image.scanLine(y), b->row(y), std::size_t(b->Width) * 3);
        return image;
    }
    QImage fileImage() { return QImage(showHost("pic.jpg")); }
};

// A drag as the user makes it: the value changes with the button down, then the button comes up.
inline void drag(QSlider* bar, int value)
{
    bar->setSliderDown(true);
    bar->setValue(value);
    bar->setSliderDown(false);
}

