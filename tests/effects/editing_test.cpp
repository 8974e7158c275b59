// Editing a show picture from the main window: the effects dialog (brightness panel and effect
// tree) on the 199-pixel copy, saved at full size with an undo copy and a fresh thumbnail; the
// colour-balance and sharpen dialog likewise; cancelling and unreadable pictures change nothing.
#include "editing_fixture.h"

TEST_F(EditingTest, BrightnessPreviewsTheSmallCopyAndSavesTheFullPicture)
{
    if (!haveChecks()) GTEST_SKIP();
    showWithPicture(400, 300);
    form->FarbeBitBtnClick();
    // 300 x 199 / 400 = 149.25: the copy is 199 x 149.
    EXPECT_EQ(form->Art->Picture().width(), 199);
    EXPECT_EQ(form->Art->Picture().height(), 149);
    EXPECT_TRUE(dialog().isVisible());
    EXPECT_FALSE(dialog().HelligkeitPanel->isHidden());
    EXPECT_TRUE(dialog().EffectPanel->isHidden());
    EXPECT_EQ(dialog().OriginalImage().size(), QSize(400, 300));
    EXPECT_EQ(dialog().PreviewImage().size(), QSize(199, 149));
    // The centre bars reach to the dialog's outer size (a 512 x 463 client in its 2-pixel
    // border), also at the first showing, before the window system has framed it.
    EXPECT_EQ(dialog().cxbar->maximum(), 516);
    EXPECT_EQ(dialog().cybar->maximum(), 467);
    EXPECT_EQ(dialog().cxbar->value(), 258);
    EXPECT_EQ(dialog().cybar->value(), 233);

    const double before = meanOf(dialog().PreviewImage(), 1);
    dialog().HelligkeitTrackBar->setValue(120);
    EXPECT_GT(meanOf(dialog().PreviewImage(), 1), before + 20);
    EXPECT_TRUE(dialog().HelligkeitLabel->text().endsWith(": 120"));

    const double fileBefore = meanOf(fileImage(), 1);
    dialog().SaveBitBtnClick();
    EXPECT_FALSE(dialog().isVisible());
    EXPECT_EQ(form->Art->RangeBitmap.width(), 400);
    expectSavedEdit(400, 300, "80");
    EXPECT_GT(meanOf(fileImage(), 1), fileBefore + 20);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(EditingTest, AnEffectOfTheTreeIsSavedWithTheBarsOfThePreview)
{
    if (!haveChecks()) GTEST_SKIP();
    showWithPicture(320, 240);
    form->ShowPaintEffects();
    EXPECT_TRUE(dialog().HelligkeitPanel->isHidden());
    EXPECT_FALSE(dialog().EffectPanel->isHidden());
    ASSERT_TRUE(dialog().SelectEffect("Mosaic"));
    dialog().EListClick(); // amount 15 at once
    form->Art->WaitForPreview();
    // The preview: the full picture's mosaic, scaled down.
    effects::Bitmap24 picture;
    ASSERT_EQ(effectsui::LoadBitmapFile(form->SelectedPicture, picture), 1);
    effects::Bitmap24 full = picture;
    effects::TvelPaintFX::Mosaic(full, 15);
    EXPECT_EQ(dialog().PreviewImage(), effectsui::ToImage(effectsui::ScaledDown(full, 199, 149)));
    dialog().EBar->setValue(8);

    full = picture;
    effects::TvelPaintFX::Mosaic(full, 8);
    dialog().SaveBitBtnClick();
    // The full picture went through the effect with the preview's amount.
    EXPECT_EQ(form->Art->RangeBitmap, full);
    expectSavedEdit(320, 240, "80");
}

TEST_F(EditingTest, CancelAndSaveWithoutAnEffectWriteNothing)
{
    if (!haveChecks()) GTEST_SKIP();
    showWithPicture(200, 100);
    const QByteArray hash = sha256(showHost("pic.jpg"));
    const QByteArray thumb = sha256(showHost("_THUMB_pic.jpg"));

    form->FarbeBitBtnClick();
    dialog().KontrastTrackBar->setValue(200);
    dialog().AbortBitBtnClick();
    EXPECT_FALSE(dialog().isVisible());
    expectUnchanged(hash);

    // The effect tree with no node, then with a group node: the range holds no result of the
    // picture, and nothing is written.
    form->ShowPaintEffects();
    dialog().ETree->clearSelection();
    dialog().SaveBitBtnClick();
    expectUnchanged(hash);
    form->ShowPaintEffects();
    ASSERT_TRUE(dialog().SelectEffect("Wings"));
    dialog().SaveBitBtnClick();
    expectUnchanged(hash);
    EXPECT_EQ(sha256(showHost("_THUMB_pic.jpg")), thumb);
    EXPECT_FALSE(QFile::exists(showHost("_THUMB_1pic.jpg")));
}

TEST_F(EditingTest, AnUnreadablePictureIsReportedAndNeverOverwritten)
{
    if (!haveChecks()) GTEST_SKIP();
    showWithPicture(300, 200);
    // The picture breaks while the dialog is open: the full-size load fails, and the small copy
    // in the control must not be written over the file.
    form->FarbeBitBtnClick();
    const QByteArray bytes = readAll(showHost("pic.jpg"));
    writeAll(showHost("pic.jpg"), bytes.left(200));
    const QByteArray hash = sha256(showHost("pic.jpg"));
    dialog().HelligkeitTrackBar->setValue(50);
    dialog().SaveBitBtnClick();
    expectUnchanged(hash);
    ASSERT_FALSE(dialogs.messages.isEmpty());
    EXPECT_EQ(dialogs.messages.last().kind, platform::MessageKind::Error);
    EXPECT_TRUE(dialogs.messages.last().text.startsWith("An error occured in your application, \n"));

    // Opening the dialog on the broken picture reports it and shows no dialog.
    dialog().hide();
    dialogs.messages.clear();
    form->FarbeBitBtnClick();
    EXPECT_FALSE(dialog().isVisible());
    EXPECT_EQ(dialogs.messages.size(), 1);
    expectUnchanged(hash);
}

TEST_F(EditingTest, AnUndoCopyThatCannotBeMadeStopsTheSave)
{
    if (!haveChecks()) GTEST_SKIP();
    showWithPicture(240, 160);
    const QByteArray hash = sha256(showHost("pic.jpg"));
    // A folder in the undo file's place: the copy cannot be made.
    QDir().mkpath(hostProgram("UNDO_1.jpg"));
    form->ShowPaintEffects();
    ASSERT_TRUE(dialog().SelectEffect("Emboss"));
    dialog().EListClick();
    dialog().SaveBitBtnClick();
    EXPECT_EQ(sha256(showHost("pic.jpg")), hash);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages.first().caption, "Error");
}

TEST_F(EditingTest, ColourBalanceWeakensTheRedAndSavesThePreview)
{
    if (!haveChecks()) GTEST_SKIP();
    showWithPicture(200, 150);
    const QImage before = fileImage();
    double previewRed = 0, originalRed = 0, previewGreen = 0, originalGreen = 0;
    dialogs.modalScript.push_back([&](QDialog& d) {
        auto& f = static_cast<TPixEffectsForm&>(d);
        f.FormActivate();
        EXPECT_EQ(f.Mode, "RGB");
        EXPECT_FALSE(f.RGBPanel->isHidden());
        EXPECT_TRUE(f.SharpenPanel->isHidden());
        EXPECT_EQ(f.RedTrackBar->value(), 100);
        EXPECT_TRUE(f.RedLabel->text().endsWith(": 100%"));
        drag(f.RedTrackBar, 50);
        EXPECT_EQ(f.RedLabel->text(), "Rot: 50%");
        previewRed = meanOf(imageOf(f.PixImage1), 0);
        originalRed = meanOf(imageOf(f.PixImage2), 0);
        previewGreen = meanOf(imageOf(f.PixImage1), 1);
        originalGreen = meanOf(imageOf(f.PixImage2), 1);
        f.SaveBitBtnClick();
        return f.result();
    });
    form->RGBBitBtnClick();
    EXPECT_TRUE(dialogs.modalScript.empty());
    EXPECT_NEAR(previewRed, originalRed / 2, 1.0);
    EXPECT_NEAR(previewGreen, originalGreen, 0.01);
    expectSavedEdit(200, 150, "96");
    EXPECT_NEAR(meanOf(fileImage(), 0), meanOf(before, 0) / 2, 3.0);
    EXPECT_NEAR(meanOf(fileImage(), 1), meanOf(before, 1), 3.0);
}

// Clicks on a bar's groove and keys change the value without a drag: the label and the preview
// follow every change, and the labels speak the chosen language.
TEST_F(EditingTest, ColourBarsShowEveryChangeInTheChosenLanguage)
{
    if (!haveChecks()) GTEST_SKIP();
    showWithPicture(160, 120);
    useLanguage("ENGLISH"); // the texts of the next start, read afresh by the dialog
    dialogs.modalScript.push_back([&](QDialog& d) {
        auto& f = static_cast<TPixEffectsForm&>(d);
        f.FormActivate();
        EXPECT_EQ(f.RedLabel->text(), "Red: 100%");
        EXPECT_EQ(f.GreenLabel->text(), "Green: 100%");
        drag(f.RedTrackBar, 80); // the first change
        EXPECT_EQ(f.RedLabel->text(), "Red: 80%");
        const double afterDrag = meanOf(imageOf(f.PixImage1), 0);

        f.RedTrackBar->triggerAction(QAbstractSlider::SliderPageStepSub); // a click on the groove
        EXPECT_EQ(f.RedLabel->text(), QString("Red: %1%").arg(f.RedTrackBar->value()));
        EXPECT_LT(meanOf(imageOf(f.PixImage1), 0), afterDrag - 1.0);

        // A key: the label and the preview at once.
        const double beforeKey = meanOf(imageOf(f.PixImage1), 2);
        QTest::keyClick(f.BlueTrackBar, Qt::Key_PageDown);
        EXPECT_EQ(f.BlueLabel->text(), QString("Blue: %1%").arg(f.BlueTrackBar->value()));
        EXPECT_LT(f.BlueTrackBar->value(), 100);
        EXPECT_FALSE(f.PreviewPending);
        EXPECT_LT(meanOf(imageOf(f.PixImage1), 2), beforeKey - 1.0);

        f.ZuruecksetzenButtonClick();
        EXPECT_EQ(f.BlueLabel->text(), "Blue: 100%");
        f.AbortBitBtn->click();
        return f.result();
    });
    form->RGBBitBtnClick();
    EXPECT_TRUE(dialogs.modalScript.empty());
}

// Keys and a held mouse button change the bars' labels at once. A key's preview is shown at
// once; the keys that follow it at once are gathered into one preview of the last value; a held
// mouse button's preview comes once, when it comes up; a save first catches up.
TEST_F(EditingTest, TheColourDialogShowsAKeyAtOnceAndTheLastValueOfABurst)
{
    if (!haveChecks()) GTEST_SKIP();
    showWithPicture(800, 600);
    dialogs.modalScript.push_back([&](QDialog& d) {
        auto& f = static_cast<TPixEffectsForm&>(d);
        f.show(); // opens it as its modal loop does
        int recomputes = 0;
        f.PixImage1->OnChange = [&](imaging::TPixImage*) { ++recomputes; };
        const QImage original = imageOf(f.PixImage2);

        // One press of the arrow key: shown at once.
        QTest::keyClick(f.RedTrackBar, Qt::Key_Left);
        EXPECT_FALSE(f.PreviewPending);
        const int perRecompute = recomputes;
        EXPECT_GT(perRecompute, 0);
        EXPECT_EQ(f.RedValue, 99);
        EXPECT_NEAR(meanOf(imageOf(f.PixImage1), 0), meanOf(original, 0) * 0.99, 1.0);
        // Nine more right after it (the event loop does not turn between them): nine labels and
        // no preview yet, then one preview of the last value.
        for (int i = 0; i < 9; ++i) QTest::keyClick(f.RedTrackBar, Qt::Key_Left);
        EXPECT_EQ(f.RedTrackBar->value(), 90);
        EXPECT_TRUE(f.RedLabel->text().endsWith(": 90%"));
        EXPECT_EQ(recomputes, perRecompute);
        EXPECT_TRUE(f.PreviewPending);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !f.PreviewPending; }, 5000));
        EXPECT_EQ(recomputes, 2 * perRecompute);
        EXPECT_EQ(f.RedValue, 90);
        EXPECT_NEAR(meanOf(imageOf(f.PixImage1), 0), meanOf(original, 0) * 0.9, 1.0);
        QTest::qWait(3 * TPixEffectsForm::KeyFrameMs); // the burst's frame ends with nothing more to show
        EXPECT_EQ(recomputes, 2 * perRecompute);

        // The mouse held on the groove: steps while it is down, the preview when it comes up.
        const QPoint groove(f.GreenTrackBar->width() / 8, f.GreenTrackBar->height() / 2);
        QTest::mousePress(f.GreenTrackBar, Qt::LeftButton, {}, groove);
        EXPECT_LT(f.GreenTrackBar->value(), 100);
        EXPECT_TRUE(f.GreenLabel->text().endsWith(QString(": %1%").arg(f.GreenTrackBar->value())));
        EXPECT_EQ(recomputes, 2 * perRecompute);
        QTest::mouseRelease(f.GreenTrackBar, Qt::LeftButton, {}, groove);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !f.PreviewPending; }, 5000));
        EXPECT_EQ(recomputes, 3 * perRecompute);
        const int green = f.GreenTrackBar->value();
        EXPECT_NEAR(meanOf(imageOf(f.PixImage1), 1), meanOf(original, 1) * green / 100.0, 1.0);

        // A key and Save at once: what is written is what the labels say.
        QTest::keyClick(f.BlueTrackBar, Qt::Key_PageDown);
        const int blue = f.BlueTrackBar->value();
        f.SaveBitBtnClick();
        EXPECT_EQ(f.BlueValue, blue);
        EXPECT_NEAR(meanOf(imageOf(f.PixImage1), 2), meanOf(original, 2) * blue / 100.0, 1.0);
        f.PixImage1->OnChange = nullptr;
        f.hide();
        return f.result();
    });
    const QImage before = fileImage();
    form->RGBBitBtnClick();
    EXPECT_TRUE(dialogs.modalScript.empty());
    EXPECT_NEAR(meanOf(fileImage(), 0), meanOf(before, 0) * 0.9, 3.0);
    expectSavedEdit(800, 600, "96");
}

TEST_F(EditingTest, ColourDialogResetAndCancelLeaveThePicture)
{
    if (!haveChecks()) GTEST_SKIP();
    showWithPicture(160, 120);
    const QByteArray hash = sha256(showHost("pic.jpg"));
    dialogs.modalScript.push_back([&](QDialog& d) {
        auto& f = static_cast<TPixEffectsForm&>(d);
        f.FormActivate();
        drag(f.BlueTrackBar, 20);
        EXPECT_LT(meanOf(imageOf(f.PixImage1), 2), meanOf(imageOf(f.PixImage2), 2) * 0.5);
        f.ZuruecksetzenButtonClick();
        EXPECT_EQ(f.BlueTrackBar->value(), 100);
        EXPECT_EQ(imageOf(f.PixImage1), imageOf(f.PixImage2));
        drag(f.GreenTrackBar, 40);
        f.AbortBitBtn->click();
        return f.result();
    });
    form->RGBBitBtnClick();
    expectUnchanged(hash);
}

TEST_F(EditingTest, SharpenSavesThePreviewAndNeverAStalePicture)
{
    if (!haveChecks()) GTEST_SKIP();
    showWithPicture(200, 150);
    TPixEffectsForm f;
    f.Mode = "SHARPEN";
    f.FormActivate();
    EXPECT_TRUE(f.RGBPanel->isHidden());
    EXPECT_FALSE(f.SharpenPanel->isHidden());
    EXPECT_EQ(f.SharpenLabel->text(), LangText(1506) + " 0%");
    drag(f.SharpenTrackBar, 1000);
    EXPECT_EQ(f.SharpenLabel->text(), LangText(1506) + " 1000%");
    EXPECT_NE(imageOf(f.PixImage1), imageOf(f.PixImage2));
    f.SaveBitBtnClick();
    EXPECT_EQ(f.result(), int(platform::mrOk));
    expectSavedEdit(200, 150, "96");

    // A picture that cannot be read leaves the last one in the preview: it is not saved over it.
    form->ClearUndo();
    writeAll(showHost("pic.jpg"), "broken");
    f.setResult(0);
    f.FormActivate();
    dialogs.messages.clear();
    f.SaveBitBtnClick();
    EXPECT_EQ(readAll(showHost("pic.jpg")), "broken");
    EXPECT_EQ(form->UndoDepth, 0);
    EXPECT_NE(f.result(), int(platform::mrOk));
    EXPECT_FALSE(dialogs.messages.isEmpty());
}

// A click into the main window and back reads the picture again but keeps the values the user
// set: labels and preview show them, and Save writes them.
TEST_F(EditingTest, AReturnToTheDialogKeepsTheBarsAndSaveWritesWhatTheLabelsSay)
{
    if (!haveChecks()) GTEST_SKIP();
    showWithPicture(300, 200);
    form->FarbeBitBtnClick();
    // The activation that follows the showing is the one already run.
    QEvent activate(QEvent::WindowActivate), deactivate(QEvent::WindowDeactivate);
    QCoreApplication::sendEvent(&dialog(), &activate);
    dialog().HelligkeitTrackBar->setValue(40);
    dialog().KontrastTrackBar->setValue(-20);
    dialog().FarbeTrackBar->setValue(300);
    const QImage shown = dialog().PreviewImage();

    // Meanwhile the file changes (another picture of the same size).
    QCoreApplication::sendEvent(&dialog(), &deactivate);
    makeJpeg(showHost("pic.jpg"), 300, 200, {}, "-seed 11 plasma:fractal");
    effects::Bitmap24 now;
    ASSERT_EQ(effectsui::LoadBitmapFile(form->SelectedPicture, now), 1);
    QCoreApplication::sendEvent(&dialog(), &activate);

    EXPECT_EQ(dialog().HelligkeitTrackBar->value(), 40);
    EXPECT_EQ(dialog().KontrastTrackBar->value(), -20);
    EXPECT_EQ(dialog().FarbeTrackBar->value(), 300);
    EXPECT_TRUE(dialog().HelligkeitLabel->text().endsWith(": 40"));
    EXPECT_TRUE(dialog().KontrastLabel->text().endsWith(": -20"));
    EXPECT_TRUE(dialog().FarbeLabel->text().endsWith(": 50"));
    EXPECT_EQ(dialog().OriginalImage(), effectsui::ToImage(now));
    EXPECT_NE(dialog().PreviewImage(), shown); // the new picture, with the same values
    EXPECT_EQ(dialog().Brightness, 40);

    dialog().SaveBitBtnClick();
    effects::Bitmap24 expected = now;
    effects::TvelPaintFX::Lightness(expected, 40);
    effects::TvelPaintFX::Saturation(expected, 300 * 255 / 250);
    effects::TvelPaintFX::Contrast(expected, -20);
    EXPECT_EQ(form->Art->RangeBitmap, expected);
    ASSERT_EQ(effectsui::SaveBitmapAsJpeg(srcWin("reference.jpg"), expected, 20), 1);
    EXPECT_EQ(readAll(showHost("pic.jpg")), readAll(srcHost("reference.jpg")));
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messageTexts().join('|').toStdString();
}

// The bars at their start values (0, "0", 0) change no pixel: a save writes the picture as it
// was, re-encoded.
TEST_F(EditingTest, SaveAtTheStartValuesKeepsEveryPixel)
{
    if (!haveChecks()) GTEST_SKIP();
    showWithPicture(320, 240);
    effects::Bitmap24 picture;
    ASSERT_EQ(effectsui::LoadBitmapFile(form->SelectedPicture, picture), 1);
    form->FarbeBitBtnClick();
    EXPECT_TRUE(dialog().FarbeLabel->text().endsWith(": 0"));
    // The preview is the picture itself, at the preview's size.
    const effects::Bitmap24 small = effectsui::ScaledDown(picture, form->Art->Picture().width(), form->Art->Picture().height());
    EXPECT_EQ(dialog().PreviewImage(), effectsui::ToImage(small));
    dialog().SaveBitBtnClick();
    EXPECT_EQ(form->Art->RangeBitmap, picture);
    ASSERT_EQ(effectsui::SaveBitmapAsJpeg(srcWin("untouched.jpg"), picture, 20), 1);
    EXPECT_EQ(readAll(showHost("pic.jpg")), readAll(srcHost("untouched.jpg")));
    expectSavedEdit(320, 240, "80");
}

TEST_F(EditingTest, TheDialogsWriteThePictureTheyWereOpenedFor)
{
    if (!haveChecks()) GTEST_SKIP();
    struct Case {
        const char* name;
        // Opens a dialog on A, lets the user select B in the show list, and saves.
        std::function<void()> edit;
        bool written; // A is rewritten (else A was taken out of the show and nothing is written)
    };
    const Case cases[] = {
        {"brightness and contrast",
         [this] {
             form->FarbeBitBtnClick();
             clickShowItem(1);
             // Back in the dialog: it still shows A.
             QEvent activate(QEvent::WindowActivate);
             QCoreApplication::sendEvent(&dialog(), &activate);
             EXPECT_EQ(dialog().OriginalImage().size(), QSize(400, 300));
             dialog().HelligkeitTrackBar->setValue(120);
             dialog().SaveBitBtnClick();
         },
         true},
        {"colour dialog",
         [this] {
             dialogs.modalScript.push_back([this](QDialog& d) {
                 auto& f = static_cast<TPixEffectsForm&>(d);
                 f.FormActivate();
                 clickShowItem(1);
                 drag(f.RedTrackBar, 50);
                 // A (4:3), at the pane's size, not B (3:2).
                 const QSize shown = imageOf(f.PixImage1).size();
                 EXPECT_NEAR(double(shown.width()) / shown.height(), 400.0 / 300.0, 0.02);
                 f.SaveBitBtnClick();
                 return f.result();
             });
             form->RGBBitBtnClick();
         },
         true},
        {"picture taken out of the show meanwhile",
         [this] {
             form->ShowPaintEffects();
             dialog().SelectEffect("Emboss");
             dialog().EListClick();
             form->RemovePicture(0);
             clickShowItem(0);
             dialog().SaveBitBtnClick();
             EXPECT_FALSE(dialog().isVisible());
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form.reset();
        makeJpeg(srcHost("a.jpg"), 400, 300, {}, "-seed 5 plasma:fractal");
        makeJpeg(srcHost("b.jpg"), 300, 200, "-quality 92", "-seed 9 plasma:fractal");
        createWithNewShow();
        form->AddPictureToShow(srcWin("a.jpg"), -1);
        form->AddPictureToShow(srcWin("b.jpg"), -1);
        clickShowItem(0);
        const QByteArray a = readAll(showHost("a.jpg")), b = readAll(showHost("b.jpg"));
        dialogs.messages.clear();

        c.edit();
        // B is never written: the dialog did not show it.
        EXPECT_EQ(readAll(showHost("b.jpg")), b);
        if (!c.written) {
            EXPECT_FALSE(QFile::exists(showHost("a.jpg")));
            EXPECT_EQ(form->UndoDepth, 0);
            EXPECT_EQ(dialogs.messages.size(), 1);
            continue;
        }
        EXPECT_NE(readAll(showHost("a.jpg")), a);
        EXPECT_EQ(identify("%wx%h", showHost("a.jpg")), "400x300");
        EXPECT_EQ(readAll(hostProgram("UNDO_1.jpg")), a);
        // A is selected again, with its undo copy.
        EXPECT_EQ(form->QuorbelListBox->ItemIndex(), 0);
        EXPECT_TRUE(form->SelectedPicture.endsWith("a.jpg"));
        EXPECT_EQ(form->UndoDepth, 1);
        EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messageTexts().join('|').toStdString();
    }
}
