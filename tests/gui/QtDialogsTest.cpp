// Qt's own dialogs as Kelu opens them, read as the user reads them: the words Qt's Japanese
// catalogue lacks come from Kelu's, and the file list writes sizes and dates the Japanese way
// whatever the desktop's locale.

#include "AppHarness.h"
#include "platform/Sjis.h"
#include "platform/gui/QtText.h"
#include "record/RecordParts.h"
#include "res/resource.h"

#include <QAbstractButton>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTreeView>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace apptest;

namespace {

// "2020/01/05 09:07", from the parts of a local time.
QString MinuteText(const QDateTime& time)
{
    return QString::asprintf("%04d/%02d/%02d %02d:%02d", time.date().year(), time.date().month(), time.date().day(),
                             time.time().hour(), time.time().minute());
}

// The row of strName in a file dialog's detail list, name, size, type and date, once Qt's model
// has read the folder on its own thread.
QStringList ListedRow(QFileDialog* pDialog, const QString& strName)
{
    auto* pList = pDialog->findChild<QTreeView*>(QStringLiteral("treeView"));
    const auto Row = [&] {
        QStringList cells;
        for (int r = 0; pList && r < pList->model()->rowCount(pList->rootIndex()); ++r) {
            const QModelIndex name = pList->model()->index(r, 0, pList->rootIndex());
            if (name.data().toString() == strName && !name.siblingAtColumn(3).data().toString().isEmpty())
                for (int c = 0; c < 4; ++c)
                    cells << name.siblingAtColumn(c).data().toString();
        }
        return cells;
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Row().isEmpty(); }, 10000)) << strName.toStdString();
    return Row();
}

// The folder "sub" and the 10-byte file "old.csv" as a file dialog of Kelu lists them.
CModalDriver::Step CheckList(const QString& strFolderTime, const QString& strFileTime)
{
    return [=](QWidget* pWidget) {
        auto* pDialog = qobject_cast<QFileDialog*>(pWidget);
        ASSERT_NE(pDialog, nullptr);
        static const QRegularExpression kLatin(QStringLiteral("[A-Za-z]"));
        const QStringList folder = ListedRow(pDialog, QStringLiteral("sub"));
        const QStringList file = ListedRow(pDialog, QStringLiteral("old.csv"));
        ASSERT_TRUE(folder.size() == 4 && file.size() == 4);
        EXPECT_TRUE(!folder[2].isEmpty() && !folder[2].contains(kLatin)) << folder[2].toStdString();
        EXPECT_EQ(folder[3].toStdString(), strFolderTime.toStdString());
        EXPECT_TRUE(file[1].startsWith(QStringLiteral("10 ")) && !file[1].contains(kLatin)) << file[1].toStdString();
        EXPECT_EQ(file[3].toStdString(), strFileTime.toStdString());
        QMetaObject::invokeMethod(pDialog, "reject", Qt::QueuedConnection);
    };
}

// The texts of a dialog with a word of English in them, three letters or more besides the name
// "PDF": its title, tabs, group boxes, buttons, labels and tooltips, hidden ones too, for they
// show when the dialog needs them.
std::string English(QWidget* pDialog, int& nTexts)
{
    QStringList texts{pDialog->windowTitle()};
    for (QWidget* p : pDialog->findChildren<QWidget*>()) {
        texts << p->toolTip();
        if (auto* pButton = qobject_cast<QAbstractButton*>(p))
            texts << pButton->text();
        if (auto* pLabel = qobject_cast<QLabel*>(p))
            texts << pLabel->text();
        if (auto* pGroup = qobject_cast<QGroupBox*>(p))
            texts << pGroup->title();
        if (auto* pTabs = qobject_cast<QTabWidget*>(p))
            for (int i = 0; i < pTabs->count(); ++i)
                texts << pTabs->tabText(i);
    }
    texts.removeAll(QString());
    nTexts = static_cast<int>(texts.size());
    static const QRegularExpression kWord(QStringLiteral("[A-Za-z]{3,}"));
    QStringList found;
    for (const QString& text : texts)
        for (auto match = kWord.globalMatch(text); match.hasNext();)
            if (match.next().captured() != QStringLiteral("PDF")) {
                found << text;
                break;
            }
    return found.join(u'|').toStdString();
}

} // namespace

TEST(QtDialogsTest, FileAndPrinterDialogsReadJapanese)
{
    // A folder and a file of known size and time where the dialogs open.
    std::filesystem::create_directory("sub");
    std::ofstream("old.csv", std::ios::binary) << "0123456789";
    const QDateTime fileTime(QDate(2020, 1, 5), QTime(9, 7, 30));
    {
        QFile file(QStringLiteral("old.csv"));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(fileTime, QFileDevice::FileModificationTime));
    }
    const QString strFolderTime = MinuteText(QFileInfo(QStringLiteral("sub")).lastModified());

    // The record windows' save dialog.
    {
        CModalDriver driver({CheckList(strFolderTime, MinuteText(fileTime))});
        bool bSaved = false;
        SaveCsvAs(nullptr, Utf8("予想の成績.csv"), Sjis("予想の成績"),
                  [&bSaved](const QString&) { return bSaved = true; });
        EXPECT_EQ(driver.Seen(), QStringList{QStringLiteral("QFileDialog")});
        EXPECT_FALSE(bSaved);
    }

    auto pApp = StartApp();
    CCommandRouter& router = *pApp->GetMainWnd()->GetRouter();
    // The document's open dialog.
    {
        CModalDriver driver({CheckList(strFolderTime, MinuteText(fileTime))});
        EXPECT_TRUE(router.Execute(ID_FILE_OPEN));
        EXPECT_EQ(driver.Seen(), QStringList{QStringLiteral("QFileDialog")});
    }

    // The printer set-up and its properties, the paper and the printer's own options.
    std::string strPrintEnglish = "-", strPropertyEnglish = "-";
    int nPrintTexts = 0, nPropertyTexts = 0;
    {
        CModalDriver driver({[&](QWidget* pDialog) {
                                 strPrintEnglish = English(pDialog, nPrintTexts);
                                 auto* pProperties = pDialog->findChild<QAbstractButton*>(QStringLiteral("properties"));
                                 ASSERT_NE(pProperties, nullptr);
                                 QMetaObject::invokeMethod(pProperties, "click", Qt::QueuedConnection);
                             },
                             [&](QWidget* pDialog) {
                                 strPropertyEnglish = English(pDialog, nPropertyTexts);
                                 QMetaObject::invokeMethod(pDialog, "reject", Qt::QueuedConnection);
                             }});
        EXPECT_TRUE(router.Execute(ID_FILE_PRINT_SETUP));
        EXPECT_EQ(driver.Seen().mid(0, 2),
                  (QStringList{QStringLiteral("QPrintDialog"), QStringLiteral("QPrintPropertiesDialog")}));
    }
    EXPECT_GT(nPrintTexts, 20);
    EXPECT_GT(nPropertyTexts, 20);
    EXPECT_EQ(strPrintEnglish, "");
    EXPECT_EQ(strPropertyEnglish, "");
}
