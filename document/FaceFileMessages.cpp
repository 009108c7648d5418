#include "document/FaceFileMessages.h"

using namespace Qt::StringLiterals;

namespace FaceFile {

QString readRefusalMessage(const Reason &)
{
    return u"フォーマットが不正です。\rこのバージョンでは読み込むことはできません。"_s;
}

QString writeRefusalMessage(const Reason &reason)
{
    switch (reason.error) {
    case Error::QuoteOrLineEnd:
        return u"「%1」には引用符か改行が含まれているため、顔ファイルに書けません。"_s.arg(
            reason.text);
    case Error::ControlCharacter:
        return u"「%1」には制御文字が含まれているため、顔ファイルに書けません。"_s.arg(reason.text);
    case Error::Unencodable:
        return u"「%1」には文字として読めない部分があるため、顔ファイルに書けません。"_s.arg(
            reason.text);
    case Error::TooLong:
        return u"顔ファイルが 1 MB を超えるため、書けません。"_s;
    case Error::None:
    case Error::TooFewFields:
        break;
    }
    return {};
}

} // namespace FaceFile
