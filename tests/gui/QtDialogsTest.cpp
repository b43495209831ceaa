// Qt's own dialogs as Kelu opens them, read as the user reads them: the words Qt's Japanese
// catalogue lacks come from Kelu's, and the file list writes sizes and dates the Japanese way
// whatever the desktop's locale (the tests run under LANG=C.UTF-8 or none).

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
#include <QPrintDialog>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTreeView>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

using namespace apptest;

namespace {

// "2020/01/05 09:07", from the parts of a local time.
QString MinuteText(const QDateTime& time)
{
    char sz[32];
    std::snprintf(sz, sizeof sz, "%04d/%02d/%02d %02d:%02d", time.date().year(), time.date().month(),
                  time.date().day(), time.time().hour(), time.time().minute());
    return QString::fromLatin1(sz);
}

// What a file dialog's detail list shows on a row: size, type, date.
struct CListed {
    QString strSize, strType, strDate;
};

// The row of strName in the dialog's list, once Qt's file system model has read the folder
// (it does so on a thread of its own).
CListed ListedRow(QFileDialog* pDialog, const QString& strName)
{
    auto* pList = pDialog->findChild<QTreeView*>(QStringLiteral("treeView"));
    EXPECT_NE(pList, nullptr);
    if (!pList)
        return {};
    const auto find = [&]() -> QModelIndex {
        const QAbstractItemModel* pModel = pList->model();
        for (int r = 0; r < pModel->rowCount(pList->rootIndex()); ++r) {
            const QModelIndex name = pModel->index(r, 0, pList->rootIndex());
            if (name.data().toString() == strName && !name.siblingAtColumn(3).data().toString().isEmpty())
                return name;
        }
        return {};
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return find().isValid(); }, 10000)) << strName.toStdString();
    const QModelIndex name = find();
    return {name.siblingAtColumn(1).data().toString(), name.siblingAtColumn(2).data().toString(),
            name.siblingAtColumn(3).data().toString()};
}

const QRegularExpression kAsciiLetter(QStringLiteral("[A-Za-z]"));

// The folder "sub" and the 10-byte file "old.csv" as a file dialog of Kelu lists them.
CModalDriver::Step CheckList(const QString& strFolderTime, const QString& strFileTime)
{
    return [=](QWidget* pWidget) {
        auto* pDialog = qobject_cast<QFileDialog*>(pWidget);
        ASSERT_NE(pDialog, nullptr);
        const CListed folder = ListedRow(pDialog, QStringLiteral("sub"));
        EXPECT_FALSE(folder.strType.isEmpty());
        EXPECT_FALSE(folder.strType.contains(kAsciiLetter)) << folder.strType.toStdString();
        EXPECT_EQ(folder.strDate.toStdString(), strFolderTime.toStdString());
        const CListed file = ListedRow(pDialog, QStringLiteral("old.csv"));
        EXPECT_TRUE(file.strSize.startsWith(QStringLiteral("10 "))) << file.strSize.toStdString();
        EXPECT_FALSE(file.strSize.contains(kAsciiLetter)) << file.strSize.toStdString();
        EXPECT_EQ(file.strDate.toStdString(), strFileTime.toStdString());
        QMetaObject::invokeMethod(pDialog, "reject", Qt::QueuedConnection);
    };
}

// Every text a dialog has for the eye or the ear: titles, tabs, group boxes, buttons, labels,
// tooltips; hidden ones too, for they show when the dialog needs them.
QStringList Texts(QWidget* pDialog)
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
    return texts;
}

// The texts with a word of English in them: three letters or more, "PDF" being a name.
QStringList English(const QStringList& texts)
{
    static const QRegularExpression word(QStringLiteral("[A-Za-z]{3,}"));
    QStringList found;
    for (const QString& text : texts)
        for (auto match = word.globalMatch(text); match.hasNext();)
            if (match.next().captured() != QStringLiteral("PDF"))
                found << text;
    return found;
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
    ASSERT_EQ(MinuteText(fileTime), QStringLiteral("2020/01/05 09:07"));

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
    QStringList printTexts, propertyTexts;
    {
        CModalDriver driver({[&](QWidget* pDialog) {
                                 printTexts = Texts(pDialog);
                                 auto* pProperties = pDialog->findChild<QAbstractButton*>(QStringLiteral("properties"));
                                 ASSERT_NE(pProperties, nullptr);
                                 QMetaObject::invokeMethod(pProperties, "click", Qt::QueuedConnection);
                             },
                             [&](QWidget* pDialog) {
                                 propertyTexts = Texts(pDialog);
                                 QMetaObject::invokeMethod(pDialog, "reject", Qt::QueuedConnection);
                             }});
        EXPECT_TRUE(router.Execute(ID_FILE_PRINT_SETUP));
        EXPECT_EQ(driver.Seen().mid(0, 2),
                  (QStringList{QStringLiteral("QPrintDialog"), QStringLiteral("QPrintPropertiesDialog")}));
    }
    EXPECT_GT(printTexts.size(), 20);
    EXPECT_GT(propertyTexts.size(), 20);
    EXPECT_EQ(English(printTexts).join(u'|').toStdString(), "");
    EXPECT_EQ(English(propertyTexts).join(u'|').toStdString(), "");
}
