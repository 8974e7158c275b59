// The full-size viewer as a user meets it: opened from "Edit picture" or a click on the preview,
// a rectangle marked with the mouse and cut out (judged against ImageMagick's crop), undo, the
// turns, the effect tree and sharpen reached from it, and writes that fail.
#include "editing_fixture.h"

#include "effects/ui/fullsizeform.h"
#include "platform/process.h"
#include "support/filesizelimit.h"

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

#include <cmath>
#include <functional>

namespace {

class ViewerTest : public EditingTest {
protected:
    // Opens the viewer with "Edit picture" and runs body while it is up (shown as its modal loop
    // shows it); the close button ends it.
    void inViewer(const std::function<void(TFullsizeForm&)>& body)
    {
        dialogs.modalForms.clear();
        bool ran = false;
        dialogs.modalScript.push_back([&](QDialog& d) {
            auto* viewer = qobject_cast<TFullsizeForm*>(&d);
            if (!viewer) {
                ADD_FAILURE() << "not the viewer: " << d.metaObject()->className();
                return int(platform::mrCancel);
            }
            // Modal, as its modal loop makes it: every other window is blocked but its own.
            viewer->setWindowModality(Qt::ApplicationModal);
            viewer->show();
            QCoreApplication::processEvents();
            body(*viewer);
            viewer->CloseBitBtn->click();
            ran = true;
            return viewer->result();
        });
        form->BildbearbeitungBitBtnClick();
        EXPECT_TRUE(ran);
        EXPECT_EQ(dialogs.modalForms.value(0), "FullsizeForm");
    }

    // The client point of a picture pixel in the viewer's image control.
    static QPoint clientOf(TFullsizeForm& v, int bx, int by)
    {
        imaging::TPixImage* p = v.PixImage1;
        return {p->DstLeft() + bx * p->DstWidth() / p->BitmapWidth(), p->DstTop() + by * p->DstHeight() / p->BitmapHeight()};
    }
    // Marks a rectangle as the user does: press at one corner, drag, release at the other.
    static void mark(TFullsizeForm& v, QPoint from, QPoint to)
    {
        QTest::mousePress(v.PixImage1, Qt::LeftButton, {}, from);
        QTest::mouseMove(v.PixImage1, (from + to) / 2);
        QTest::mouseMove(v.PixImage1, to);
        QTest::mouseRelease(v.PixImage1, Qt::LeftButton, {}, to);
    }
    // The mouse moved with these buttons held (QTest moves only the cursor).
    static void move(TFullsizeForm& v, QPoint at, Qt::MouseButtons held)
    {
        QMouseEvent e(QEvent::MouseMove, at, v.PixImage1->mapToGlobal(at), Qt::NoButton, held, {});
        QApplication::sendEvent(v.PixImage1, &e);
    }
    // The mouse moved without a button.
    static void hover(TFullsizeForm& v, QPoint at) { move(v, at, Qt::NoButton); }
    static QRect marked(TFullsizeForm& v)
    {
        imaging::TPixImage* p = v.PixImage1;
        return p->HasRgn() ? QRect(p->RgnLeft(), p->RgnTop(), p->RgnWidth(), p->RgnHeight()) : QRect();
    }

    // ImageMagick's peak signal-to-noise ratio of two pictures, in dB ("inf" for equal ones).
    double psnr(const QString& a, const QString& b)
    {
        const QString text = testsupport::runHost(QString("compare -metric PSNR '%1' '%2' null: 2>&1").arg(a, b)).trimmed();
        if (text.startsWith("inf")) return 1000;
        return text.section(' ', 0, 0).toDouble();
    }
    // The reference cut: convert -crop of the original, saved at the quality of the viewer's cut.
    QString referenceCut(const QRect& r)
    {
        const QString ref = world.root() + "/reference.jpg";
        EXPECT_EQ(run(QString("convert '%1' -crop %2x%3+%4+%5 +repage -quality 98 '%6'")
                          .arg(original)
                          .arg(r.width())
                          .arg(r.height())
                          .arg(r.x())
                          .arg(r.y())
                          .arg(ref)),
                  0);
        return ref;
    }

    // The sum of squared differences of neighbouring grey values: what sharpening raises.
    static double edgeEnergy(const QImage& image)
    {
        const QImage g = image.convertToFormat(QImage::Format_Grayscale8);
        double sum = 0;
        for (int y = 0; y + 1 < g.height(); ++y)
            for (int x = 0; x + 1 < g.width(); ++x) {
                const int v = g.constScanLine(y)[x];
                const int right = g.constScanLine(y)[x + 1] - v, down = g.constScanLine(y + 1)[x] - v;
                sum += right * right + down * down;
            }
        return sum;
    }

    static QSize sizeOf(imaging::TPixImage* p) { return {p->BitmapWidth(), p->BitmapHeight()}; }
    QSize fileSize() { return fileImage().size(); }
};

} // namespace

TEST_F(ViewerTest, EditPictureOpensTheViewerWithThePictureFittedAndEveryButtonLeadsSomewhere)
{
    if (!haveChecks()) GTEST_SKIP();
    showWithPicture(400, 300);
    inViewer([&](TFullsizeForm& v) {
        EXPECT_EQ(v.windowTitle(), ProductInfo.Title);
        EXPECT_EQ(v.CutBitBtn->text(), LangText(3004));
        EXPECT_EQ(sizeOf(v.PixImage1), QSize(400, 300));
        EXPECT_EQ(imageOf(v.PixImage1), imageOf(form->PixImage2));
        // Fitted: the whole picture in the window, at the scale of its tighter side.
        EXPECT_EQ(v.PixImage1->PaintSizeMode(), imaging::smFit);
        const double scale = std::min(v.PixImage1->ClientWidth() / 400.0, v.PixImage1->ClientHeight() / 300.0);
        EXPECT_NEAR(v.PixImage1->DstWidth(), 400 * scale, 1.0);
        EXPECT_NEAR(v.PixImage1->DstHeight(), 300 * scale, 1.0);
        EXPECT_EQ(v.PixImage1->HScrollStep(), 81); // a fifth of the width and one
        EXPECT_FALSE(v.UndoBitBtn->isEnabled());

        v.FullsizeBitBtn->click();
        EXPECT_EQ(v.PixImage1->DstWidth(), 400);
        v.FitBitBtn->click();
        EXPECT_EQ(v.PixImage1->PaintSizeMode(), imaging::smFit);

        // Print opens the main window's print menu; help reaches the help pages.
        v.PrintBitBtn->click();
        EXPECT_TRUE(form->PopupMenu1->isVisible());
        form->PopupMenu1->hide();
        platform::ProgramTable::instance().set("open", "/nonexistent/opener");
        v.HelpBitBtn->click();
        platform::ProgramTable::instance().loadFromEnvironment();
        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_TRUE(dialogs.messages[0].text.startsWith(
            "Unable to start internet browser! Make sure you have it properly set-up on your system!\nThe help could not be opened"));
    });
    EXPECT_FALSE(form->fullsizeForm().isVisible());

    // A click on the preview opens it too, while the edit button is on.
    dialogs.modalScript.push_back([](QDialog&) { return int(platform::mrCancel); });
    form->PixImage2Click();
    EXPECT_EQ(dialogs.modalForms.size(), 2);
    form->BildbearbeitungBitBtn->setEnabled(false);
    form->PixImage2Click();
    EXPECT_EQ(dialogs.modalForms.size(), 2);
}

TEST_F(ViewerTest, ACutWritesTheMarkedRectangleAndUndoRestoresTheOriginal)
{
    if (!haveChecks() || !testsupport::haveHostProgram("compare")) GTEST_SKIP();
    showWithPicture(400, 300);
    QRect cut;
    inViewer([&](TFullsizeForm& v) {
        mark(v, clientOf(v, 60, 50), clientOf(v, 300, 230));
        cut = marked(v);
        ASSERT_FALSE(cut.isEmpty());
        EXPECT_NEAR(cut.left(), 60, 2);
        EXPECT_NEAR(cut.right(), 300, 2);
        EXPECT_EQ(v.PixImage1->RgnFrameType(), 2);

        // A press inside picks the rectangle up; the floater then follows the mouse while the
        // button is held, and stays where it was let go.
        const QPoint inside = clientOf(v, 150, 120);
        QTest::mousePress(v.PixImage1, Qt::LeftButton, {}, inside);
        ASSERT_NE(v.PixImage1->Floater(), nullptr);
        EXPECT_TRUE(v.FloaterDragging);
        EXPECT_EQ(v.PixImage1->RgnFrameType(), 0);
        const int left = v.PixImage1->FloaterLeft(), top = v.PixImage1->FloaterTop();
        move(v, inside + QPoint(30, 20), Qt::LeftButton);
        EXPECT_EQ(v.PixImage1->FloaterLeft(), left + 30);
        EXPECT_EQ(v.PixImage1->FloaterTop(), top + 20);
        QTest::mouseRelease(v.PixImage1, Qt::LeftButton, {}, inside + QPoint(30, 20));
        EXPECT_FALSE(v.FloaterDragging);
        hover(v, inside + QPoint(80, 60));
        hover(v, inside + QPoint(-20, 5));
        EXPECT_EQ(v.PixImage1->FloaterLeft(), left + 30);
        EXPECT_EQ(v.PixImage1->FloaterTop(), top + 20);
        ASSERT_NE(v.PixImage1->Floater(), nullptr);
        // A second press inside drags it on from there.
        QTest::mousePress(v.PixImage1, Qt::LeftButton, {}, inside + QPoint(30, 20));
        move(v, inside + QPoint(40, 20), Qt::LeftButton);
        QTest::mouseRelease(v.PixImage1, Qt::LeftButton, {}, inside + QPoint(40, 20));
        EXPECT_EQ(v.PixImage1->FloaterLeft(), left + 40);

        v.CutBitBtn->click();
        EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messageTexts().join('|').toStdString();
        // The viewer shows the cut at 100 percent, with no floater and no region left.
        EXPECT_EQ(sizeOf(v.PixImage1), cut.size());
        EXPECT_EQ(v.PixImage1->PaintSizeMode(), imaging::smNormal);
        EXPECT_EQ(v.PixImage1->Floater(), nullptr);
        EXPECT_FALSE(v.PixImage1->HasRgn());
        EXPECT_EQ(v.PixImage1->RgnFrameType(), 2);
        EXPECT_EQ(v.PixImage1->RgnShape(), imaging::rsRectangle);
        EXPECT_TRUE(v.UndoBitBtn->isEnabled());

        // The rectangle as marked, not where the floater was moved.
        const QString file = showHost("pic.jpg");
        EXPECT_EQ(identify("%wx%h", file), QString("%1x%2").arg(cut.width()).arg(cut.height()));
        EXPECT_EQ(identify("%Q", file), "98");
        EXPECT_GE(psnr(file, referenceCut(cut)), 35.0);
        EXPECT_EQ(run(QString("cmp -s '%1' '%2'").arg(original, hostProgram("UNDO_1.jpg"))), 0);
        // Thumbnail and preview follow.
        EXPECT_EQ(sizeOf(form->PixImage2), cut.size());
        const QString thumb = showHost("_THUMB_1pic.jpg");
        ASSERT_TRUE(QFile::exists(thumb));
        EXPECT_TRUE(form->QuorbelListBox->Items()[0].contains("_THUMB_1pic.jpg"));
        const QSize t = QImage(thumb).size();
        EXPECT_NEAR(double(t.width()) / t.height(), double(cut.width()) / cut.height(), 0.05);

        v.UndoBitBtn->click();
        EXPECT_EQ(readAll(file), readAll(original));
        EXPECT_EQ(sizeOf(v.PixImage1), QSize(400, 300));
        EXPECT_FALSE(v.UndoBitBtn->isEnabled());
        EXPECT_FALSE(v.FloaterDragging);
        EXPECT_EQ(v.PixImage1->RgnShape(), imaging::rsRectangle);
    });
    EXPECT_EQ(form->UndoDepth, 0);
}

TEST_F(ViewerTest, ACutWithoutARectangleOrPastThePicture)
{
    if (!haveChecks() || !testsupport::haveHostProgram("compare")) GTEST_SKIP();
    struct Case {
        const char* name;
        QRect region; // client rectangle at 100 percent; empty: nothing marked
        QRect cut;    // what is written; empty: nothing
    };
    const Case cases[] = {
        {"nothing marked", {}, {}},
        {"past the right and bottom edges", {300, 200, 500, 400}, {300, 200, 100, 100}},
        {"past the left and top edges", {-50, -40, 150, 100}, {0, 0, 100, 60}},
    };
    showWithPicture(400, 300);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.messages.clear();
        inViewer([&](TFullsizeForm& v) {
            v.FullsizeBitBtn->click();
            if (!c.region.isEmpty()) v.PixImage1->SetRgnRect(c.region.x(), c.region.y(), c.region.width(), c.region.height(), 1);
            v.CutBitBtn->click();
            const QString file = showHost("pic.jpg");
            if (c.cut.isEmpty()) {
                EXPECT_EQ(dialogs.messageTexts(), QStringList{LangText(3011)});
                EXPECT_EQ(dialogs.messages.value(0).kind, platform::MessageKind::Information);
                EXPECT_EQ(readAll(file), readAll(original));
                EXPECT_EQ(form->UndoDepth, 0);
                return;
            }
            EXPECT_TRUE(dialogs.messages.isEmpty());
            EXPECT_EQ(fileSize(), c.cut.size());
            EXPECT_GE(psnr(file, referenceCut(c.cut)), 35.0);
            v.UndoBitBtn->click();
            EXPECT_EQ(readAll(file), readAll(original));
        });
    }
}

// The middle button starts no screen capture in any window of the program; and where a caller
// does switch one on, nothing the capture puts into the viewer is cut into the picture.
TEST_F(ViewerTest, AMiddleClickNeverPutsAScreenGrabIntoThePicture)
{
    if (!haveChecks() || !testsupport::haveHostProgram("compare")) GTEST_SKIP();
    showWithPicture(400, 300);
    auto middleClick = [](TFullsizeForm& v, QPoint at) {
        QTest::mousePress(v.PixImage1, Qt::MiddleButton, {}, at);
        QTest::mouseMove(v.PixImage1, at + QPoint(20, 10));
        QTest::mouseRelease(v.PixImage1, Qt::MiddleButton, {}, at + QPoint(20, 10));
        QCoreApplication::processEvents();
    };
    QRect cut;
    inViewer([&](TFullsizeForm& v) {
        for (QWidget* w : QApplication::allWidgets())
            if (auto* control = qobject_cast<imaging::TPixImage*>(w)) {
                EXPECT_FALSE(control->EnableZoomInCapture()) << control->objectName().toStdString();
            }
        middleClick(v, clientOf(v, 200, 150));
        EXPECT_FALSE(v.PixImage1->ZoomInDragging());
        EXPECT_EQ(imageOf(v.PixImage1), imageOf(form->PixImage2));
        mark(v, clientOf(v, 40, 30), clientOf(v, 220, 250));
        cut = marked(v);
        ASSERT_FALSE(cut.isEmpty());
        middleClick(v, clientOf(v, 100, 100));
        v.CutBitBtn->click();
        EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messageTexts().join('|').toStdString();
        EXPECT_EQ(fileSize(), cut.size());
        EXPECT_GE(psnr(showHost("pic.jpg"), referenceCut(cut)), 35.0);
        v.UndoBitBtn->click();
        EXPECT_EQ(readAll(showHost("pic.jpg")), readAll(original));

        // A capture switched on: the viewer may show a piece of the screen, but a rectangle
        // marked on it is not the picture's, and nothing is written.
        v.PixImage1->SetEnableZoomInCapture(true);
        middleClick(v, clientOf(v, 200, 150));
        v.PixImage1->SetEnableZoomInCapture(false);
        if (v.PixImage1->HasImage() && imageOf(v.PixImage1) != imageOf(form->PixImage2)) {
            v.PixImage1->SetRgnRect(2, 2, v.PixImage1->BitmapWidth() - 4, v.PixImage1->BitmapHeight() - 4, 1);
            dialogs.messages.clear();
            v.CutBitBtn->click();
            EXPECT_EQ(dialogs.messageTexts(), QStringList{LangText(3011)});
        }
        EXPECT_EQ(readAll(showHost("pic.jpg")), readAll(original));
        EXPECT_EQ(form->UndoDepth, 0);
        if (v.PixImage1->HasImage()) {
            EXPECT_EQ(imageOf(form->PixImage2), imageOf(v.PixImage1));
        }
    });
}

TEST_F(ViewerTest, TurnButtonsTurnTheWayTheirHintsSay)
{
    if (!haveChecks()) GTEST_SKIP();
    // Blue with a red block in the top-left corner.
    showWithPicture(60, 40, "xc:blue", "-fill red -draw 'rectangle 0,0 19,14'");
    enum Corner { TopLeft, TopRight, BottomLeft, BottomRight };
    struct Case {
        const char* name;
        std::function<QToolButton*(TFullsizeForm&)> button;
        int hint;
        QSize size;
        Corner red;
    };
    // In the viewer and in the main window alike: a positive angle turns clockwise.
    const Case cases[] = {
        {"viewer, rotate left", [](TFullsizeForm& v) { return v.SpeedButton6; }, 603, {40, 60}, BottomLeft},
        {"viewer, rotate right", [](TFullsizeForm& v) { return v.SpeedButton5; }, 604, {40, 60}, TopRight},
        {"viewer, rotate by 180", [](TFullsizeForm& v) { return v.SpeedButton7; }, 605, {60, 40}, BottomRight},
        {"viewer, mirror horizontally", [](TFullsizeForm& v) { return v.SpeedButton9; }, 606, {60, 40}, TopRight},
        {"viewer, mirror vertically", [](TFullsizeForm& v) { return v.SpeedButton10; }, 607, {60, 40}, BottomLeft},
        {"main window, rotate left", [this](TFullsizeForm&) { return form->SpeedButton6; }, 603, {40, 60}, BottomLeft},
        {"main window, rotate right", [this](TFullsizeForm&) { return form->SpeedButton5; }, 604, {40, 60}, TopRight},
    };
    auto redCorner = [](const QImage& image) {
        const QPoint corners[] = {{4, 4}, {image.width() - 5, 4}, {4, image.height() - 5}, {image.width() - 5, image.height() - 5}};
        int found = -1;
        for (int i = 0; i < 4; ++i) {
            const QRgb p = image.pixel(corners[i]);
            if (qRed(p) > 180 && qBlue(p) < 100) found = found < 0 ? i : 9;
        }
        return found;
    };
    ASSERT_EQ(redCorner(fileImage()), TopLeft);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        inViewer([&](TFullsizeForm& v) {
            QToolButton* b = c.button(v);
            EXPECT_EQ(b->toolTip(), LangText(c.hint));
            b->click();
            EXPECT_EQ(fileSize(), c.size);
            EXPECT_EQ(redCorner(fileImage()), c.red);
            if (b->window() == &v) {
                // The viewer shows the turned picture, and the undo button is on.
                EXPECT_EQ(sizeOf(v.PixImage1), c.size);
                EXPECT_TRUE(v.UndoBitBtn->isEnabled());
            }
            form->UndoBitBtnClick();
            EXPECT_EQ(readAll(showHost("pic.jpg")), readAll(original));
        });
    }
}

TEST_F(ViewerTest, TheEffectTreeFromTheViewerWritesWhatTheDrawingControlComputes)
{
    if (!haveChecks() || !testsupport::haveHostProgram("compare")) GTEST_SKIP();
    showWithPicture(320, 240);
    inViewer([&](TFullsizeForm& v) {
        v.EffekteBitBtn->click();
        ASSERT_TRUE(dialog().isVisible());
        EXPECT_FALSE(dialog().EffectPanel->isHidden());
        // The dialog opened from the modal viewer takes clicks: "Mosaic" chosen with the mouse.
        QTreeWidgetItem* mosaic = dialog().ETree->findItems("Mosaic", Qt::MatchExactly).value(0);
        ASSERT_NE(mosaic, nullptr);
        dialog().ETree->scrollToItem(mosaic);
        const QPoint at = dialog().ETree->viewport()->mapTo(&dialog(), dialog().ETree->visualItemRect(mosaic).center());
        QTest::mouseClick(dialog().windowHandle(), Qt::LeftButton, {}, at);
        ASSERT_EQ(dialog().SelectedFxId(), 9);
        dialog().EBar->setValue(8);

        effects::Bitmap24 expected;
        ASSERT_EQ(effectsui::LoadBitmapFile(form->SelectedPicture, expected), 1);
        effects::TvelPaintFX::Mosaic(expected, 8);
        dialog().SaveBitBtnClick();
        EXPECT_FALSE(dialog().isVisible());
        EXPECT_EQ(form->Art->RangeBitmap, expected);
        const QString png = world.root() + "/expected.png";
        ASSERT_TRUE(effectsui::ToImage(expected).save(png));
        EXPECT_GE(psnr(showHost("pic.jpg"), png), 35.0);
        EXPECT_EQ(identify("%Q", showHost("pic.jpg")), "80");
        // The viewer follows at once, with its undo button on.
        EXPECT_EQ(imageOf(v.PixImage1), imageOf(form->PixImage2));
        EXPECT_EQ(imageOf(v.PixImage1), QImage(showHost("pic.jpg")).convertToFormat(QImage::Format_BGR888));
        EXPECT_TRUE(v.UndoBitBtn->isEnabled());
    });
}

TEST_F(ViewerTest, SharpenAndSoftenChangeTheEdgesTheWayTheBarSays)
{
    if (!haveChecks()) GTEST_SKIP();
    struct Case {
        int amount;
        bool sharper;
    };
    const Case cases[] = {{700, true}, {-700, false}};
    showWithPicture(200, 150);
    const double before = edgeEnergy(fileImage());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.amount);
        inViewer([&](TFullsizeForm& v) {
            dialogs.modalScript.push_back([&](QDialog& d) {
                auto& f = static_cast<TPixEffectsForm&>(d);
                EXPECT_EQ(f.Mode, "SHARPEN");
                f.FormActivate();
                EXPECT_FALSE(f.SharpenPanel->isHidden());
                drag(f.SharpenTrackBar, c.amount);
                f.SaveBitBtnClick();
                return f.result();
            });
            v.SharpenBitBtn->click();
            const double after = edgeEnergy(fileImage());
            if (c.sharper) EXPECT_GT(after, before * 1.2);
            else EXPECT_LT(after, before * 0.8);
            EXPECT_EQ(imageOf(v.PixImage1), imageOf(form->PixImage2));
            EXPECT_TRUE(v.UndoBitBtn->isEnabled());
            v.UndoBitBtn->click();
            EXPECT_EQ(readAll(showHost("pic.jpg")), readAll(original));
        });
    }
}

TEST_F(ViewerTest, AWriteThatFailsLeavesThePictureAndTheUndoStackAsTheyWere)
{
    if (!haveChecks()) GTEST_SKIP();
    struct Case {
        const char* name;
        std::function<void(TFullsizeForm&)> edit;
    };
    const Case cases[] = {
        {"cut", [](TFullsizeForm& v) {
             mark(v, clientOf(v, 10, 10), clientOf(v, 390, 290));
             v.CutBitBtn->click();
         }},
        {"turn", [](TFullsizeForm& v) { v.SpeedButton5->click(); }},
        {"sharpen", [this](TFullsizeForm& v) {
             dialogs.modalScript.push_back([](QDialog& d) {
                 auto& f = static_cast<TPixEffectsForm&>(d);
                 f.FormActivate();
                 drag(f.SharpenTrackBar, 1000);
                 f.SaveBitBtnClick();
                 return f.result();
             });
             v.SharpenBitBtn->click();
         }},
        {"effect", [this](TFullsizeForm& v) {
             v.EffekteBitBtn->click();
             dialog().SelectEffect("Noise/Color");
             dialog().EListClick();
             dialog().EBar->setValue(200);
             dialog().SaveBitBtnClick();
             dialog().hide();
         }},
    };
    // A picture stored small: every rewrite of it is larger than the disk allows.
    showWithPicture(400, 300, "-seed 5 plasma:fractal", "-quality 30");
    const QByteArray bytes = readAll(original);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.messages.clear();
        form->ClearUndo();
        inViewer([&](TFullsizeForm& v) {
            {
                testsupport::FileSizeLimit full(rlim_t(bytes.size()) + 512);
                c.edit(v);
            }
            EXPECT_EQ(readAll(showHost("pic.jpg")), bytes);
            EXPECT_EQ(form->UndoDepth, 0);
            EXPECT_FALSE(QFile::exists(hostProgram("UNDO_1.jpg")));
            EXPECT_FALSE(v.UndoBitBtn->isEnabled());
            EXPECT_FALSE(form->UndoBitBtn->isEnabled());
            ASSERT_FALSE(dialogs.messages.isEmpty());
            EXPECT_EQ(dialogs.messages.last().kind, platform::MessageKind::Error);
            // What the viewer and the main window show is the picture as it is.
            EXPECT_EQ(sizeOf(v.PixImage1), QSize(400, 300));
            EXPECT_EQ(imageOf(form->PixImage2), QImage(showHost("pic.jpg")).convertToFormat(QImage::Format_BGR888));
        });
    }
}
