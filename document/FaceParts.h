#pragma once

#include <QString>

// One text per part category. The field order is the record's own (outline,
// mouth, hair, eyes); the face file and the face code each use an order of
// their own, so nothing may rely on the order of the fields here.
struct FaceParts
{
    QString Outline; // 顔
    QString Mouth;   // 口
    QString Hair;    // 髪
    QString Eyes;    // 目

    friend bool operator==(const FaceParts &a, const FaceParts &b)
    {
        return a.Outline == b.Outline && a.Mouth == b.Mouth && a.Hair == b.Hair && a.Eyes == b.Eyes;
    }
    friend bool operator!=(const FaceParts &a, const FaceParts &b) { return !(a == b); }
};

// The whole of what the user makes: the chosen part images (paths relative to
// the application folder, with "\" as in face files made on Windows), their
// codes, the face file they belong to and whether they changed since.
struct FaceDocument
{
    FaceParts PartFiles;
    FaceParts PartCodes;
    QString FaceFileName;
    bool Modified = false;
};
