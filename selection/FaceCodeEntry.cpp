#include "selection/FaceCodeEntry.h"

#include "document/Categories.h"
#include "document/FaceCode.h"
#include "platform/InputBox.h"
#include "selection/ItemSelect.h"

using namespace Qt::StringLiterals;

namespace FaceCodeEntry {

bool run(QWidget *owner, const QString &faceCode, const QList<QPointer<ItemSelect>> &pickers)
{
    const QString answer = InputBox::show(
        owner, {u"バーコードのしたにあるバーコードコードをいれてください。"_s, {}, faceCode});
    if (answer.isEmpty())
        return false;
    enter(answer, pickers);
    return true;
}

void enter(const QString &code, const QList<QPointer<ItemSelect>> &pickers)
{
    for (const QPointer<ItemSelect> &picker : pickers) {
        // A picker closed while the question was open has nothing to take.
        const std::optional<Category> category =
            picker ? Categories::fromWord(picker->TypeName()) : std::nullopt;
        if (!category)
            continue;
        picker->setPosition(
            FaceCode::position(code, *category, picker->position(), picker->highest()));
        // A picker without parts cannot take one; the others go on.
        picker->Command1_Click();
    }
}

} // namespace FaceCodeEntry
