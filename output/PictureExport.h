#pragma once

#include "document/FaceParts.h"

#include <QString>

#include <functional>
#include <optional>

class FileDlg;
class QWidget;

// Writing the face as a picture file: BMP, PNG, JPEG, GIF or SVG, chosen by
// the ending of the file's name (PictureFormat).
namespace PictureExport {

// The export command. The user chooses a name in fileDialog (the program's
// shared file dialog object, modal to owner); then redraw() brings the main
// window's surface up to date, and the face, painted from the parts in
// appDir, is written under that name. PNG, JPEG, GIF and SVG carry the
// face's face file and face code, so the picture remembers its face. Every outcome
// but a cancel by the user ends either in a written file or in a message
// that says why none was written; the face itself is never changed.
void F_SavePic(QWidget *owner, FileDlg &fileDialog, const QString &appDir, const FaceDocument &face,
               const std::function<void()> &redraw);

// The JPEG quality typed by the user, read as the number it is: blanks
// around it, a sign, decimals rounded to the nearest whole number with halves
// going to the even one ("50.5" is 50, "51.5" is 52). Nothing when the text is
// no number or the number lies outside -32768..32767.
std::optional<int> qualityFromAnswer(const QString &answer);

} // namespace PictureExport
