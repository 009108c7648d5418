#include "tools/partsgen/PartsLibrary.h"

#include "document/Categories.h"
#include "document/Composite.h"
#include "platform/AtomicFile.h"

#include "tools/partsgen/EyesArt.h"
#include "tools/partsgen/FaceGeometry.h"
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
        {Categories::word(::Category::Outline), u'f', FaceGeometry::OutlineBox, OutlineArt::count,
         OutlineArt::paint},
        {Categories::word(::Category::Eyes), u'e', Composite::EyesBox, EyesArt::count,
         EyesArt::paint},
        {Categories::word(::Category::Hair), u'h', Composite::HairBox, HairArt::count,
         HairArt::paint},
        {Categories::word(::Category::Mouth), u'm', Composite::MouthBox, MouthArt::count,
         MouthArt::paint},
    };
    return all;
}

QString fileName(const Category &category, int index)
{
    return category.prefix + u"%1.svg"_s.arg(index, 2, 10, QChar(u'0'));
}

QString entry(const Category &category, int index)
{
    return category.folder + u'\\' + fileName(category, index);
}

QByteArray svg(const Category &category, int index)
{
    return PartCanvas::svg(category.box, category.paint, index);
}

QImage raster(const Category &category, int index)
{
    return PartCanvas::raster(category.box, category.paint, index);
}

bool write(const QString &appDir, QString *error)
{
    for (const Category &category : categories()) {
        QDir folder(appDir);
        if (!folder.mkpath(category.folder) || !folder.cd(category.folder)) {
            *error = u"cannot make the folder %1"_s.arg(folder.filePath(category.folder));
            return false;
        }

        // A part dropped from the library must not linger from an earlier
        // run, nor a picture of the library as it was before its parts were
        // vectors: beside f03.svg, an f03.png would be listed as a part of
        // its own and shift every face code after it.
        const QRegularExpression ours(u"^%1(\\d\\d)\\.(png|svg)$"_s.arg(category.prefix));
        const int count = category.count();
        for (const QString &name : folder.entryList(QDir::Files)) {
            const QRegularExpressionMatch match = ours.match(name);
            if (!match.hasMatch())
                continue;
            const bool stale = match.captured(2) == u"png" || match.captured(1).toInt() >= count;
            if (stale && !folder.remove(name)) {
                *error = u"cannot remove the old part %1"_s.arg(folder.filePath(name));
                return false;
            }
        }

        for (int i = 0; i < count; ++i) {
            const QString path = folder.filePath(fileName(category, i));
            const QByteArray drawing = svg(category, i);
            if (drawing.isEmpty()) {
                *error = u"%1 is drawn with what an SVG part cannot hold"_s.arg(path);
                return false;
            }
            const AtomicFile::Result written = AtomicFile::write(path, drawing);
            if (!written.ok()) {
                *error = u"cannot write %1 %2"_s.arg(path, written.reason);
                return false;
            }
        }
    }
    return true;
}

} // namespace PartsLibrary
