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

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

namespace {

using published::Field;

// The start timing as the CSV writes it, from the five bytes of the finishing line: " 0.15"
// is 0.15, "F0.01" a flying start of -0.01, anything else none.
std::string StartTiming(const std::string& field)
{
    const bool bTimed = field.size() == 5 && (field[0] == ' ' || field[0] == 'F') && isdigit(field[1]) &&
                        field[2] == '.' && isdigit(field[3]) && isdigit(field[4]);
    return bTimed ? (field[0] == 'F' ? "-" : "") + field.substr(1) : std::string();
}

// The racer 3159's races in the published days, "YYYY/MM/DD venue race boat course start place",
// counted from the bytes: the program lines that name him, and his finishing line; and the same
// as the CSV's rows.
std::vector<std::string> ExpectedRows(int nRegNo, int& nStarts, int& nWins, std::vector<std::string>* pCsv = nullptr)
{
    std::vector<std::string> rows;
    nStarts = nWins = 0;
    for (const auto& [key, race] : published::ReadDays()) {
        const auto& [nDate, nVenue, nRace] = key;
        for (const auto& [nBoat, nRacer] : race.boats) {
            if (nRacer != nRegNo)
                continue;
            std::string course, start, place, timing;
            for (const std::string& line : race.finishes)
                if (line.size() > 12 && std::stoi(line.substr(8, 4)) == nRegNo) {
                    course = Field(line, 46, 1);
                    start = Field(line, 53, 2);
                    place = Field(line, 2, 2);
                    timing = StartTiming(line.substr(50, 5));
                }
            if (!place.empty() && place[0] != 'K') {
                ++nStarts;
                nWins += place == "01";
            }
            char date[16];
            std::snprintf(date, sizeof date, "%04d/%02d/%02d", nDate / 10000, nDate / 100 % 100, nDate % 100);
            rows.push_back(std::string(date) + " " + SjisToUtf8(CKeluDoc::GetVenueName(nVenue).Str()) + " " +
                           std::to_string(nRace) + " " + std::to_string(nBoat) + " " + course + " " + start + " " + place);
            char csv[64];
            std::snprintf(csv, sizeof csv, "%04d-%02d-%02d,%02d,%d,%d,", nDate / 10000, nDate / 100 % 100, nDate % 100,
                          nVenue, nRace, nBoat);
            if (pCsv)
                pCsv->push_back(csv + course + "," + start + "," + place + "," + timing);
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
    std::vector<std::string> csv;
    std::vector<std::string> expected = ExpectedRows(3159, nStarts, nWins, &csv);
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
    EXPECT_EQ(figures.substr(0, figures.find("　1着率")),
              "出走 " + std::to_string(nStarts) + "　1着 " + std::to_string(nWins));
    EXPECT_EQ(figures.find(','), std::string::npos);
    EXPECT_NE(window.windowTitle().toStdString().find("3159"), std::string::npos);

    // The file saved, read back: the same CSV as kelu-history's, a header and a row a race,
    // oldest first, LF, the start timing last.
    ASSERT_TRUE(window.SaveCsv(QStringLiteral("racer.csv")));
    std::ifstream in("racer.csv", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes.find('\r'), std::string::npos);
    std::vector<std::string> lines;
    std::istringstream text(bytes);
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), csv.size() + 1);
    EXPECT_EQ(lines[0], "date,venue,race,boat,course,start,place,start_timing");
    std::vector<std::string> saved(lines.begin() + 1, lines.end());
    EXPECT_TRUE(std::is_sorted(saved.begin(), saved.end(), [](const std::string& a, const std::string& b) {
        return a.substr(0, 10) < b.substr(0, 10);
    }));
    std::sort(saved.begin(), saved.end());
    std::sort(csv.begin(), csv.end());
    EXPECT_EQ(saved, csv);
    EXPECT_FALSE(window.SaveCsv(QStringLiteral("no/such/folder/racer.csv")));
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
