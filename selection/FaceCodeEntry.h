#pragma once

#include <QList>
#include <QPointer>

class ItemSelect;
class QString;
class QWidget;

namespace FaceCodeEntry {

// Asks, over owner, for a face code (offering faceCode, the code of the face
// shown) and makes every open picker, in the order they were opened, take the
// part the code names for its category. False when the user gave no code
// (an empty answer or Cancel): nothing was changed.
bool run(QWidget *owner, const QString &faceCode, const QList<QPointer<ItemSelect>> &pickers);

// The same without the question: every open picker takes the part code names,
// as if the user had typed code.
void enter(const QString &code, const QList<QPointer<ItemSelect>> &pickers);

} // namespace FaceCodeEntry
