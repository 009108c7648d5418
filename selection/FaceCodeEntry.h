#pragma once

#include <QList>

class ItemSelect;
class Main;

namespace FaceCodeEntry {

// Asks for a face code and makes every open picker, in the order they were
// opened, take the part the code names for its category; then redraws the
// main window once more. An empty answer or Cancel changes nothing.
void run(Main *main, const QList<ItemSelect *> &openPickers);

} // namespace FaceCodeEntry
