#include "platform/gui/Fonts.h"

#include "platform/gui/QtText.h"

#include <QStringList>

void InstallFontSubstitutions()
{
    static const struct {
        const char* face;
        const char* substitute;
    } kTable[] = {
        {kFaceGothic, "IPAGothic"},
        {kFacePGothic, "IPAPGothic"},
        {kFacePMincho, "IPAPMincho"},
        {kFaceMincho, "IPAMincho"},
    };
    for (const auto& row : kTable)
        QFont::insertSubstitutions(Utf8(row.face), QStringList{Utf8(row.substitute)});
}

QFont KeluFont(const char* pszFace, double dPointSize)
{
    // Asked for by the face that stands in, not through the substitution: a request for a face
    // the system lacks first fails, and Qt then asks fontconfig for a list of look-alikes of
    // the missing face, for every script a text uses, before it tries the substitute. On the
    // window's first paint that was a good part of the start.
    const QString strFace = Utf8(pszFace);
    const QString strSubstitute = QFont::substitute(strFace);
    QFont font(strSubstitute.isEmpty() ? strFace : strSubstitute);
    font.setPointSizeF(dPointSize);
    font.setStyleStrategy(QFont::PreferDefault);
    return font;
}
