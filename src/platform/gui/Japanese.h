#pragma once
// Kelu speaks Japanese whatever the desktop's language: Qt's own dialogs (files, printing,
// message box buttons) through Qt's translations, calendars and dates through the Japanese locale.

class QCalendarWidget;
class QDate;
class QDateEdit;
class QWidget;

// Makes Japanese the default locale and loads Qt's Japanese translations into the application.
// False when the translations are not installed (the dialogs then stay in Qt's English).
bool InstallJapanese();

// The Japanese locale for one widget, for controls that must not follow a locale set elsewhere.
void UseJapaneseLocale(QWidget* pWidget);

// A calendar as the date pickers of this country show it: the Japanese locale, weeks from
// Sunday, 日 to 土, no week numbers, Sundays red and Saturdays blue.
void UseJapaneseCalendar(QCalendarWidget* pCalendar);

// A date field "2020/01/05" with that calendar dropping down.
QDateEdit* NewJapaneseDateEdit(const QDate& date);
