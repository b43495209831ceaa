#pragma once
// Kelu speaks Japanese whatever the desktop's language: Qt's own dialogs (files, printing,
// message box buttons) through Qt's translations, calendars and dates through the Japanese locale.

class QCalendarWidget;
class QDate;
class QDateEdit;
class QFileDialog;
class QWidget;

// Makes Japanese the default locale and loads Qt's Japanese translations into the application,
// then Kelu's own for the few words of Qt's dialogs that Qt's lack. False when Qt's translations
// are not installed (the dialogs then stay mostly in Qt's English).
bool InstallJapanese();

// A file dialog of Qt's widgets lists sizes and dates in the desktop's locale whatever the
// default one is; this has pDialog list them in Japanese ("2020/01/05 12:34"). Called before
// the dialog shows.
void UseJapaneseFileList(QFileDialog* pDialog);

// The Japanese locale for one widget, for controls that must not follow a locale set elsewhere.
void UseJapaneseLocale(QWidget* pWidget);

// A calendar as the date pickers of this country show it: the Japanese locale, weeks from
// Sunday, 日 to 土, no week numbers, Sundays red and Saturdays blue.
void UseJapaneseCalendar(QCalendarWidget* pCalendar);

// A date field "2020/01/05" with that calendar dropping down.
QDateEdit* NewJapaneseDateEdit(const QDate& date);
