#include "platform/RegularFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace RegularFile {

namespace {

Result systemError(int error)
{
    return {Result::Error::System, QString::fromLocal8Bit(std::strerror(error)), {}};
}

} // namespace

Result open(const QString &path, QFile &file)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return systemError(errno);
    struct stat info;
    Result result;
    if (::fstat(fd, &info) != 0)
        result = systemError(errno);
    else if (S_ISDIR(info.st_mode))
        result.error = Result::Error::Folder;
    else if (!S_ISREG(info.st_mode))
        result.error = Result::Error::NotRegularFile;
    else if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        result = {Result::Error::System, file.errorString(), {}};
    else
        return result;
    ::close(fd);
    return result;
}

Result head(const QString &path, qint64 maxBytes)
{
    QFile file;
    Result result = open(path, file);
    if (!result.ok())
        return result;
    result.bytes = file.read(maxBytes);
    if (file.error() != QFileDevice::NoError)
        return {Result::Error::System, file.errorString(), {}};
    return result;
}

} // namespace RegularFile
