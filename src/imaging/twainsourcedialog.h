#pragma once
// The scanner's source selection dialog: the sources in a list, the current one selected. The
// imaging engine owns no windows; installTwainSourceDialog makes this dialog, shown through the
// dialog service, the engine's source chooser.
#include "sdk/twain.h"

#include <QDialog>
#include <QList>
#include <QString>

class QListWidget;
class QWidget;

namespace imaging {

class TwainSourceDialog : public QDialog {
public:
    TwainSourceDialog(QWidget* parent, const QList<sdk::TwainSource>& sources, const QString& current);

    // The device name of the selected source, or empty.
    QString chosen() const;

    QListWidget* SourceList;
};

// Makes the dialog the engine's source chooser (once is enough; again does no harm).
void installTwainSourceDialog();

} // namespace imaging
