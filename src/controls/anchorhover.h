#pragma once
// The mouse-over side of a markup list's anchors and hints, shared by the lists that lay out item
// markup: the hand cursor over an anchor, the enter and exit reports, the item hint that is
// dropped when the mouse moves to another item, and the tool tip of an anchor or an item.
#include <QPoint>
#include <QString>

#include <functional>

class QAbstractScrollArea;
class QHelpEvent;

namespace controls {

class AnchorHover {
public:
    // What the list tells the helper about itself.
    struct List {
        QAbstractScrollArea* area = nullptr;
        // The item under a viewport point; -1 without one.
        std::function<int(const QPoint&)> rowAt;
        // The anchor under a viewport point and its item (the list's AnchorAt).
        std::function<void(const QPoint&, QString&, int&)> anchorAt;
        // The list's AnchorEnter, AnchorExit and AnchorHintEvent reports.
        std::function<void(int, const QString&)> enter, exit;
        std::function<void(int, QString&)> anchorHint;
        // An item's markup and the viewport point where its hint shows.
        std::function<QString(int)> itemText;
        std::function<QPoint(int)> itemHintPos;
    };

    explicit AnchorHover(List list) : list_(std::move(list)) {}

    // A mouse move over the viewport.
    void move(const QPoint& pos, bool itemHint);
    // The viewport's tool-tip event: the anchor's hint first, then the item's; always handled.
    bool toolTip(QHelpEvent* event, bool anchorHint, bool itemHint, bool htmlHint);
    // The hand cursor goes (focus lost); the anchor under the mouse stays remembered.
    void releaseCursor();

    int lastHintItem() const { return lastHintItem_; }
    void forgetHintItem() { lastHintItem_ = -1; }

private:
    List list_;
    QString lastAnchor_;
    bool handCursor_ = false;
    int lastHintItem_ = -1;
};

// A click on an anchor: web and mail addresses open in the shell (a failure is not reported),
// anything else goes to the list's AnchorClick.
void followAnchor(const QString& anchor, const std::function<void()>& anchorClick);

} // namespace controls
