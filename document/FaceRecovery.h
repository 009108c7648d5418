#pragma once

#include "document/FaceParts.h"

#include <QList>
#include <QString>

// A face kept when the program was told to end (a signal) while it had
// changes nobody saved, to be offered back at the next start. Each is a file
// of its own in the user's state folder ($XDG_STATE_HOME/kaogumi, by default
// ~/.local/state/kaogumi): the face file's two lines, then a line with the
// name of the face's file.
namespace FaceRecovery {

struct Kept
{
    QString path; // the recovery file
    FaceParts PartFiles;
    FaceParts PartCodes;
    QString FaceFileName;
};

QString folder();

// Keeps the face; false when it could not be written.
bool keep(const FaceParts &partFiles, const FaceParts &partCodes, const QString &faceFileName);

// The faces kept and not yet offered back, oldest first.
QList<Kept> pending();

// Removes a kept face once the user has answered for it.
void discard(const Kept &kept);

} // namespace FaceRecovery
