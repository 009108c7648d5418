#include "document/Categories.h"

namespace Categories {

namespace {

struct Entry
{
    char16_t word;
    QString FaceParts::*field;
};

// Indexed by the enumeration, which follows the record's order.
constexpr Entry kEntries[] = {
    {u'顔', &FaceParts::Outline},
    {u'口', &FaceParts::Mouth},
    {u'髪', &FaceParts::Hair},
    {u'目', &FaceParts::Eyes},
};

const Entry &entry(Category category)
{
    return kEntries[int(category)];
}

} // namespace

QString word(Category category)
{
    return QString(QChar(entry(category).word));
}

std::optional<Category> fromWord(const QString &text)
{
    for (Category category : FileColumns) {
        if (text.size() == 1 && text.at(0) == QChar(entry(category).word))
            return category;
    }
    return std::nullopt;
}

QString partEntry(Category category, const QString &fileName)
{
    return word(category) + u'\\' + fileName;
}

QString partCode(int position)
{
    return QString::number(position).rightJustified(2, u'0');
}

QString &field(FaceParts &parts, Category category)
{
    return parts.*(entry(category).field);
}

const QString &field(const FaceParts &parts, Category category)
{
    return parts.*(entry(category).field);
}

} // namespace Categories
