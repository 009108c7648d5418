#pragma once

#include "document/Categories.h"
#include "document/FaceParts.h"

#include <QString>
#include <QStringList>

#include <array>

class QRandomGenerator;

namespace BatchRender {

// A face as a face file holds it: the part entries and their codes.
struct Face
{
    FaceParts PartFiles;
    FaceParts PartCodes;
};

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
    // pickers: each picker starts at its first part, moves to the position
    // the face code rules give for its field (or stays), and takes the part
    // there; a folder without parts leaves its layer empty.
    Face faceFromCode(const QString &code) const;

    // How many different faces codes of the parts below can name.
    qint64 faceCount() const;

    // A face code of random parts, each among the first hundred of its folder
    // (the parts a code can name), so that faceFromCode gives that face back.
    QString randomCode(QRandomGenerator &random) const;

private:
    QString m_appDir;
    std::array<QStringList, 4> m_parts; // by Category
};

} // namespace BatchRender
