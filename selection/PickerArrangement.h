#pragma once

#include <QList>

class ItemSelect;
class QString;
class QWidget;

namespace PickerArrangement {

// Opens a new picker for each category, in the order 髪 目 顔 口, reading the
// parts library in appDir, in a column against owner's right edge: the first
// level with its top, the others below, edge to edge (outer rectangles,
// frames included). Pickers opened before are left as they are.
QList<ItemSelect *> openPickers(QWidget *owner, const QString &appDir);

} // namespace PickerArrangement
