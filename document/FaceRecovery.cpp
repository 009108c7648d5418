#include "document/FaceRecovery.h"

#include "document/FaceFile.h"
#include "platform/AtomicFile.h"
#include "platform/RegularFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace FaceRecovery {

namespace {

// The line after the face: the face file's name, in base64 of its UTF-8, so
// that any name comes back whatever the face file's encoding.
constexpr char kNameKey[] = "name:";

} // namespace

QString folder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + u"/.local/state"_s;
    return state + u"/kaogumi"_s;
}

bool keep(const FaceParts &partFiles, const FaceParts &partCodes, const QString &faceFileName)
{
    const FaceFile::WriteResult face = FaceFile::write(partFiles, partCodes);
    if (!face.ok() || !QDir().mkpath(folder()))
        return false;
    const QString name = u"face-%1-%2.kgm"_s.arg(QDateTime::currentMSecsSinceEpoch())
                             .arg(QCoreApplication::applicationPid());
    const QByteArray bytes = face.bytes + kNameKey + faceFileName.toUtf8().toBase64() + "\r\n";
    return AtomicFile::write(folder() + u'/' + name, bytes).ok();
}

QList<Kept> pending()
{
    QList<Kept> kept;
    const QFileInfoList files =
        QDir(folder()).entryInfoList({u"face-*.kgm"_s}, QDir::Files, QDir::Name);
    for (const QFileInfo &file : files) {
        const RegularFile::Result read = RegularFile::head(file.filePath(), FaceFile::MaxFileBytes);
        const FaceFile::ReadResult face = FaceFile::read(read.bytes);
        if (!read.ok() || !face.ok())
            continue;
        const qsizetype at = read.bytes.lastIndexOf(kNameKey);
        const QByteArray name =
            at < 0 ? QByteArray() : read.bytes.mid(at + qsizetype(sizeof kNameKey) - 1).trimmed();
        kept.append({file.filePath(), face.PartFiles, face.PartCodes,
                     QString::fromUtf8(QByteArray::fromBase64(name))});
    }
    return kept;
}

void discard(const Kept &kept)
{
    QFile::remove(kept.path);
}

} // namespace FaceRecovery
