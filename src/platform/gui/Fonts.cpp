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
    QFont font(Utf8(pszFace));
    font.setPointSizeF(dPointSize);
    font.setStyleStrategy(QFont::PreferDefault);
    return font;
}
