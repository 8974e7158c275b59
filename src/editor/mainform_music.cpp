// The main window's music page: the show's tracks in play order, adding, deleting, ordering by
// drag, renumbering, the preview and the audio information window; and the programs the
// editor runs and waits for, the CD ripper among them.
#include "mainform.h"

#include "musiclist.h"
#include "nodriverform.h"
#include "programrunner.h"

#include "app/language.h"
#include "show/outputwindows.h"
#include "platform/dialogs.h"
#include "platform/hourglass.h"
#include "platform/media.h"
#include "util/windowsinfo.h"

#include <QDropEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

namespace {

// The music list's mouse and drag events, handed to the window's handlers. The list never
// moves items itself: a drop is answered as a copy, so the dragging side removes nothing.
class AudioListEvents : public QObject {
public:
    explicit AudioListEvents(TMainForm* form) : QObject(form), form_(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            form_->AudioListBoxMouseDown(static_cast<QMouseEvent*>(event)->position().toPoint());
            return false;
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (form_->AudioListBoxDragOver(drag->source())) {
                drag->setDropAction(Qt::CopyAction);
                drag->accept();
            } else {
                drag->ignore();
            }
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            if (form_->AudioListBoxDragOver(drop->source())) {
                form_->AudioListBoxDragDrop(drop->position().toPoint());
                drop->setDropAction(Qt::CopyAction);
                drop->accept();
            } else {
                drop->ignore();
            }
            return true;
        }
        default:
            return QObject::eventFilter(watched, event);
        }
    }

private:
    TMainForm* form_;
};

} // namespace

void TMainForm::connectMusicPage()
{
    music_ = std::make_unique<editor::MusicList>([this](const QString& path) {
        const show::AudioFacts facts = audioWindows().Analyse(&checkAudioForm(), path);
        return editor::IsUsableTrack(facts.sampleRateHz, facts.stereoMark);
    });
    ripper_ = new editor::CdRipperRun(this);
    AudioOpenDialog.filter = QStringLiteral("Audio Dateien / Audio Files|*.mp3; *.wav");

    AudioListBox->setDragDropMode(QAbstractItemView::DragDrop);
    AudioListBox->setDefaultDropAction(Qt::CopyAction);
    AudioListBox->viewport()->installEventFilter(new AudioListEvents(this));

    connect(OpenAudioBitBtn, &QPushButton::clicked, this, &TMainForm::OpenAudioBitBtnClick);
    connect(DeleteAudioBitBtn, &QPushButton::clicked, this, &TMainForm::DeleteAudioBitBtnClick);
    connect(InfoBitBtn, &QPushButton::clicked, this, &TMainForm::InfoBitBtnClick);
    connect(StartRipperBitBtn, &QPushButton::clicked, this, &TMainForm::StartRipperBitBtnClick);
    connect(PlayBitBtn, &QPushButton::clicked, this, &TMainForm::PlayBitBtnClick);
    connect(PauseBitBtn, &QPushButton::clicked, this, &TMainForm::PauseBitBtnClick);
    connect(StopBitBtn, &QPushButton::clicked, this, &TMainForm::StopBitBtnClick);
    connect(AudioListBox, &QListWidget::itemClicked, this, &TMainForm::AudioListBoxClick);
    connect(AudioListBox, &QListWidget::itemDoubleClicked, this, &TMainForm::AudioListBoxDblClick);
}

show::AudioWindows& TMainForm::audioWindows() const { return outputs_.audio; }

QWidget& TMainForm::checkAudioForm()
{
    // The run's audio information window, made at start-up; a window of our own without one.
    if (QWidget* form = audioWindows().RunWindow(); form && form != ownCheckAudioForm_) return *form;
    if (!ownCheckAudioForm_) ownCheckAudioForm_ = audioWindows().NewWindow(this);
    return *ownCheckAudioForm_;
}

TNoDriverForm& TMainForm::noDriverForm()
{
    if (TNoDriverForm* f = runWindows.noDriverForm) return *f;
    if (!ownNoDriverForm_) ownNoDriverForm_ = new TNoDriverForm(this, texts_);
    return *ownNoDriverForm_;
}

int TMainForm::lastSelectedAudioRow() const
{
    int row = -1;
    for (int i = 0; i < AudioListBox->count(); ++i)
        if (AudioListBox->item(i)->isSelected()) row = i;
    return row;
}

void TMainForm::showAudioTracks()
{
    AudioListBox->clear();
    AudioListBox->addItems(music_->Tracks());
}

void TMainForm::LoadAudioList()
{
    platform::HourglassCursor hourglass;
    AudioListBox->clear();
    if (ShowFolder.isEmpty()) return;
    music_->SetShowFolder(ShowFolderPath());
    music_->Load();
    showAudioTracks();
}

void TMainForm::RenumberAudioFiles()
{
    // The ripper may still be writing into the show folder.
    WaitForCdRipper();
    platform::HourglassCursor hourglass;
    MediaPlayer1->Close();
    if (!ShowFolder.isEmpty()) music_->SetShowFolder(ShowFolderPath());
    music_->Renumber();
    showAudioTracks();
}

void TMainForm::OpenAudioBitBtnClick()
{
    AudioOpenDialog.initialDir = DocumentsFolder;
    const platform::FileDialogResult chosen = platform::dialogs().chooseFiles(AudioOpenDialog);
    if (!chosen.accepted || chosen.files.isEmpty()) return;
    platform::HourglassCursor hourglass;
    music_->SetShowFolder(ShowFolderPath());
    if (music_->Add(chosen.files.first()) == editor::MusicList::AddResult::Added) showAudioTracks();
}

void TMainForm::DeleteAudioBitBtnClick()
{
    const int row = lastSelectedAudioRow();
    if (row < 0) {
        platform::showInformation(texts_.text(10018));
        return;
    }
    if (!platform::confirm(texts_.text(10017))) return;
    MediaPlayer1->Close();
    music_->Delete(row);
    delete AudioListBox->takeItem(row);
}

void TMainForm::AudioListBoxClick()
{
    const int row = lastSelectedAudioRow();
    if (row < 0) {
        platform::showInformation(texts_.text(10020));
        return;
    }
    MediaPlayer1->FileName = AudioListBox->item(row)->text();
}

void TMainForm::AudioListBoxDblClick() { InfoBitBtnClick(); }

void TMainForm::InfoBitBtnClick()
{
    const int row = lastSelectedAudioRow();
    if (row < 0) {
        platform::showInformation(texts_.text(10023));
        return;
    }
    MediaPlayer1->Close();
    audioWindows().ShowFile(&checkAudioForm(), AudioListBox->item(row)->text());
}

void TMainForm::PlayBitBtnClick()
{
    if (lastSelectedAudioRow() < 0) {
        platform::showInformation(texts_.text(10023));
        return;
    }
    // The file is the one of the last click; a file that cannot be played stays silent.
    if (MediaPlayer1->Open()) MediaPlayer1->Play();
}

void TMainForm::PauseBitBtnClick()
{
    if (lastSelectedAudioRow() < 0) {
        platform::showInformation(texts_.text(10023));
        return;
    }
    MediaPlayer1->Pause();
}

void TMainForm::StopBitBtnClick()
{
    if (lastSelectedAudioRow() < 0) {
        platform::showInformation(texts_.text(10023));
        return;
    }
    MediaPlayer1->Stop();
}

void TMainForm::AudioListBoxMouseDown(const QPoint& position) { AudioDragIndex = AudioListBox->indexAt(position).row(); }

bool TMainForm::AudioListBoxDragOver(const QObject* source) const { return source == AudioListBox || source == AudioListBox->viewport(); }

void TMainForm::AudioListBoxDragDrop(const QPoint& position)
{
    AudioDropIndex = AudioListBox->indexAt(position).row();
    if (AudioDragIndex == -1 || AudioDropIndex == -1) return;
    if (!music_->Move(AudioDragIndex, AudioDropIndex)) return;
    showAudioTracks();
    AudioListBox->setCurrentRow(AudioDropIndex);
}

void TMainForm::StartRipperBitBtnClick() { StartCdRipper(); }

void TMainForm::RunAndWait(const QString& folder, const QString& file, const QString& parameters)
{
    platform::RunWatch watch;
    watch.started = [this] { Timer1->start(); };
    editor::RunAndWait(folder, file, parameters, watch);
}

void TMainForm::WaitForCdRipper() { ripper_->WaitUntilEnded(); }

void TMainForm::StartCdRipper()
{
    // One ripper at a time: a second start waits for the first to end.
    WaitForCdRipper();
    if (editor::FindCdDriver(WindowsInfo().SystemRoot).isEmpty()) {
        platform::dialogs().showModal(noDriverForm());
        return;
    }
    if (!editor::WriteRipperHandOver(ProgramDir, ShowRoot, ShowFolder)) {
        platform::showError(QStringLiteral("Unable to write ") + ProgramDir + QStringLiteral("Ripper.ini"));
        return;
    }
    const platform::RunResult result = ripper_->Run(ProgramDir, [this] { Timer1->start(); });
    if (result.status == platform::RunResult::StillRunning) return; // the program is closing
    LoadAudioList();
}
