#include "checkaudioform.h"

#include "app/language.h"
#include "app/wizardpicture.h"
#include "platform/dialogs.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int rowHeight = 19;

// The MP3 and the WAV panel lie on the same place; one of them shows at a time.
QFrame* addPanel(QWidget* form, const char* name)
{
    auto* panel = new QFrame(form);
    panel->setObjectName(QLatin1String(name));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setGeometry(168, 32, 304, 290);
    return panel;
}

QLabel* addMp3Row(QFrame* panel, int row, const QString& caption, const char* name)
{
    auto* label = new QLabel(caption, panel);
    label->setGeometry(8, 8 + row * rowHeight, 106, rowHeight - 2);
    auto* field = new QLabel(panel);
    field->setObjectName(QLatin1String(name));
    field->setGeometry(118, 8 + row * rowHeight, 180, rowHeight - 2);
    return field;
}

QLineEdit* addWaveRow(QFrame* panel, int row, const QString& caption, const char* name)
{
    auto* label = new QLabel(caption, panel);
    label->setGeometry(8, 10 + row * 26, 106, 21);
    auto* field = new QLineEdit(panel);
    field->setObjectName(QLatin1String(name));
    field->setReadOnly(true);
    field->setGeometry(118, 8 + row * 26, 176, 22);
    return field;
}

} // namespace

TCheckAudioForm::TCheckAudioForm(QWidget* parent, const util::TextTable& texts) : QDialog(parent), texts_(texts)
{
    setObjectName(QStringLiteral("CheckAudioForm"));
    setWindowTitle(QStringLiteral("Audio Info"));
    setFixedSize(480, 370);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, 160, 320);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(168, 8, 304, 20);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);

    MP3Panel = addPanel(this, "MP3Panel");
    ValidMPEGText = addMp3Row(MP3Panel, 0, QStringLiteral("Valid MPEG:"), "ValidMPEGText");
    FileSizeText = addMp3Row(MP3Panel, 1, QStringLiteral("File size:"), "FileSizeText");
    MPEGTypeText = addMp3Row(MP3Panel, 2, QStringLiteral("MPEG type:"), "MPEGTypeText");
    BitRateText = addMp3Row(MP3Panel, 3, QStringLiteral("Bit rate:"), "BitRateText");
    SampleRateText = addMp3Row(MP3Panel, 4, QStringLiteral("Sample rate:"), "SampleRateText");
    ChannelModeText = addMp3Row(MP3Panel, 5, QStringLiteral("Channel mode:"), "ChannelModeText");
    DurationText = addMp3Row(MP3Panel, 6, QStringLiteral("Duration:"), "DurationText");
    FirstFrameAtText = addMp3Row(MP3Panel, 7, QStringLiteral("First frame at:"), "FirstFrameAtText");
    TotalFramesText = addMp3Row(MP3Panel, 8, QStringLiteral("Total frames:"), "TotalFramesText");
    CRCProtectionText = addMp3Row(MP3Panel, 9, QStringLiteral("CRC protection:"), "CRCProtectionText");
    CopyrightText = addMp3Row(MP3Panel, 10, QStringLiteral("Copyright:"), "CopyrightText");
    OriginalText = addMp3Row(MP3Panel, 11, QStringLiteral("Original:"), "OriginalText");
    EmphasisText = addMp3Row(MP3Panel, 12, QStringLiteral("Emphasis:"), "EmphasisText");
    EncoderText = addMp3Row(MP3Panel, 13, QStringLiteral("Encoder:"), "EncoderText");

    WavePanel = addPanel(this, "WavePanel");
    DurationWAVEdit = addWaveRow(WavePanel, 0, QStringLiteral("Duration:"), "DurationWAVEdit");
    SampleRateEdit = addWaveRow(WavePanel, 1, QStringLiteral("Sample rate:"), "SampleRateEdit");
    BitsPerSampleEdit = addWaveRow(WavePanel, 2, QStringLiteral("Bits per sample:"), "BitsPerSampleEdit");
    WavFormatEdit = addWaveRow(WavePanel, 3, QStringLiteral("WAV Format:"), "WavFormatEdit");
    FileSizeEdit = addWaveRow(WavePanel, 4, QStringLiteral("File size:"), "FileSizeEdit");
    ChannelModeEdit = addWaveRow(WavePanel, 5, QStringLiteral("Channel mode:"), "ChannelModeEdit");
    ValidWAVEdit = addWaveRow(WavePanel, 6, QStringLiteral("Valid WAV:"), "ValidWAVEdit");

    CloseButton = new QPushButton(this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    CloseButton->setGeometry(372, 332, 100, 28);
    connect(CloseButton, &QPushButton::clicked, this, &TCheckAudioForm::CloseButtonClick);

    MP3Panel->hide();
    WavePanel->hide();
    FormCreate();
}

void TCheckAudioForm::FormCreate()
{
    Image1->setPixmap(LoadWizardPicture());
    CloseButton->setText(texts_.text(6400));
}

void TCheckAudioForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TCheckAudioForm::FormShow() { AnalyseFile(); }

void TCheckAudioForm::AnalyseFile()
{
    audio::AudioFileAnalyser analyser;
    analyser.FileName = FileName;
    analyser.AnalyseFile();

    const audio::Mp3PanelTexts& m = analyser.Mp3;
    ValidMPEGText->setText(m.ValidMPEGText);
    FileSizeText->setText(m.FileSizeText);
    MPEGTypeText->setText(m.MPEGTypeText);
    BitRateText->setText(m.BitRateText);
    SampleRateText->setText(m.SampleRateText);
    ChannelModeText->setText(m.ChannelModeText);
    DurationText->setText(m.DurationText);
    FirstFrameAtText->setText(m.FirstFrameAtText);
    TotalFramesText->setText(m.TotalFramesText);
    CRCProtectionText->setText(m.CRCProtectionText);
    CopyrightText->setText(m.CopyrightText);
    OriginalText->setText(m.OriginalText);
    EmphasisText->setText(m.EmphasisText);
    EncoderText->setText(m.EncoderText);

    const audio::WavePanelTexts& w = analyser.Wave;
    DurationWAVEdit->setText(w.DurationWAVEdit);
    SampleRateEdit->setText(w.SampleRateEdit);
    BitsPerSampleEdit->setText(w.BitsPerSampleEdit);
    WavFormatEdit->setText(w.WavFormatEdit);
    FileSizeEdit->setText(w.FileSizeEdit);
    ChannelModeEdit->setText(w.ChannelModeEdit);

    MP3Panel->setVisible(analyser.MP3PanelVisible);
    WavePanel->setVisible(analyser.WavePanelVisible);
    Label1->setText(analyser.Label1);

    VersionText = analyser.Info.VersionText;
    LayerText = analyser.Info.LayerText;
    SampleRateHz = analyser.Info.SampleRateHz;
    StereoMark = analyser.Info.StereoMark;

    if (!analyser.Message.isEmpty()) platform::showInformation(analyser.Message);
}

void TCheckAudioForm::CloseButtonClick() { close(); }
