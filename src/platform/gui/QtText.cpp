#include "platform/gui/QtText.h"

#include "platform/Time.h"

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

int DateNumber(const QDate& date)
{
    return date.year() * 10000 + date.month() * 100 + date.day();
}

QDate DateOfNumber(int nDate)
{
    return QDate(nDate / 10000, nDate / 100 % 100, nDate % 100);
}

QString DateNumberText(int nDate)
{
    return QString::fromStdString(DateText(nDate));
}
