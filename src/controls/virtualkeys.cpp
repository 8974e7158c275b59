#include "virtualkeys.h"

#include <QKeyEvent>

namespace controls {

int virtualKeyOf(int k)
{
    if ((k >= Qt::Key_A && k <= Qt::Key_Z) || (k >= Qt::Key_0 && k <= Qt::Key_9)) return k;
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return 112 + (k - Qt::Key_F1);
    switch (k) {
    case Qt::Key_Backspace: return vk::Back;
    case Qt::Key_Tab: case Qt::Key_Backtab: return vk::Tab;
    case Qt::Key_Return: case Qt::Key_Enter: return vk::Return;
    case Qt::Key_Shift: return vk::Shift;
    case Qt::Key_Control: return vk::Control;
    case Qt::Key_Alt: return vk::Menu;
    case Qt::Key_Escape: return vk::Escape;
    case Qt::Key_Space: return vk::Space;
    case Qt::Key_PageUp: return vk::Prior;
    case Qt::Key_PageDown: return vk::Next;
    case Qt::Key_End: return vk::End;
    case Qt::Key_Home: return vk::Home;
    case Qt::Key_Left: return vk::Left;
    case Qt::Key_Up: return vk::Up;
    case Qt::Key_Right: return vk::Right;
    case Qt::Key_Down: return vk::Down;
    case Qt::Key_Insert: return vk::Insert;
    case Qt::Key_Delete: return vk::Delete;
    case Qt::Key_Semicolon: return 186;
    case Qt::Key_Plus: case Qt::Key_Equal: return 187;
    case Qt::Key_Comma: return 188;
    case Qt::Key_Minus: return 189;
    case Qt::Key_Period: return 190;
    case Qt::Key_Slash: return 191;
    default: return 0;
    }
}

int virtualKeyOf(const QKeyEvent* event)
{
    if (!event) return 0;
    const int k = virtualKeyOf(event->key());
    if (k != 0) return k;
    // Letters outside A-Z (umlauts, accents) arrive as their upper-case character.
    const QString t = event->text().toUpper();
    if (t.size() == 1 && t.at(0).unicode() >= 0xC0 && t.at(0).unicode() <= 0xFF) return t.at(0).unicode();
    return 0;
}

} // namespace controls
