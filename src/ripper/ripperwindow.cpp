#include "ripperwindow.h"

#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace ripper {

RipperWindow::RipperWindow()
{
    setWindowTitle(QStringLiteral("CD Ripper"));
    auto* layout = new QVBoxLayout(this);
    Status = new QLabel(QStringLiteral("Reading the audio CD ..."), this);
    Bar = new QProgressBar(this);
    Stop = new QPushButton(QStringLiteral("Stop"), this);
    layout->addWidget(Status);
    layout->addWidget(Bar);
    layout->addWidget(Stop);
    connect(Stop, &QPushButton::clicked, this, [this] { stopped_ = true; });
    resize(360, 120);
    centreOnScreen();
}

void RipperWindow::setStatus(const QString& text) { Status->setText(text); }

void RipperWindow::setStep(int done, int total)
{
    Bar->setMaximum(total);
    Bar->setValue(done);
}

void RipperWindow::centreOnScreen()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), screen->availableGeometry()));
}

} // namespace ripper
