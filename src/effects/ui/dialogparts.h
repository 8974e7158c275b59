#pragma once
// The parts the effect dialogs are laid out from: named controls at given places, as the dialogs'
// designs give them.
#include <QRect>
#include <QString>

class QLabel;
class QPushButton;
class QScrollBar;
class QSlider;
class QWidget;

namespace effectsui {

// A horizontal track bar with ticks on both sides.
QSlider* trackBar(QWidget* parent, const char* name, int min, int max, int position, int ticks, QRect geometry);
// A horizontal scroll bar without page steps.
QScrollBar* scrollBar(QWidget* parent, const char* name, int min, int max, int position, QRect geometry);
QLabel* label(QWidget* parent, const char* name, QRect geometry, const QString& text = {});
// A panel's bold heading.
QLabel* heading(QWidget* parent, const char* name, QRect geometry);
QPushButton* button(QWidget* parent, const char* name, QRect geometry);
// A plain panel that groups the controls of one face of a dialog.
QWidget* panel(QWidget* parent, const char* name, QRect geometry);

} // namespace effectsui
