#include "platform/gui/Japanese.h"

#include <QDateEdit>

#include <QCalendarWidget>
#include <QCoreApplication>
#include <QDateTime>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLibraryInfo>
#include <QLocale>
#include <QTextCharFormat>
#include <QTranslator>
#include <QWidget>

#include <functional>

namespace {

QLocale JapaneseLocale()
{
    return QLocale(QLocale::Japanese, QLocale::Japan);
}

QTranslator* LoadTranslator(const std::function<bool(QTranslator&)>& load)
{
    auto* pTranslator = new QTranslator(QCoreApplication::instance());
    if (!load(*pTranslator)) {
        delete pTranslator;
        return nullptr;
    }
    QCoreApplication::installTranslator(pTranslator);
    return pTranslator;
}

// Qt's file dialog writes a file's size and date in the desktop's locale (QLocale::system()),
// not in the default one: under LANG=C.UTF-8 they read "1 bytes" and "7 Dec 2020 12:34:56".
// Its list shows them the Japanese way instead; everything else, sorting too, is Qt's own.
class CJapaneseFileList : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int nRole) const override
    {
        const auto* pFiles = qobject_cast<const QFileSystemModel*>(sourceModel());
        const QModelIndex file = mapToSource(index);
        if (nRole != Qt::DisplayRole || !pFiles || !file.isValid())
            return QIdentityProxyModel::data(index, nRole);
        switch (index.column()) {
        case kSizeColumn:
            // A folder has no size of its own, and Qt shows none.
            if (!pFiles->isDir(file))
                return JapaneseLocale().formattedDataSize(pFiles->size(file));
            break;
        case kDateColumn:
            return pFiles->lastModified(file).toString(QStringLiteral("yyyy/MM/dd HH:mm"));
        }
        return QIdentityProxyModel::data(index, nRole);
    }

private:
    // QFileSystemModel's columns: name, size, type, date.
    static constexpr int kSizeColumn = 1;
    static constexpr int kDateColumn = 3;
};

} // namespace

bool InstallJapanese()
{
    QLocale::setDefault(JapaneseLocale());
    static QTranslator* pQtCatalogue = nullptr;
    static QTranslator* pOurs = nullptr;
    if (!pQtCatalogue)
        pQtCatalogue = LoadTranslator([](QTranslator& t) {
            return t.load(JapaneseLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath));
        });
    // Ours after Qt's: it holds only the words Qt's catalogue lacks, so the two never disagree.
    if (!pOurs)
        pOurs = LoadTranslator([](QTranslator& t) { return t.load(QStringLiteral(":/i18n/kelu_qt_ja.qm")); });
    return pQtCatalogue != nullptr;
}

void UseJapaneseFileList(QFileDialog* pDialog)
{
    // Only the dialog of Qt's own widgets has a list to show; a desktop's dialog speaks the
    // desktop's language.
    pDialog->setProxyModel(new CJapaneseFileList(pDialog));
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
