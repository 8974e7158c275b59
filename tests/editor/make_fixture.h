#pragma once
// A main window on the sample show, ready for the make step: the step tabs are changed as the
// user changes them, the make wizard, export dialog and instructions are answered by scripts,
// and outside programs can be replaced by a script that records how it was started.
#include "editor/anweisungform.h"
#include "editor/exportform.h"
#include "editor/mainform.h"
#include "editor/makewizard.h"
#include "editor_fixture.h"
#include "controls/htmlistbox.h"
#include "platform/process.h"

#include <QTest>

#include <tuple>
#include <QElapsedTimer>
#include <QLabel>
#include <QRegularExpression>
#include <QSpinBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QThread>

class MakeTest : public EditorTest {
protected:
    std::unique_ptr<TMainForm> form;

    void SetUp() override
    {
        EditorTest::SetUp();
        // No test starts the host's own screensaver settings: the display settings start
        // nothing unless a test records them.
        platform::ProgramTable::instance().loadFromEnvironment();
        platform::ProgramTable::instance().set("CONTROL.EXE", "");
    }

    void TearDown() override
    {
        form.reset();
        platform::ProgramTable::instance().loadFromEnvironment();
        EditorTest::TearDown();
    }

    // The window with the sample show Quorbel_0001 (five pictures) open.
    void openSampleShow()
    {
        form = std::make_unique<TMainForm>(outputWindows());
        form->BeispielBitBtnClick();
        ASSERT_EQ(form->QuorbelListBox->Count(), 5);
        dialogs.clear();
    }

    // The user selects a step tab.
    void selectPage(int page) { form->PageControl1->setCurrentIndex(page); }

    // The wizard is answered with a target button (nullptr: none) and "next", or cancelled.
    void chooseTarget(QRadioButton* TMakeWizzard::*target)
    {
        dialogs.modalScript.push_back([target](QDialog& d) {
            auto& w = static_cast<TMakeWizzard&>(d);
            if (target) (w.*target)->setChecked(true);
            w.WeiterBitBtn->click();
            return w.result();
        });
    }
    void cancelWizard(bool closeBox)
    {
        dialogs.modalScript.push_back([closeBox](QDialog& d) {
            if (closeBox) return int(platform::mrCancel); // what the dialog service answers for the close box
            static_cast<TMakeWizzard&>(d).AbortBitBtn->click();
            return d.result();
        });
    }
    // The instructions are read and confirmed with OK.
    struct Shown {
        QString heading, text;
        bool burningGuide = false, icon = false;
        int page = -1; // the main window's page while the dialog is up
    };
    Shown instructionsSeen;
    void confirmInstructions()
    {
        dialogs.modalScript.push_back([this](QDialog& d) {
            auto& f = static_cast<TAnweisungForm&>(d);
            instructionsSeen = {f.MakeLabel->text(), f.MakeSubLabel->text(), !f.NeroBitBtn->isHidden(), !f.IconImage->isHidden(),
                                form->PageControl1->currentIndex()};
            EXPECT_EQ(f.IconImage->isHidden(), f.IconLabel->isHidden());
            f.NextTipBitBtn->click();
            return f.result();
        });
    }
    // The export dialog: tick the shows with these exact folder names and confirm, or close it.
    void tickShows(const QStringList& folders)
    {
        dialogs.modalScript.push_back([folders](QDialog& d) {
            auto& f = static_cast<TExportForm&>(d);
            for (int i = 0; i < f.CheckListBox->count(); ++i)
                if (folders.contains(f.CheckListBox->item(i)->data(Qt::UserRole).toString()))
                    f.CheckListBox->item(i)->setCheckState(Qt::Checked);
            f.OpenBitBtn->click();
            return f.result();
        });
    }
    // A host script that writes its arguments, one a line, to a file; the program table maps the
    // Windows program name onto it. Returns the host path of the file it writes.
    QString recordStarts(const QString& windowsProgram)
    {
        const QString record = world.root() + "/" + windowsProgram + ".args";
        const QString script = world.writeHostFile(windowsProgram + ".sh",
                                                   "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + record.toUtf8() + ".tmp'\nmv '"
                                                       + record.toUtf8() + ".tmp' '" + record.toUtf8() + "'\n");
        QFile::setPermissions(script, QFile::permissions(script) | QFileDevice::ExeOwner);
        platform::ProgramTable::instance().set(windowsProgram, script);
        return record;
    }
    // The arguments the recording script was started with; empty when it did not start in time.
    static QStringList startedWith(const QString& record, int waitMs = 60000)
    {
        std::ignore = QTest::qWaitFor([&] { return QFile::exists(record); }, waitMs);
        if (!QFile::exists(record)) return {};
        return QString::fromUtf8(readAll(record)).split('\n', Qt::SkipEmptyParts);
    }

    QString sha256(const QString& host) const
    {
        return testsupport::runHost("sha256sum '" + host + "' 2>&1 | cut -d' ' -f1").trimmed();
    }
    QString crudini(const QString& host, const QString& key) const
    {
        return testsupport::runHost("crudini --get '" + host + "' SETTINGS " + key).trimmed();
    }
};
