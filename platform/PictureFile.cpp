#include "platform/PictureFile.h"

#include <QFile>
#include <QImageReader>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace PictureFile {

QImage read(const QString &path)
{
    // Opened without waiting, so that a FIFO without a writer cannot block
    // here, and checked on the open file itself, so nothing can be swapped in
    // between the check and the read.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    struct stat info;
    QFile file;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {};
    }
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    return reader.read();
}

} // namespace PictureFile
