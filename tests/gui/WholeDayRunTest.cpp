// One run of the program as a user makes it, end to end: a published day loaded, every race of
// every venue shown on both pages, the watched-racer menu opened, a whole venue previewed. Under
// the sanitizer build its leak check covers this run: nothing of it may be left unfreed.

#include "AppHarness.h"
#include "DayFixture.h"
#include "TestDir.h"
#include "model/KeluDoc.h"
#include "res/resource.h"
#include "view/KeluView.h"
#include "view/TabCtrl.h"

#include <QComboBox>
#include <QDateEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

#include <filesystem>
#include <fstream>

using namespace apptest;

TEST(WholeDayRunTest, ADayShownRaceByRaceTheRacersMenuAndAVenuePreviewed)
{
    QDate day(2020, 1, 5);
    if (!testsupport::CopySharedDayFile("B200105.TXT", "data/prog/B200105.TXT") ||
        !testsupport::CopySharedDayFile("K200105.TXT", "data/res/K200105.TXT")) {
        // Without the published days, a day of the same shape.
        day = QDate(2021, 4, 4);
        fixture::WriteStandardDay(CTime(2021, 4, 4, 12, 0, 0), {2, 13, 24});
    }
    std::ofstream("data/favorite.txt", std::ios::binary) << "3159\t\r\n4022\t\r\n4001\t\r\n";
    // The print templates, as the program folder holds them.
    for (const char* pszName : {"yftpl.txt", "kftpl.txt", "ydtpl.txt", "kdtpl.txt"})
        std::filesystem::copy_file(std::filesystem::path(KELU_TEMPLATE_DIR) / pszName,
                                   std::filesystem::path("data") / pszName);

    auto pApp = StartApp();
    CKeluView* pView = pApp->GetView();
    CKeluDoc* pDoc = pApp->GetDocument();
    qobject_cast<QDateEdit*>(pView->GetDlgItem(IDC_DATE))->setDate(day);
    auto* pTabs = static_cast<CTabCtrl*>(pView->GetDlgItem(IDC_TAB))->TabBar();
    int nShown = 0;
    for (int nTab : {0, 1}) {
        QTest::mouseClick(pTabs, Qt::LeftButton, {}, pTabs->tabRect(nTab).center());
        for (int v = 1; v <= 24; ++v) {
            if (!pView->m_pVenueButton[v - 1]->isEnabled())
                continue;
            QTest::mouseClick(pView->m_pVenueButton[v - 1], Qt::LeftButton);
            for (int r = 1; r <= 12 && pDoc->HasRace(v, r); ++r) {
                QTest::mouseClick(pView->m_pRaceButton[r - 1], Qt::LeftButton);
                ++nShown;
            }
        }
    }
    EXPECT_GE(nShown, 72) << "three venues of twelve races on both pages, or more";

    // The watched racers' menu, as it opens.
    QMenu* pFavorites = pApp->GetMainWnd()->GetFavoritesPopup();
    emit pFavorites->aboutToShow();
    EXPECT_GT(pFavorites->actions().size(), 3);

    // A whole venue previewed, page by page.
    int nPages = 0;
    {
        CModalDriver driver({[&nPages](QWidget* pWidget) {
            auto* pDialog = qobject_cast<QPrintPreviewDialog*>(pWidget);
            ASSERT_NE(pDialog, nullptr);
            nPages = pDialog->findChild<QPrintPreviewWidget*>()->pageCount();
            QMetaObject::invokeMethod(pDialog, "reject", Qt::QueuedConnection);
        }});
        EXPECT_TRUE(pApp->GetMainWnd()->GetRouter()->Execute(ID_FILE_PREVIEW_ALL));
    }
    EXPECT_EQ(nPages, 4);
}
