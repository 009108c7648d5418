#include "output/PictureExport.h"

#include "document/Composite.h"
#include "document/FaceCode.h"
#include "document/FaceFile.h"
#include "output/PictureEncoders.h"
#include "platform/FileDlg.h"
#include "platform/FileMessages.h"
#include "platform/InputBox.h"
#include "platform/MsgBox.h"

#include <QDir>
#include <QImage>
#include <QRegularExpression>

#include <cmath>

using namespace Qt::StringLiterals;

namespace PictureExport {

namespace {

const QString kPictureFilter = u"ビットマップ|*.bmp|PNG|*.png|JPEG|*.jpg|すべてのファイル |*.*|"_s;

void showError(QWidget *owner, const QString &prompt)
{
    MsgBox::show(owner,
                 {prompt, MsgBox::Buttons::Ok, MsgBox::Icon::Critical, {}, MsgBox::Answer::Ok});
}

QString nativeName(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// The quality for a JPEG file: 0 (the lowest) to 255, as the user typed it;
// an answer that is none is refused and asked again. Nothing when the user
// cancelled or gave no answer, which ends the export quietly.
std::optional<quint8> askQuality(QWidget *owner)
{
    for (;;) {
        const QString answer = InputBox::show(
            owner, {u"圧縮率を入力してください。\r0～100(%)"_s, u"JPEG形式で保存"_s, u"50"_s});
        if (answer.isEmpty())
            return std::nullopt;
        const std::optional<int> quality = qualityFromAnswer(answer);
        if (quality && *quality >= 0 && *quality <= 255)
            return quint8(*quality);
        showError(
            owner,
            u"圧縮率「%1」では保存できません。\r0 から 255 までの整数を入力してください。"_s.arg(
                answer));
    }
}

} // namespace

std::optional<int> qualityFromAnswer(const QString &answer)
{
    static const QRegularExpression number(u"^[ \\t]*([+-]?(\\d+\\.?\\d*|\\.\\d+))[ \\t]*$"_s);
    const QRegularExpressionMatch match = number.match(answer);
    if (!match.hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = match.captured(1).toDouble(&ok);
    // The default rounding of the floating-point unit takes halves to the
    // even neighbour.
    const double whole = std::nearbyint(value);
    if (!ok || whole < -32768 || whole > 32767)
        return std::nullopt;
    return int(whole);
}

void F_SavePic(QWidget *owner, FileDlg &fileDialog, const QString &appDir, const FaceDocument &face,
               const std::function<void()> &redraw)
{
    fileDialog.setFilename({});
    fileDialog.setTitle(u"顔を画像として保存"_s);
    fileDialog.setFilter(kPictureFilter);
    fileDialog.ShowSave(owner, {}, {});
    if (fileDialog.Cancel())
        return;
    const QString path = fileDialog.Filename();
    redraw();

    // The picture at its own size, whatever the density of the screen the
    // window is on: painted by the same function, from the same parts.
    const QImage picture = Composite::picture(Composite::loadLayers(appDir, face.PartFiles));
    const auto *pixels = reinterpret_cast<const quint32 *>(picture.constBits());
    const int width = picture.width();
    const int height = picture.height();
    // The picture remembers its face by the face file Save writes; a face
    // that no face file can hold is not written without it unsaid.
    const FaceFile::WriteResult faceFile = FaceFile::write(face.PartFiles, face.PartCodes);
    if (!faceFile.ok()) {
        showError(owner, u"「%1」に画像を保存できませんでした。\r"
                         u"今の顔は顔ファイルに書けないため、画像に記録できません。"_s.arg(
                             nativeName(path)));
        return;
    }
    const PictureEncoders::Memo memo{faceFile.bytes, FaceCode::compose(face.PartCodes)};

    const QString key = path.right(4).toLower();
    AtomicFile::Result written;
    if (key == u".bmp") {
        written = PictureEncoders::SaveBMP(pixels, width, height, path);
    } else if (key == u".gif") {
        written = PictureEncoders::SaveGIF(pixels, width, height, path, memo);
    } else if (key == u".jpg") {
        const std::optional<quint8> quality = askQuality(owner);
        if (!quality)
            return;
        written = PictureEncoders::DCSavetoJPEG(pixels, width, height, path, *quality, 0, memo);
    } else if (key == u".png") {
        written = PictureEncoders::DCSavetoPNG(pixels, width, height, path, 0, memo);
    } else {
        showError(owner, u"「%1」には画像を保存できません。\r名前の終わりで形式を選んでください"
                         u"（.bmp .png .jpg .gif）。"_s.arg(nativeName(path)));
        return;
    }

    if (!written.ok()) {
        showError(owner, u"「%1」に画像を保存できませんでした。\r%2"_s.arg(
                             nativeName(path), FileMessages::reason(written)));
    }
}

} // namespace PictureExport
