#include "tools/partsgen/PartsLibrary.h"

#include "document/Categories.h"

#include "tools/partsgen/EyesArt.h"
#include "tools/partsgen/HairArt.h"
#include "tools/partsgen/MouthArt.h"
#include "tools/partsgen/OutlineArt.h"

#include <QDir>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace PartsLibrary {

const QList<Category> &categories()
{
    static const QList<Category> all = {
        {Categories::word(::Category::Outline), u'f', OutlineArt::count, OutlineArt::draw},
        {Categories::word(::Category::Eyes), u'e', EyesArt::count, EyesArt::draw},
        {Categories::word(::Category::Hair), u'h', HairArt::count, HairArt::draw},
        {Categories::word(::Category::Mouth), u'm', MouthArt::count, MouthArt::draw},
    };
    return all;
}

QString fileName(const Category &category, int index)
{
    return category.prefix + u"%1.png"_s.arg(index, 2, 10, QChar(u'0'));
}

QString entry(const Category &category, int index)
{
    return category.folder + u'\\' + fileName(category, index);
}

bool write(const QString &appDir, QString *error)
{
    for (const Category &category : categories()) {
        QDir folder(appDir);
        if (!folder.mkpath(category.folder) || !folder.cd(category.folder)) {
            *error = u"cannot make the folder %1"_s.arg(folder.filePath(category.folder));
            return false;
        }

        // A part dropped from the library must not linger from an earlier run.
        const QRegularExpression ours(u"^%1\\d\\d\\.png$"_s.arg(category.prefix));
        const int count = category.count();
        for (const QString &name : folder.entryList(QDir::Files)) {
            if (!ours.match(name).hasMatch())
                continue;
            if (QStringView(name).mid(1, 2).toInt() >= count && !folder.remove(name)) {
                *error = u"cannot remove the old part %1"_s.arg(folder.filePath(name));
                return false;
            }
        }

        for (int i = 0; i < count; ++i) {
            const QString path = folder.filePath(fileName(category, i));
            if (!category.draw(i).save(path, "PNG")) {
                *error = u"cannot write %1"_s.arg(path);
                return false;
            }
        }
    }
    return true;
}

} // namespace PartsLibrary
