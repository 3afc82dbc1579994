#pragma once

class QComboBox;

namespace platform {

// Widens a drop-down box so that its longest item shows whole in the box's font (the forms'
// design widths were made for a narrower face). The widgets beside it on its row, to its right,
// move right by as much, and the box's parent grows to keep them inside when `growParent` is
// set. Returns the pixels added; 0 when the box was wide enough.
int fitBoxToItems(QComboBox& box, bool growParent = true);

// The width a box needs to show every item whole.
[[nodiscard]] int boxWidthForItems(const QComboBox& box);

} // namespace platform
