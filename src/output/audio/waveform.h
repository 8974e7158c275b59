#pragma once
// The soundtrack window: shown without a modal loop by the video run while the soundtrack
// builder joins the show's tracks; its labels follow the builder's progress.
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QStringList>
#include <functional>

#include "output/audio/soundtrack.h"
#include "util/texttable.h"

class TWaveForm : public QDialog, private SoundtrackObserver {
    Q_OBJECT
public:
    explicit TWaveForm(QWidget* parent = nullptr, const util::TextTable& texts = util::TextTable::instance());

    QStringList InputFiles; // Windows paths, in play order
    QString OutputFile;
    int Seconds = 0;

    // Where the builder's lines go: the video run's log and its memo.
    std::function<void(const QString&)> OnLog;
    std::function<void(const QString&)> OnMemo;

    QLabel* Image1;       // banner
    QLabel* Label2;       // text 5000
    QLabel* Label3;       // current file
    QLabel* Label1;       // percent
    QLabel* Label4;       // position
    QProgressBar* ProgressBar1;

    // Builds OutputFile from InputFiles; raises EWaveError with the message to show.
    void BuildSoundtrack();
    void FormCreate();
    void FormActivate();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void currentFileChanged(const QString& text) override;
    void progressChanged(int percent) override;
    void percentChanged(const QString& text) override;
    void positionChanged(const QString& text) override;
    void logLine(const QString& line) override;
    void memoLine(const QString& line) override;
    const util::TextTable& texts_; // the texts this window shows
};
