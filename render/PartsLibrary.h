#pragma once

#include "document/Categories.h"
#include "document/FaceCode.h"

#include <QString>
#include <QStringList>

#include <array>

class QRandomGenerator;

namespace BatchRender {

// A face as a face file holds it: the part entries and their codes.
using Face = FaceCode::Face;

// The four folders of a parts library, each listed once, in the order the
// pickers list them: a part's code is its position here.
class PartsLibrary
{
public:
    // appDir: the folder holding 髪 目 顔 口, to which face file entries are
    // relative.
    explicit PartsLibrary(const QString &appDir);

    const QString &appDir() const { return m_appDir; }
    const QStringList &parts(Category category) const { return m_parts[size_t(category)]; }

    // The face the face code entry of the Edit menu makes of code in fresh
    // pickers (FaceCode::faceFromCode).
    Face faceFromCode(const QString &code) const;

    // How many different faces codes of the parts below can name.
    qint64 faceCount() const;

    // A face code of random parts, each among the first hundred of its folder
    // (the parts a code can name), so that faceFromCode gives that face back.
    QString randomCode(QRandomGenerator &random) const;

private:
    QString m_appDir;
    FaceCode::PartLists m_parts;
};

} // namespace BatchRender
