#include "reportpreview.h"

#include "app/language.h"
#include "platform/dialogs.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

namespace print {

TReportPreview::TReportPreview(QPrinter& printer, QWidget* parent) : QDialog(parent), printer_(printer)
{
    setObjectName(QStringLiteral("ReportPreview"));
    resize(900, 1000);
    Preview = new QPrintPreviewWidget(&printer, this);
    Preview->setObjectName(QStringLiteral("Preview"));
    auto button = [this](const QString& text, const char* name) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    PrintButton = button(LangText(6700), "PrintButton");
    PriorButton = button(QStringLiteral("<"), "PriorButton");
    NextButton = button(QStringLiteral(">"), "NextButton");
    FitButton = button(QStringLiteral("\u2194"), "FitButton");
    CloseButton = button(QStringLiteral("\u2715"), "CloseButton");
    PageLabel = new QLabel(this);
    auto* bar = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(PrintButton), static_cast<QWidget*>(PriorButton), static_cast<QWidget*>(PageLabel),
                       static_cast<QWidget*>(NextButton), static_cast<QWidget*>(FitButton)})
        bar->addWidget(w);
    bar->addStretch();
    bar->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(Preview, 1);

    connect(Preview, &QPrintPreviewWidget::paintRequested, this, &TReportPreview::paintRequested);
    connect(Preview, &QPrintPreviewWidget::previewChanged, this, &TReportPreview::updatePageLabel);
    connect(PrintButton, &QPushButton::clicked, this, [this] { PrintButtonClick(); });
    connect(PriorButton, &QPushButton::clicked, this, [this] {
        Preview->setCurrentPage(Preview->currentPage() - 1);
        updatePageLabel();
    });
    connect(NextButton, &QPushButton::clicked, this, [this] {
        Preview->setCurrentPage(Preview->currentPage() + 1);
        updatePageLabel();
    });
    connect(FitButton, &QPushButton::clicked, Preview, &QPrintPreviewWidget::fitToWidth);
    connect(CloseButton, &QPushButton::clicked, this, [this] { done(platform::mrCancel); });
}

bool TReportPreview::PrintButtonClick()
{
    if (!platform::dialogs().choosePrinter(printer_)) return false;
    emit paintRequested(&printer_);
    done(platform::mrOk);
    return true;
}

void TReportPreview::updatePageLabel()
{
    PageLabel->setText(QStringLiteral("%1 / %2").arg(Preview->currentPage()).arg(Preview->pageCount()));
}

} // namespace print
