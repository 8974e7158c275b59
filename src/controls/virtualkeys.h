#pragma once
// Key codes as the lists report them to their key handlers: the platform's virtual-key numbers
// (Shift 16, Ctrl 17, Delete 46, "A" 65, ...), so that handlers compare with the same numbers
// everywhere.
#include <Qt>

class QKeyEvent;

namespace controls {

int virtualKeyOf(const QKeyEvent* event);
int virtualKeyOf(int qtKey);

namespace vk {
constexpr int Back = 8, Tab = 9, Return = 13, Shift = 16, Control = 17, Menu = 18, Escape = 27, Space = 32,
              Prior = 33, Next = 34, End = 35, Home = 36, Left = 37, Up = 38, Right = 39, Down = 40,
              Insert = 45, Delete = 46;
}

} // namespace controls
