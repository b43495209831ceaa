#pragma once
// The one crossing between the model's Shift-JIS bytes and Qt's UTF-16 text.

#include "platform/String.h"

#include <QDate>
#include <QString>

QString ToQString(const CString& s);
CString FromQString(const QString& s);
// A UTF-8 literal of the program's own (a caption, a font face) as a QString.
QString Utf8(const char* psz);
// A day as the number YYYYMMDD the store and kelu-history use, and back.
int DateNumber(const QDate& date);
QDate DateOfNumber(int nDate);
// "2020/01/05" for 20200105.
QString DateNumberText(int nDate);
