#include "selection/FaceCodeEntry.h"

#include "document/Main.h"
#include "platform/InputBox.h"
#include "selection/FaceCodeRules.h"
#include "selection/ItemSelect.h"

#include <QLabel>

using namespace Qt::StringLiterals;

namespace FaceCodeEntry {

void run(Main *main, const QList<ItemSelect *> &openPickers)
{
    const QString answer = InputBox::show(
        main,
        {u"バーコードのしたにあるバーコードコードをいれてください。"_s, {}, main->Label1->text()});
    if (answer.isEmpty())
        return;

    const FaceCodeRules::Fields fields = FaceCodeRules::splitFields(answer);
    for (ItemSelect *picker : openPickers) {
        const QString type = picker->TypeName();
        const QString field = type == u"髪"   ? fields.Hair
                              : type == u"目" ? fields.Eyes
                              : type == u"顔" ? fields.Outline
                              : type == u"口" ? fields.Mouth
                                              : QString();
        const std::optional<int> target =
            FaceCodeRules::targetPosition(FaceCodeRules::fieldNumber(field), picker->highest());
        if (target)
            picker->setPosition(*target);
        // A picker without parts cannot take one; the others go on.
        picker->Command1_Click();
    }
    main->Render();
}

} // namespace FaceCodeEntry
