#include "platform/gui/Japanese.h"

#include <QDateEdit>

#include <QCalendarWidget>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTextCharFormat>
#include <QTranslator>
#include <QWidget>

namespace {

QLocale JapaneseLocale()
{
    return QLocale(QLocale::Japanese, QLocale::Japan);
}

} // namespace

bool InstallJapanese()
{
    QLocale::setDefault(JapaneseLocale());
    static QTranslator* pTranslator = nullptr;
    if (pTranslator)
        return true;
    auto* pNew = new QTranslator(QCoreApplication::instance());
    if (!pNew->load(JapaneseLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete pNew;
        return false;
    }
    QCoreApplication::installTranslator(pNew);
    pTranslator = pNew;
    return true;
}

void UseJapaneseLocale(QWidget* pWidget)
{
    pWidget->setLocale(JapaneseLocale());
}

void UseJapaneseCalendar(QCalendarWidget* pCalendar)
{
    UseJapaneseLocale(pCalendar);
    pCalendar->setFirstDayOfWeek(Qt::Sunday);
    pCalendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    QTextCharFormat saturday = pCalendar->weekdayTextFormat(Qt::Saturday);
    saturday.setForeground(QColor(0x20, 0x40, 0xD0));
    pCalendar->setWeekdayTextFormat(Qt::Saturday, saturday);
}

QDateEdit* NewJapaneseDateEdit(const QDate& date)
{
    auto* pDate = new QDateEdit(date);
    pDate->setCalendarPopup(true);
    pDate->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    UseJapaneseLocale(pDate);
    UseJapaneseCalendar(pDate->calendarWidget());
    return pDate;
}
