#include "output/audio/waveform.h"

#include "app/language.h"
#include "app/wizardpicture.h"


TWaveForm::TWaveForm(QWidget* parent, const util::TextTable& texts) : QDialog(parent), texts_(texts)
{
    setObjectName(QStringLiteral("WaveForm"));
    setFixedSize(420, 260);
    setAttribute(Qt::WA_QuitOnClose, false);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, 420, 80);
    Image1->setScaledContents(true);

    auto label = [this](const char* name, int top) {
        auto* l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        l->setGeometry(16, top, 388, 20);
        return l;
    };
    Label2 = label("Label2", 92);
    Label3 = label("Label3", 124);
    Label4 = label("Label4", 148);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(16, 184, 388, 20);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
    Label1 = label("Label1", 212);
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);

    FormCreate();
}

void TWaveForm::FormCreate()
{
    Image1->setPixmap(LoadWizardPicture());
    Label2->setText(texts_.text(5000));
}

void TWaveForm::FormActivate()
{
    Label1->clear();
    Label3->clear();
    Label4->clear();
    ProgressBar1->setValue(0);
}

void TWaveForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TWaveForm::BuildSoundtrack()
{
    SoundtrackBuilder builder;
    builder.InputFiles = InputFiles;
    builder.OutputFile = OutputFile;
    builder.Seconds = Seconds;
    builder.BuildSoundtrack(this);
}

// The builder runs on the one thread without letting messages through: each change is painted
// at once.
void TWaveForm::currentFileChanged(const QString& text)
{
    Label3->setText(text);
    Label3->repaint();
}

void TWaveForm::progressChanged(int percent)
{
    ProgressBar1->setValue(percent);
    ProgressBar1->repaint();
}

void TWaveForm::percentChanged(const QString& text)
{
    Label1->setText(text);
    Label1->repaint();
}

void TWaveForm::positionChanged(const QString& text)
{
    Label4->setText(text);
    Label4->repaint();
}

void TWaveForm::logLine(const QString& line)
{
    if (OnLog) OnLog(line);
}

void TWaveForm::memoLine(const QString& line)
{
    if (OnMemo) OnMemo(line);
}
