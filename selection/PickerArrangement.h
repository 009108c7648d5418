#pragma once

#include <QList>

class ItemSelect;
class Main;

namespace PickerArrangement {

// Opens a new picker for each category, in the order 髪 目 顔 口, in a column
// against the main window's right edge: the first level with its top, the
// others below, edge to edge (outer rectangles, frames included). Pickers
// opened before are left as they are.
QList<ItemSelect *> openPickers(Main *main);

} // namespace PickerArrangement
