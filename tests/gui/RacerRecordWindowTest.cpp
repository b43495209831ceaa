// A racer's record window on the published days, against what their bytes say: his races as
// rows, newest first, the figures, the CSV field by field; and the ways the window opens.

#include "AppHarness.h"
#include "CommaLocale.h"
#include "MessageLog.h"
#include "PublishedDays.h"
#include "TestDir.h"
#include "app/KeluApp.h"
#include "frame/MainFrame.h"
#include "record/HistoryService.h"
#include "record/RacerRecordWindow.h"
#include "model/KeluDoc.h"
#include "platform/Number.h"
#include "platform/gui/CommandRouter.h"
#include "platform/gui/QtText.h"
#include "res/resource.h"
#include "view/KeluView.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <fstream>

namespace {

using published::Field;

// The racer 3159's races in the published days, "YYYY/MM/DD venue race boat course start place",
// counted from the bytes: the program lines that name him, and his finishing line.
std::vector<std::string> ExpectedRows(int nRegNo, int& nStarts, int& nWins)
{
    std::vector<std::string> rows;
    nStarts = nWins = 0;
    for (const auto& [key, race] : published::ReadDays()) {
        const auto& [nDate, nVenue, nRace] = key;
        for (const auto& [nBoat, nRacer] : race.boats) {
            if (nRacer != nRegNo)
                continue;
            std::string course, start, place;
            for (const std::string& line : race.finishes)
                if (line.size() > 12 && std::stoi(line.substr(8, 4)) == nRegNo) {
                    course = Field(line, 46, 1);
                    start = Field(line, 53, 2);
                    place = Field(line, 2, 2);
                }
            if (!place.empty() && place[0] != 'K') {
                ++nStarts;
                nWins += place == "01";
            }
            char date[16];
            std::snprintf(date, sizeof date, "%04d/%02d/%02d", nDate / 10000, nDate / 100 % 100, nDate % 100);
            rows.push_back(std::string(date) + " " + SjisToUtf8(CKeluDoc::GetVenueName(nVenue).Str()) + " " +
                           std::to_string(nRace) + " " + std::to_string(nBoat) + " " + course + " " + start + " " + place);
        }
    }
    return rows;
}

bool WaitFor(const std::function<bool()>& condition)
{
    for (int i = 0; i < 1000 && !condition(); ++i)
        QTest::qWait(10);
    return condition();
}

CRacerRecordWindow* OpenWindow()
{
    for (QWidget* pWidget : QApplication::topLevelWidgets())
        if (auto* p = dynamic_cast<CRacerRecordWindow*>(pWidget); p && p->isVisible())
            return p;
    return nullptr;
}

} // namespace

TEST(RacerRecordWindowTest, ShowsHisRacesAndFiguresAsTheFilesGiveThemAndSavesThemAsCsv)
{
    if (!published::CopyDays())
        GTEST_SKIP() << testsupport::NoSharedDataReason();
    // Decimal commas under the desktop's locale must not reach the figures or the file.
    CHistoryService history;
    CRacerRecordWindow window(3159, history, nullptr);
    {
        const testsupport::CCommaLocale comma;
        ASSERT_TRUE(comma.IsOn()) << testsupport::CCommaLocale::kMissing;
        window.show();
        window.Refresh();
        ASSERT_TRUE(WaitFor([&] { return window.SaveButton()->isEnabled(); }));
    }

    int nStarts = 0, nWins = 0;
    std::vector<std::string> expected = ExpectedRows(3159, nStarts, nWins);
    ASSERT_GE(expected.size(), 2u);
    // Newest first; races of a day in the order the store keeps them, so the day's are sorted.
    QTableWidget* pRaces = window.RaceTable();
    ASSERT_EQ(pRaces->rowCount(), static_cast<int>(expected.size()));
    std::vector<std::string> shown;
    for (int r = 0; r < pRaces->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < 7; ++c)
            cells << pRaces->item(r, c)->text();
        shown.push_back(cells.join(QLatin1Char(' ')).toStdString());
        if (r > 0) {
            EXPECT_GE(pRaces->item(r - 1, 0)->text(), pRaces->item(r, 0)->text());
        }
    }
    std::sort(shown.begin(), shown.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(shown, expected);
    const std::string figures = window.Figures()->text().toStdString();
    EXPECT_EQ(figures.substr(0, figures.find("　勝率")),
              "出走 " + std::to_string(nStarts) + "　1着 " + std::to_string(nWins));
    EXPECT_EQ(figures.find(','), std::string::npos);
    EXPECT_NE(window.windowTitle().toStdString().find("3159"), std::string::npos);

    // The CSV: a header, then a row a race of eight fields, the date as YYYY-MM-DD.
    const QStringList lines = CRacerRecordWindow::CsvText(window.Record()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), pRaces->rowCount() + 1);
    EXPECT_EQ(lines[0].toStdString(), "日付,場,レース,艇,コース,ST,着,決まり手");
    for (int r = 0; r < pRaces->rowCount(); ++r) {
        const QStringList fields = lines[r + 1].split(QLatin1Char(','));
        ASSERT_EQ(fields.size(), 8) << lines[r + 1].toStdString();
        EXPECT_EQ(QString(fields[0]).replace(QLatin1Char('-'), QLatin1Char('/')), pRaces->item(r, 0)->text());
        for (int c = 1; c < 7; ++c)
            EXPECT_EQ(fields[c], pRaces->item(r, c)->text());
    }
    EXPECT_TRUE(window.SaveCsv(QStringLiteral("racer.csv")));
}

TEST(RacerRecordWindowTest, OpensFromAProgramRowAWatchedRacerAndByNumber)
{
    if (!published::CopyDays())
        GTEST_SKIP() << testsupport::NoSharedDataReason();
    std::ofstream("data/favorite.txt") << "4022\t\r\n";
    auto pApp = apptest::StartApp();
    CKeluView* pView = pApp->GetView();
    qobject_cast<QDateEdit*>(pView->GetDlgItem(IDC_DATE))->setDate(QDate(2020, 1, 5));
    pView->SelectVenue(1);
    pView->SelectRace(5);
    const int nBoat1 = AtoI(pApp->GetDocument()->GetRegNo(1));

    // The program grid's row: the second item of its menu.
    CMSFlexGrid* pGrid = pView->m_gridProgram;
    QTimer::singleShot(50, [] {
        if (auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            QTest::mouseClick(pMenu, Qt::LeftButton, {}, pMenu->actionGeometry(pMenu->actions().value(1)).center());
            pMenu->close();
        }
    });
    const QPoint at = pGrid->visualRect(pGrid->model()->index(1, 2)).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, pGrid->viewport()->mapToGlobal(at));
    QApplication::sendEvent(pGrid->viewport(), &event);
    ASSERT_NE(OpenWindow(), nullptr);
    EXPECT_EQ(OpenWindow()->RegNo(), nBoat1);
    OpenWindow()->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // The watched racer's item, once the menu has been built.
    CCommandRouter& router = *pApp->GetMainWnd()->GetRouter();
    CCmdUI ui(ID_FAVORITE_ADD);
    router.QueryState(ui);
    EXPECT_TRUE(router.Execute(ID_FAVORITE_RECORD_FIRST));
    ASSERT_NE(OpenWindow(), nullptr);
    EXPECT_EQ(OpenWindow()->RegNo(), 4022);
    OpenWindow()->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // 注目選手 → 選手の成績: the number typed, "表示" waits for four digits.
    bool bWaited = false;
    apptest::CModalDriver driver({[&bWaited](QWidget* pDialog) {
        auto* pEdit = pDialog->findChild<QLineEdit*>();
        QPushButton* pShow = nullptr;
        for (QPushButton* p : pDialog->findChildren<QPushButton*>())
            if (p->text() == Utf8("表示"))
                pShow = p;
        QTest::keyClicks(pEdit, QStringLiteral("315"));
        bWaited = pShow && !pShow->isEnabled();
        QTest::keyClicks(pEdit, QStringLiteral("9"));
        QMetaObject::invokeMethod(pShow, [pShow] { pShow->click(); }, Qt::QueuedConnection);
    }});
    EXPECT_TRUE(router.Execute(ID_FAVORITE_RACER_RECORD));
    EXPECT_TRUE(bWaited);
    ASSERT_NE(OpenWindow(), nullptr);
    EXPECT_EQ(OpenWindow()->RegNo(), 3159);
    ASSERT_TRUE(WaitFor([] { return OpenWindow()->SaveButton()->isEnabled(); }));
}
