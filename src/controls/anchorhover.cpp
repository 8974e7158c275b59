#include "anchorhover.h"
#include "markup.h"
#include "platform/shell.h"

#include <QAbstractScrollArea>
#include <QHelpEvent>
#include <QToolTip>

namespace controls {

void AnchorHover::move(const QPoint& pos, bool itemHint)
{
    QWidget* viewport = list_.area->viewport();
    if (itemHint) {
        const int row = list_.rowAt(pos);
        if (row >= 0 && row != lastHintItem_) {
            QToolTip::hideText();
            lastHintItem_ = row;
        } else if (row < 0) {
            QToolTip::hideText();
            lastHintItem_ = -1;
        }
    }
    QString anchor;
    int index = -1;
    list_.anchorAt(pos, anchor, index);
    if (!anchor.isEmpty()) {
        if (anchor != lastAnchor_) {
            if (!lastAnchor_.isEmpty()) {
                QToolTip::hideText();
                list_.exit(index, lastAnchor_);
            }
            if (!handCursor_) {
                viewport->setCursor(Qt::PointingHandCursor);
                handCursor_ = true;
            }
            list_.enter(index, anchor);
            lastAnchor_ = anchor;
            viewport->update(); // an image in the anchor now shows its ALT picture
        }
    } else if (handCursor_ && !lastAnchor_.isEmpty()) {
        QToolTip::hideText();
        viewport->unsetCursor();
        handCursor_ = false;
        list_.exit(index, lastAnchor_);
        lastAnchor_.clear();
        viewport->update();
    }
}

bool AnchorHover::toolTip(QHelpEvent* event, bool anchorHint, bool itemHint, bool htmlHint)
{
    QWidget* viewport = list_.area->viewport();
    const QPoint pos = event->pos();
    if (anchorHint) {
        QString anchor;
        int index = -1;
        list_.anchorAt(pos, anchor, index);
        if (!anchor.isEmpty()) {
            list_.anchorHint(index, anchor);
            QToolTip::showText(event->globalPos() + QPoint(10, -10), anchor, viewport);
            return true;
        }
    }
    if (itemHint) {
        const int row = list_.rowAt(pos);
        if (row >= 0) {
            const QString text = list_.itemText(row);
            QToolTip::showText(viewport->mapToGlobal(list_.itemHintPos(row)), htmlHint ? text : StripHTMLTags(text),
                               viewport);
            return true;
        }
    }
    QToolTip::hideText();
    event->ignore();
    return true;
}

void AnchorHover::releaseCursor()
{
    if (handCursor_) {
        list_.area->viewport()->unsetCursor();
        handCursor_ = false;
    }
}

void followAnchor(const QString& anchor, const std::function<void()>& anchorClick)
{
    if (anchor.contains(QLatin1String("://")) || anchor.contains(QLatin1String("mailto:"), Qt::CaseInsensitive))
        platform::shellOpen(anchor); // a failure is not reported
    else
        anchorClick();
}

} // namespace controls
