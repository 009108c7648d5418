#include "platform/PictureFile.h"

#include "platform/RegularFile.h"

#include <QFile>
#include <QImageReader>

namespace PictureFile {

QImage read(const QString &path)
{
    QFile file;
    if (!RegularFile::open(path, file).ok())
        return {};
    return read(file);
}

QImage read(QFile &file)
{
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    return reader.read();
}

} // namespace PictureFile
