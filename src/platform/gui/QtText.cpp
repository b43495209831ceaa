#include "platform/gui/QtText.h"

#include "platform/Sjis.h"

QString ToQString(const CString& s)
{
    const std::string utf8 = SjisToUtf8(s.Str());
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

CString FromQString(const QString& s)
{
    const QByteArray utf8 = s.toUtf8();
    return CString(Utf8ToSjis(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size()))));
}

QString Utf8(const char* psz)
{
    return QString::fromUtf8(psz ? psz : "");
}
