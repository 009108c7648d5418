#include "selection/FaceCodeEntry.h"

#include "document/Categories.h"
#include "document/FaceCodeRules.h"
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
    const FaceParts fields = FaceCodeRules::splitFields(code);
    for (const QPointer<ItemSelect> &picker : pickers) {
        // A picker closed while the question was open has nothing to take.
        if (!picker)
            continue;
        const std::optional<Category> category = Categories::fromWord(picker->TypeName());
        const QString field = category ? Categories::field(fields, *category) : QString();
        picker->setPosition(
            FaceCodeRules::positionFor(field, picker->position(), picker->highest()));
        // A picker without parts cannot take one; the others go on.
        picker->Command1_Click();
    }
}

} // namespace FaceCodeEntry
