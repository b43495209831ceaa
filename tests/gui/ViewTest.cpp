// The race view: choosing the day, the venue and the race with real clicks and keys, and the
// commands it carries.

#include "DayFixture.h"
#include "ViewHost.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/Shell.h"
#include "res/Templates.h"

#include <QCalendarWidget>
#include <QTableView>
#include <QToolButton>

#include <cstdlib>
#include <fstream>
#include <ctime>
#include <optional>

namespace {

using viewtest::Cell;
using viewtest::CViewHost;

const QDate kJan31(2020, 1, 31);
const QDate kFeb1(2020, 2, 1);
const QDate kDec31(2019, 12, 31);
const QDate kJan1(2020, 1, 1);

CTime Noon(const QDate& date)
{
    return CTime(date.year(), date.month(), date.day(), 12, 0, 0);
}

// Venue v with races nFirst..nLast of six standard boats.
fixture::ProgramVenue Venue(int v, int nFirst, int nLast)
{
    fixture::ProgramVenue venue;
    venue.venue = v;
    for (int r = nFirst; r <= nLast; ++r)
        venue.races.emplace_back().race = r;
    return venue;
}

void WriteProgram(const QDate& date, const std::vector<fixture::ProgramVenue>& venues)
{
    fixture::WriteProgramFile(Noon(date), fixture::ProgramFile(venues));
}

// 31 January: 戸田 with three races, 多摩川 cancelled (its block holds no race), 住之江 with twelve.
// 1 February: 江戸川 and 住之江. The year's end: 桐生 on 31 December, 大村 on 1 January.
void WriteDays()
{
    WriteProgram(kJan31, {Venue(2, 1, 3), Venue(5, 1, 0), Venue(12, 1, 12)});
    WriteProgram(kFeb1, {Venue(3, 1, 12), Venue(12, 1, 12)});
    WriteProgram(kDec31, {Venue(1, 1, 12)});
    WriteProgram(kJan1, {Venue(24, 1, 12)});
}

std::string RaceTitle(int r)
{
    return " " + SjisToUtf8(fixture::RaceHeaderLine(r));
}

// Records the message boxes instead of showing them.
class CMessageLog {
public:
    CMessageLog()
        : m_old(SetMessageBoxHook([this](const MessageBoxCall& call) {
            calls.push_back(call);
            return IDOK;
        }))
    {
    }
    ~CMessageLog() { SetMessageBoxHook(std::move(m_old)); }
    std::vector<MessageBoxCall> calls;

private:
    MessageBoxHook m_old;
};

class ViewTest : public ::testing::Test {
protected:
    ViewTest()
    {
        WriteDays();
        host.TypeDate(kJan31);
    }
    CViewHost host;
};

TEST_F(ViewTest, SetUpLaysOutTheFormAndChoosesNoVenueAndRaceOne)
{
    EXPECT_EQ(host.Frame().size(), QSize(690, 470));
    EXPECT_EQ(host.Frame().minimumSize(), host.Frame().maximumSize());
    EXPECT_EQ(host.VenueButton(1)->text(), Utf8("桐生"));
    EXPECT_EQ(host.VenueButton(12)->text(), Utf8("住之江"));
    EXPECT_EQ(host.VenueButton(24)->text(), Utf8("大村"));
    EXPECT_EQ(host.RaceButton(1)->text(), Utf8("1 R"));
    EXPECT_EQ(host.RaceButton(12)->text(), Utf8("12 R"));
    ASSERT_EQ(host.RaceList()->count(), 12);
    EXPECT_EQ(host.RaceList()->itemText(0), Utf8(" 1 R"));
    EXPECT_EQ(host.RaceList()->itemText(8), Utf8(" 9 R"));
    EXPECT_EQ(host.RaceList()->itemText(11), Utf8("12R"));
    EXPECT_EQ(host.RaceList()->currentIndex(), 0);
    ASSERT_EQ(host.Tabs()->count(), 2);
    EXPECT_EQ(host.Tabs()->tabText(0), Utf8("詳 細"));
    EXPECT_EQ(host.Tabs()->tabText(1), Utf8("結 果"));
    EXPECT_EQ(host.Tabs()->currentIndex(), 0);
    EXPECT_EQ(host.Doc().GetVenue(), 0);
    EXPECT_EQ(host.Doc().GetRace(), 1);
    EXPECT_EQ(host.VenueList()->currentIndex(), -1);

    // Controls sit where the form puts them, in dialog units of the form's font.
    const CDialogUnits units(DialogFont(kKeluFormTemplate));
    EXPECT_EQ(host.Item<QWidget>(IDC_GRID_PROGRAM)->geometry(), units.ToPixels(94, 43, 285, 85));
    EXPECT_EQ(host.VenueButton(4)->geometry(), units.ToPixels(35, 42 + 17, 27, 13));
    EXPECT_EQ(host.VenueButton(5)->geometry(), units.ToPixels(5, 42 + 2 * 17, 27, 13));
    EXPECT_EQ(host.RaceButton(12)->geometry(), units.ToPixels(65, 42 + 11 * 17, 21, 13));
    // The lower grid lies inside the tab control's area and above it.
    QWidget* pLower = &host.Lower();
    QWidget* pTab = host.Item<QWidget>(IDC_TAB);
    EXPECT_TRUE(pTab->geometry().contains(pLower->geometry()));
    EXPECT_EQ(host.Tabs()->geometry().bottom(), pTab->height() - 1) << "the tabs sit at the bottom";
    EXPECT_GT(host.Tabs()->geometry().top(), pLower->geometry().bottom() - pTab->y());
    EXPECT_TRUE(pLower->isAncestorOf(host.View().childAt(pLower->geometry().center())));
    // Everything fits in the view.
    for (QWidget* pChild : host.View().findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        EXPECT_TRUE(host.View().rect().contains(pChild->geometry())) << pChild->objectName().toStdString();
}

TEST_F(ViewTest, TitleLinesAreOpaqueGreyInTheGothicFont)
{
    host.ClickVenue(12);
    auto* pTitle = host.Item<QLabel>(IDC_TITLE_RACE);
    const QImage image = pTitle->grab().toImage();
    EXPECT_EQ(image.pixelColor(image.width() - 2, 1), QColor(0xEE, 0xEE, 0xEE));
    EXPECT_EQ(pTitle->font().pixelSize(), 12);
    EXPECT_EQ(QFontInfo(pTitle->font()).family(), QStringLiteral("IPAGothic"));
    EXPECT_TRUE(pTitle->alignment() & Qt::AlignLeft);
    EXPECT_TRUE(pTitle->alignment() & Qt::AlignVCenter);
}

TEST_F(ViewTest, VenueButtonChoosesTheVenueAndPutsTheFocusOnTheRaces)
{
    host.ClickVenue(12);

    EXPECT_EQ(host.Doc().GetVenue(), 12);
    EXPECT_EQ(host.Doc().GetRace(), 1);
    EXPECT_EQ(host.VenueList()->currentText(), Utf8("12# 住之江 "));
    EXPECT_TRUE(host.RaceList()->hasFocus());
    EXPECT_EQ(host.VenueTitle(), " 住之江  第　４日          試験杯　住之江大会");
    EXPECT_EQ(host.RaceTitle(), RaceTitle(1));
    EXPECT_EQ(Cell(host.Upper(), 4, 0), "4");
}

TEST_F(ViewTest, RaceButtonWithoutVenueGivesGuidanceAndChangesNothing)
{
    CMessageLog log;
    host.ClickRace(3);

    ASSERT_EQ(log.calls.size(), 1u);
    EXPECT_EQ(log.calls[0].text, Sjis("レース場を選択してください"));
    EXPECT_EQ(log.calls[0].caption, Sjis("操作ガイド"));
    EXPECT_EQ(log.calls[0].type, unsigned(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(host.Doc().GetRace(), 1);
    EXPECT_EQ(host.RaceList()->currentIndex(), 0);
    EXPECT_EQ(host.RaceTitle(), "");
}

TEST_F(ViewTest, RaceButtonsAndListsChooseTheRaceAndTheVenue)
{
    CMessageLog log;
    host.ClickVenue(12);
    host.ClickRace(3);
    EXPECT_EQ(host.Doc().GetRace(), 3);
    EXPECT_EQ(host.RaceList()->currentText(), Utf8(" 3 R"));
    EXPECT_TRUE(host.RaceList()->hasFocus());
    EXPECT_EQ(host.RaceTitle(), RaceTitle(3));

    // The arrow keys in the race list step through the races.
    QTest::keyClick(host.RaceList(), Qt::Key_Down);
    EXPECT_EQ(host.Doc().GetRace(), 4);
    EXPECT_EQ(host.RaceTitle(), RaceTitle(4));

    // The venue list offers 戸田 before 住之江.
    QTest::keyClick(host.VenueList(), Qt::Key_Up);
    EXPECT_EQ(host.Doc().GetVenue(), 2);
    EXPECT_EQ(host.Doc().GetRace(), 4);
    EXPECT_EQ(host.VenueTitle(), "");
    EXPECT_TRUE(log.calls.empty());
}

TEST_F(ViewTest, DayButtonsStepAcrossTheEndsOfMonthAndYear)
{
    auto* pNext = host.Item<QPushButton>(IDC_NEXT_DAY);
    auto* pPrev = host.Item<QPushButton>(IDC_PREV_DAY);

    host.Click(pNext);
    EXPECT_EQ(host.Date()->date(), kFeb1);
    EXPECT_EQ(host.VenueItems(), (std::vector<std::string>{"03# 江戸川 ", "12# 住之江 "}));
    host.Click(pPrev);
    EXPECT_EQ(host.Date()->date(), kJan31);
    EXPECT_EQ(host.VenueItems(), (std::vector<std::string>{"02# 戸田 ", "12# 住之江 "}));

    host.TypeDate(kDec31);
    host.Click(pNext);
    EXPECT_EQ(host.Date()->date(), kJan1);
    EXPECT_EQ(host.VenueItems(), std::vector<std::string>{"24# 大村 "});
    host.Click(pPrev);
    EXPECT_EQ(host.Date()->date(), kDec31);
    EXPECT_EQ(host.VenueItems(), std::vector<std::string>{"01# 桐生 "});
}

// Switches the process to a time zone with summer time for one test.
class CTimeZone {
public:
    explicit CTimeZone(const char* pszZone)
    {
        if (const char* pszOld = std::getenv("TZ"))
            m_old = pszOld;
        setenv("TZ", pszZone, 1);
        tzset();
    }
    ~CTimeZone()
    {
        if (m_old)
            setenv("TZ", m_old->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> m_old;
};

TEST(ViewDayStepTest, StepsByCalendarDayWhereTheClocksChange)
{
    CTimeZone zone("Europe/Berlin");
    CViewHost host;
    auto* pNext = host.Item<QPushButton>(IDC_NEXT_DAY);

    // 29 March 2020 has 23 hours there: a day's worth of seconds from late on the 28th skips it.
    host.View().m_dateShown = CTime(2020, 3, 28, 23, 30, 0);
    host.TypeDate(QDate(2020, 3, 28));
    host.Click(pNext);
    EXPECT_EQ(host.Date()->date(), QDate(2020, 3, 29));
    EXPECT_EQ(host.View().m_dateShown, CTime(2020, 3, 29, 23, 30, 0));

    // 25 October 2020 has 25 hours: a day's worth of seconds from early on it stays on it.
    host.View().m_dateShown = CTime(2020, 10, 25, 0, 30, 0);
    host.TypeDate(QDate(2020, 10, 25));
    host.Click(pNext);
    EXPECT_EQ(host.Date()->date(), QDate(2020, 10, 26));
    host.Click(host.Item<QPushButton>(IDC_PREV_DAY));
    EXPECT_EQ(host.Date()->date(), QDate(2020, 10, 25));
    EXPECT_EQ(host.View().m_dateShown, CTime(2020, 10, 25, 0, 30, 0));
}

TEST_F(ViewTest, VenuesWithoutAFirstRaceAreDisabledAndUnlisted)
{
    EXPECT_EQ(host.VenueItems(), (std::vector<std::string>{"02# 戸田 ", "12# 住之江 "}));
    for (int v = 1; v <= 24; ++v)
        EXPECT_EQ(host.VenueButton(v)->isEnabled(), v == 2 || v == 12) << "venue " << v;
    for (int r = 1; r <= 12; ++r)
        EXPECT_TRUE(host.RaceButton(r)->isEnabled());
}

TEST_F(ViewTest, ChosenVenueStaysChosenOnADayItRacesAndIsKeptWhereItDoesNot)
{
    CMessageLog log;
    host.ClickVenue(12);
    host.ClickRace(5);
    host.Item<QPushButton>(IDC_PREV_DAY)->setFocus();

    host.Click(host.Item<QPushButton>(IDC_NEXT_DAY));
    EXPECT_EQ(host.VenueList()->currentText(), Utf8("12# 住之江 "));
    EXPECT_TRUE(host.RaceList()->hasFocus());
    EXPECT_EQ(host.RaceTitle(), RaceTitle(5));

    // A day without files: nothing to choose, empty titles, the grids' cells emptied.
    host.TypeDate(QDate(2020, 2, 2));
    for (int v = 1; v <= 24; ++v)
        EXPECT_FALSE(host.VenueButton(v)->isEnabled()) << "venue " << v;
    EXPECT_EQ(host.VenueList()->count(), 0);
    EXPECT_EQ(host.VenueTitle(), "");
    EXPECT_EQ(host.RaceTitle(), "");
    EXPECT_EQ(Cell(host.Upper(), 1, 2), "");
    EXPECT_EQ(Cell(host.Upper(), 1, 1), "　　");
    // The document still holds the venue: races can be chosen and printing stays enabled.
    EXPECT_EQ(host.Doc().GetVenue(), 12);
    host.ClickRace(7);
    EXPECT_TRUE(log.calls.empty());
    EXPECT_EQ(host.Doc().GetRace(), 7);
    CCmdUI ui(ID_FILE_PRINT_RACE);
    EXPECT_TRUE(host.Router().QueryState(ui));
    EXPECT_TRUE(ui.m_bEnabled);

    // A day with files where the venue does not race: no selection in the list.
    host.TypeDate(kDec31);
    EXPECT_EQ(host.VenueList()->currentIndex(), -1);
    EXPECT_EQ(host.VenueTitle(), "");
}

TEST_F(ViewTest, RaceTwelveAtAVenueWithFewerRacesShowsNothingAndIsKept)
{
    host.ClickVenue(12);
    host.ClickRace(12);
    EXPECT_EQ(host.RaceTitle(), RaceTitle(12));

    host.ClickVenue(2);
    EXPECT_EQ(host.Doc().GetRace(), 12);
    EXPECT_EQ(host.VenueTitle(), "");
    EXPECT_EQ(host.RaceTitle(), "");
    for (int nRow = 1; nRow <= 6; ++nRow) {
        EXPECT_EQ(Cell(host.Upper(), nRow, 0), "");
        EXPECT_EQ(Cell(host.Upper(), nRow, 2), "");
        EXPECT_EQ(Cell(host.Lower(), nRow, 1), "");
        EXPECT_EQ(Cell(host.Lower(), nRow, 9), "");
    }

    host.ClickVenue(12);
    EXPECT_EQ(host.RaceTitle(), RaceTitle(12));
    EXPECT_EQ(host.RaceList()->currentText(), Utf8("12R"));
}

TEST_F(ViewTest, CalendarLoadsNothingWhileOpenAndOnceWhenClosed)
{
    QDateEdit* pDate = host.Date();
    QCalendarWidget* pCalendar = pDate->calendarWidget();
    ASSERT_NE(pCalendar, nullptr);
    QWidget* pPopup = pCalendar->window();
    auto* pDays = pCalendar->findChild<QTableView*>(QStringLiteral("qt_calendar_calendarview"));
    auto* pNextMonth = pCalendar->findChild<QToolButton*>(QStringLiteral("qt_calendar_nextmonth"));
    ASSERT_NE(pDays, nullptr);
    ASSERT_NE(pNextMonth, nullptr);
    const int nLoads = host.View().m_nLoads;

    QTest::mouseClick(pDate, Qt::LeftButton, {}, QPoint(pDate->width() - 6, pDate->height() / 2));
    ASSERT_TRUE(pPopup->isVisible());
    // Moving to the next day and browsing the months changes the date but loads nothing.
    QTest::keyClick(pDays, Qt::Key_Right);
    EXPECT_EQ(pDate->date(), kFeb1);
    QTest::mouseClick(pNextMonth, Qt::LeftButton);
    QTest::mouseClick(pNextMonth, Qt::LeftButton);
    EXPECT_EQ(host.View().m_nLoads, nLoads);
    EXPECT_EQ(host.VenueItems(), (std::vector<std::string>{"02# 戸田 ", "12# 住之江 "}));

    // Taking the day closes the calendar, which loads it once.
    QTest::keyClick(pDays, Qt::Key_Return);
    EXPECT_FALSE(pPopup->isVisible());
    EXPECT_EQ(host.View().m_nLoads, nLoads + 1);
    EXPECT_EQ(pDate->date(), kFeb1);
    EXPECT_EQ(host.VenueItems(), (std::vector<std::string>{"03# 江戸川 ", "12# 住之江 "}));

    // Closing it unchanged loads once as well.
    QTest::mouseClick(pDate, Qt::LeftButton, {}, QPoint(pDate->width() - 6, pDate->height() / 2));
    ASSERT_TRUE(pPopup->isVisible());
    QTest::keyClick(pDays, Qt::Key_Escape);
    EXPECT_FALSE(pPopup->isVisible());
    EXPECT_EQ(host.View().m_nLoads, nLoads + 2);
    EXPECT_EQ(pDate->date(), kFeb1);
}

TEST_F(ViewTest, DateChangedInItsFieldsLoadsAtOnce)
{
    host.TypeDate(QDate(2020, 1, 30));
    EXPECT_EQ(host.VenueList()->count(), 0);
    const int nLoads = host.View().m_nLoads;

    QDateEdit* pDate = host.Date();
    pDate->setFocus();
    pDate->setCurrentSection(QDateTimeEdit::DaySection);
    QTest::keyClick(pDate, Qt::Key_Up);

    EXPECT_EQ(pDate->date(), kJan31);
    EXPECT_EQ(host.View().m_nLoads, nLoads + 1);
    EXPECT_EQ(host.VenueItems(), (std::vector<std::string>{"02# 戸田 ", "12# 住之江 "}));
}

// Stands before the view on the route and takes the print and preview commands it sends on.
class CPrintSpy : public CCmdTarget {
public:
    bool OnCmdMsg(UINT nID) override
    {
        if (nID != ID_FILE_PRINT && nID != ID_FILE_PRINT_PREVIEW)
            return false;
        sent.push_back({nID, pView->m_bPrintAll});
        return true;
    }
    CKeluView* pView = nullptr;
    std::vector<std::pair<UINT, bool>> sent;
};

TEST(ViewCommandTest, PrintCommandsNeedAVenueAndSendPrintOrPreviewOn)
{
    WriteDays();
    CPrintSpy spy;
    CViewHost host(&spy);
    spy.pView = &host.View();
    host.TypeDate(kJan31);

    const struct {
        UINT nID;
        UINT nSent;
        bool bAll;
    } kPrintCommands[] = {
        {ID_FILE_PRINT_ALL, ID_FILE_PRINT, true},
        {ID_FILE_PRINT_RACE, ID_FILE_PRINT, false},
        {ID_FILE_PREVIEW_ALL, ID_FILE_PRINT_PREVIEW, true},
        {ID_FILE_PREVIEW_RACE, ID_FILE_PRINT_PREVIEW, false},
    };
    for (const auto& c : kPrintCommands) {
        CCmdUI ui(c.nID);
        EXPECT_TRUE(host.Router().QueryState(ui)) << c.nID;
        EXPECT_FALSE(ui.m_bEnabled) << c.nID;
        EXPECT_FALSE(host.Router().Execute(c.nID));
    }
    EXPECT_TRUE(spy.sent.empty());

    host.ClickVenue(12);
    for (const auto& c : kPrintCommands) {
        CCmdUI ui(c.nID);
        EXPECT_TRUE(host.Router().QueryState(ui));
        EXPECT_TRUE(ui.m_bEnabled) << c.nID;
        spy.sent.clear();
        EXPECT_TRUE(host.Router().Execute(c.nID));
        EXPECT_EQ(spy.sent, (std::vector<std::pair<UINT, bool>>{{c.nSent, c.bAll}})) << c.nID;
    }
}

TEST_F(ViewTest, DownloadsHelpAndWatchedRacerCommandsAreAlwaysThere)
{
    for (UINT nID : std::initializer_list<UINT>{ID_FILE_DOWNLOAD_TODAY, ID_FILE_DOWNLOAD_WEEK, ID_FAVORITE_ADD,
                                                ID_FAVORITE_ORGANIZE, IDHELP, ID_FAVORITE_FIRST, ID_FAVORITE_LAST}) {
        CCmdUI ui(nID);
        EXPECT_TRUE(host.Router().QueryState(ui)) << nID;
        EXPECT_TRUE(ui.m_bEnabled) << nID;
    }

    // A download reads the shown day again from disk, even one that reaches no server.
    WriteProgram(kJan31, {Venue(9, 1, 12)});
    std::ofstream("data/kelu.ini") << "[URL]\r\nDATA=http://127.0.0.1:1\r\n";
    int nMessages = 0;
    MessageBoxHook oldBox = SetMessageBoxHook([&nMessages](const MessageBoxCall&) { return ++nMessages, IDOK; });
    ASSERT_TRUE(host.Router().Execute(ID_FILE_DOWNLOAD_TODAY));
    SetMessageBoxHook(std::move(oldBox));
    EXPECT_EQ(nMessages, 1);
    EXPECT_EQ(host.VenueItems(), std::vector<std::string>{"09# 津 "});

    std::vector<CString> opened;
    ShellOpenHook old = SetShellOpenHook([&opened](const CString& target) { opened.push_back(target); });
    EXPECT_TRUE(host.Router().Execute(IDHELP));
    SetShellOpenHook(std::move(old));
    EXPECT_EQ(opened, std::vector<CString>{CString("help/index.html")});
}

TEST_F(ViewTest, SetUpAgainForgetsTheVenueButKeepsTheDay)
{
    host.ClickVenue(12);
    host.ClickRace(6);
    host.ClickTab(1);

    host.View().OnInitialUpdate();

    EXPECT_EQ(host.Doc().GetVenue(), 0);
    EXPECT_EQ(host.Doc().GetRace(), 1);
    EXPECT_EQ(host.RaceList()->currentIndex(), 0);
    EXPECT_EQ(host.Tabs()->currentIndex(), 0);
    EXPECT_EQ(host.Date()->date(), kJan31);
    EXPECT_EQ(host.VenueList()->currentIndex(), -1);
    EXPECT_EQ(host.Frame().size(), QSize(690, 470));
}

} // namespace
