#include "output/PictureExport.h"

#include "document/Composite.h"
#include "output/PictureFormat.h"
#include "platform/FileDlg.h"
#include "platform/FileMessages.h"
#include "platform/InputBox.h"
#include "platform/MsgBox.h"

#include <QDir>
#include <QRegularExpression>

#include <cmath>

using namespace Qt::StringLiterals;

namespace PictureExport {

namespace {

const QString kPictureFilter =
    u"ビットマップ|*.bmp|PNG|*.png|JPEG|*.jpg|SVG|*.svg|すべてのファイル |*.*|"_s;

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
    // window is on: painted by the same function, from the same parts. It
    // remembers its face by the face file Save writes; a face that no face
    // file can hold is not written without it unsaid.
    const Composite::Layers layers = Composite::loadLayers(appDir, face.PartFiles);
    const std::optional<PictureEncoders::Memo> memo =
        PictureFormat::memo(face.PartFiles, face.PartCodes);
    if (!memo) {
        showError(owner, u"「%1」に画像を保存できませんでした。\r"
                         u"今の顔は顔ファイルに書けないため、画像に記録できません。"_s.arg(
                             nativeName(path)));
        return;
    }

    const std::optional<PictureFormat::Format> format = PictureFormat::ofFile(path);
    if (!format) {
        showError(owner, u"「%1」には画像を保存できません。\r名前の終わりで形式を選んでください"
                         u"（.bmp .png .jpg .gif .svg）。"_s.arg(nativeName(path)));
        return;
    }
    PictureFormat::Options options;
    if (*format == PictureFormat::Format::Jpeg) {
        const std::optional<quint8> quality = askQuality(owner);
        if (!quality)
            return;
        options.jpegQuality = *quality;
    }
    const AtomicFile::Result written = PictureFormat::write(*format, layers, path, *memo, options);
    if (!written.ok()) {
        showError(owner, u"「%1」に画像を保存できませんでした。\r%2"_s.arg(
                             nativeName(path), FileMessages::reason(written)));
    }
}

} // namespace PictureExport
