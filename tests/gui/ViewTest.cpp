// The race view: choosing the day, the venue and the race with real clicks and keys, and the
// commands it carries.

#include "DayFixture.h"
#include "MessageLog.h"
#include "AppHarness.h"
#include "ViewHost.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/Shell.h"
#include "res/Templates.h"

#include <QCalendarWidget>
#include <QScreen>
#include <QStatusBar>
#include <QStandardPaths>
#include <QDialogButtonBox>
#include <QTextBrowser>
#include <QLineEdit>
#include <QTableView>
#include <QToolButton>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ctime>
#include <optional>

namespace {

using viewtest::Cell;
using testsupport::CMessageLog;
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
    EXPECT_EQ(host.Frame().minimumSize(), QSize(690, 470));
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
    ASSERT_EQ(host.Tabs()->count(), 3);
    EXPECT_EQ(host.Tabs()->tabText(0), Utf8("詳 細"));
    EXPECT_EQ(host.Tabs()->tabText(1), Utf8("結 果"));
    EXPECT_EQ(host.Tabs()->tabText(2), Utf8("予 測"));
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

TEST_F(ViewTest, TitlesShowTagLikeTextOfTheDayFileAsItStands)
{
    fixture::ProgramVenue venue = Venue(9, 1, 1);
    venue.races[0].title = "<b>一般</b>&amp;";
    WriteProgram(kFeb1, {venue});
    host.TypeDate(kFeb1);
    host.ClickVenue(9);
    host.ClickRace(1);
    auto* pTitle = host.Item<QLabel>(IDC_TITLE_RACE);
    EXPECT_EQ(pTitle->textFormat(), Qt::PlainText);
    EXPECT_TRUE(host.RaceTitle().find("<b>一般</b>&amp;") != std::string::npos) << host.RaceTitle();
    EXPECT_EQ(host.Item<QLabel>(IDC_TITLE_VENUE)->textFormat(), Qt::PlainText);
}

// The buttons of the chosen venue and race look pressed, however they were chosen.
TEST_F(ViewTest, ChosenVenueAndRaceButtonsLookPressedHoweverTheyWereChosen)
{
    const auto pressed = [this] {
        std::vector<int> venues, races;
        for (int v = 1; v <= 24; ++v)
            if (host.VenueButton(v)->isChecked())
                venues.push_back(v);
        for (int r = 1; r <= 12; ++r)
            if (host.RaceButton(r)->isChecked())
                races.push_back(r);
        return std::make_pair(venues, races);
    };
    using Pressed = std::pair<std::vector<int>, std::vector<int>>;
    EXPECT_EQ(pressed(), Pressed({}, {}));
    host.ClickVenue(12);
    EXPECT_EQ(pressed(), Pressed({12}, {1}));
    host.ClickRace(6);
    EXPECT_EQ(pressed(), Pressed({12}, {6}));
    // The lists.
    host.VenueList()->setCurrentIndex(0);
    emit host.VenueList()->activated(0);
    EXPECT_EQ(pressed(), Pressed({2}, {6}));
    host.RaceList()->setCurrentIndex(2);
    emit host.RaceList()->activated(2);
    EXPECT_EQ(pressed(), Pressed({2}, {3}));
    // A day on which the venue does not race drops it; back on a day it races, it is chosen
    // again with its button.
    host.Click(host.Item<QPushButton>(IDC_NEXT_DAY));
    EXPECT_EQ(pressed(), Pressed({}, {}));
    host.Click(host.Item<QPushButton>(IDC_PREV_DAY));
    EXPECT_EQ(pressed(), Pressed({}, {}));
    host.ClickVenue(2);
    EXPECT_EQ(pressed(), Pressed({2}, {3}));
    // A jump from the watched-racer menu goes through the race list, then the venue.
    host.RaceList()->setCurrentIndex(8);
    host.View().OnRaceListChange();
    host.View().SelectVenue(12);
    EXPECT_EQ(pressed(), Pressed({12}, {9}));
    // A new document forgets the venue; a race button without one stays up after its message.
    host.View().OnInitialUpdate();
    EXPECT_EQ(pressed(), Pressed({}, {}));
    CMessageLog log;
    host.ClickRace(4);
    EXPECT_EQ(log.calls.size(), 1u);
    EXPECT_EQ(pressed(), Pressed({}, {}));
}

TEST_F(ViewTest, ARaceWithoutAProgramSaysSoInTheStatusBar)
{
    const QString none = Utf8("このレースの番組はありません");
    QStatusBar* pStatus = host.Frame().statusBar();
    host.ClickVenue(12);
    host.ClickRace(6);
    EXPECT_TRUE(pStatus->currentMessage().isEmpty());
    host.ClickVenue(2); // three races only
    EXPECT_EQ(pStatus->currentMessage(), none);
    EXPECT_EQ(host.RaceTitle(), "");
    host.ClickRace(2);
    EXPECT_TRUE(pStatus->currentMessage().isEmpty());
}

TEST_F(ViewTest, VenueButtonChoosesTheVenueAndPutsTheFocusOnTheRaces)
{
    host.ClickVenue(12);

    EXPECT_EQ(host.Doc().GetVenue(), 12);
    EXPECT_EQ(host.Doc().GetRace(), 1);
    EXPECT_EQ(host.VenueList()->currentText(), Utf8("12# 住之江 "));
    EXPECT_TRUE(host.RaceList()->hasFocus());
    EXPECT_EQ(host.VenueTitle(), " 住之江    第　４日          試験杯　住之江大会");
    EXPECT_EQ(host.RaceTitle(), RaceTitle(1));
    EXPECT_EQ(Cell(host.Upper(), 4, 0), "4");
}

TEST_F(ViewTest, RaceButtonWithoutVenueGivesGuidanceAndChangesNothing)
{
    CMessageLog log;
    host.ClickRace(3);

    ASSERT_EQ(log.calls.size(), 1u);
    EXPECT_EQ(log.calls[0].text, "レース場を選択してください");
    EXPECT_EQ(log.calls[0].caption, "操作ガイド");
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

TEST_F(ViewTest, ChosenVenueStaysChosenOnADayItRacesAndIsDroppedWhereItDoesNot)
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
    // No venue is chosen any more: the print commands go off, a race button asks for a venue,
    // and the race stays for the next venue the user picks.
    EXPECT_EQ(host.Doc().GetVenue(), 0);
    EXPECT_EQ(host.Doc().GetRace(), 5);
    for (UINT nID : {ID_FILE_PRINT_ALL, ID_FILE_PRINT_RACE, ID_FILE_PREVIEW_ALL, ID_FILE_PREVIEW_RACE}) {
        CCmdUI ui(nID);
        EXPECT_TRUE(host.Router().QueryState(ui));
        EXPECT_FALSE(ui.m_bEnabled) << nID;
    }
    host.ClickRace(7);
    EXPECT_EQ(log.Texts(), std::vector<std::string>{"レース場を選択してください|操作ガイド|" +
                                                    std::to_string(MB_OK | MB_ICONINFORMATION)});
    host.TypeDate(kJan31);
    host.ClickVenue(2);
    EXPECT_EQ(host.Doc().GetRace(), 5);

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

TEST_F(ViewTest, ADayTypedAfterAClickIntoTheDateLoadsAtOnce)
{
    host.TypeDate(QDate(2020, 1, 30));
    QDateEdit* pDate = host.Date();
    auto* pField = pDate->findChild<QLineEdit*>();
    ASSERT_NE(pField, nullptr);
    // A click between the two digits of the day, "2020/01/3|0".
    QPoint at;
    for (int x = 0; x < pField->width() && at.isNull(); ++x)
        if (pField->cursorPositionAt(QPoint(x, pField->height() / 2)) == 9)
            at = QPoint(x, pField->height() / 2);
    ASSERT_FALSE(at.isNull());
    QTest::mouseClick(pField, Qt::LeftButton, {}, at);
    EXPECT_EQ(pDate->currentSection(), QDateTimeEdit::DaySection);
    EXPECT_EQ(pField->selectedText(), QStringLiteral("30"));

    const int nLoads = host.View().m_nLoads;
    QTest::keyClicks(pField, QStringLiteral("31"));
    EXPECT_EQ(pDate->date(), kJan31);
    EXPECT_GE(host.View().m_nLoads, nLoads + 1);
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
    EXPECT_TRUE(host.WaitForDownload());
    SetMessageBoxHook(std::move(oldBox));
    EXPECT_EQ(nMessages, 1);
    EXPECT_EQ(host.VenueItems(), std::vector<std::string>{"09# 津 "});

    std::vector<CString> opened;
    ShellOpenHook old = SetShellOpenHook([&opened](const CString& target) { opened.push_back(target); });
    EXPECT_TRUE(host.Router().Execute(IDHELP));
    SetShellOpenHook(std::move(old));
    EXPECT_EQ(opened, std::vector<CString>{CString("help/index.html")});
}

TEST_F(ViewTest, TheCalendarAndQtsOwnDialogsAreJapanese)
{
    // The calendar is made when it first drops down: it is read as the user first sees it.
    QDateEdit* pDate = host.Date();
    QTest::mouseClick(pDate, Qt::LeftButton, {}, QPoint(pDate->width() - 6, pDate->height() / 2));
    QCalendarWidget* pCalendar = pDate->calendarWidget();
    ASSERT_NE(pCalendar, nullptr);
    ASSERT_TRUE(pCalendar->window()->isVisible());
    EXPECT_EQ(pCalendar->firstDayOfWeek(), Qt::Sunday);
    auto* pDays = pCalendar->findChild<QTableView*>();
    ASSERT_NE(pDays, nullptr);
    QStringList heading;
    for (int nCol = 0; nCol < pDays->model()->columnCount(); ++nCol)
        heading << pDays->model()->index(0, nCol).data().toString();
    EXPECT_EQ(heading, Utf8("日 月 火 水 木 金 土").split(u' '));
    auto* pMonth = pCalendar->findChild<QToolButton*>(QStringLiteral("qt_calendar_monthbutton"));
    ASSERT_NE(pMonth, nullptr);
    EXPECT_EQ(pMonth->text(), Utf8("1月"));
    pCalendar->window()->hide();

    // Qt's dialogs speak Japanese through Qt's own translations.
    QDialogButtonBox buttons(QDialogButtonBox::Cancel | QDialogButtonBox::Open);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), Utf8("キャンセル"));
    EXPECT_EQ(buttons.button(QDialogButtonBox::Open)->text(), Utf8("開く"));
}

// Help opens through the desktop's xdg-open; when there is none, or it finds no browser, the page
// opens in a window of Kelu's own. The PATH holds a stand-in xdg-open for each case.
TEST_F(ViewTest, HelpOpensInTheBrowserOrElseInAWindowOfItsOwn)
{
    const std::string strPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    const auto helpWindows = [] {
        std::vector<QTextBrowser*> found;
        for (QWidget* pTop : QApplication::topLevelWidgets())
            if (auto* p = qobject_cast<QTextBrowser*>(pTop); p && p->isVisible())
                found.push_back(p);
        return found;
    };
    const auto closeHelp = [&] {
        for (QTextBrowser* p : helpWindows())
            p->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };
    // The stand-ins' folder is the whole PATH; the opener's watch needs sleep from it.
    const std::string strSleep = QStandardPaths::findExecutable(QStringLiteral("sleep")).toStdString();
    ASSERT_FALSE(strSleep.empty());
    std::filesystem::create_directories("bin");
    std::filesystem::create_symlink(strSleep, "bin/sleep");
    const auto useOpener = [](const char* pszScript) {
        if (pszScript) {
            std::ofstream("bin/xdg-open") << "#!/bin/sh\n" << pszScript << "\n";
            std::filesystem::permissions("bin/xdg-open", std::filesystem::perms::owner_all);
        } else {
            std::filesystem::remove("bin/xdg-open");
        }
        setenv("PATH", (std::filesystem::current_path() / "bin").c_str(), 1);
    };
    const auto waitForHelp = [&] {
        for (int i = 0; i < 100 && helpWindows().empty(); ++i)
            QTest::qWait(20);
    };
    std::filesystem::create_directories("help");
    std::ofstream("help/index.html") << "<html><body><h1>使い方</h1><p>日付を選ぶ</p></body></html>";
    const std::string strPage = (std::filesystem::current_path() / "help/index.html").string();

    // A browser is found: it gets the page, and no window of ours appears.
    useOpener("echo \"$1\" > opened.txt");
    ASSERT_TRUE(host.Router().Execute(IDHELP));
    for (int i = 0; i < 100 && !std::filesystem::exists("opened.txt"); ++i)
        QTest::qWait(20);
    QTest::qWait(100);
    std::string strOpened;
    std::getline(std::ifstream("opened.txt"), strOpened);
    EXPECT_EQ(strOpened, "file://" + strPage);
    EXPECT_TRUE(helpWindows().empty());

    // xdg-open finds no browser.
    useOpener("exit 3");
    ASSERT_TRUE(host.Router().Execute(IDHELP));
    waitForHelp();
    auto shown = helpWindows();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0]->toPlainText().contains(Utf8("日付を選ぶ")));
    EXPECT_EQ(shown[0]->windowTitle(), Utf8("kelu ﾍﾙﾌﾟ"));
    closeHelp();

    // No xdg-open at all (and the offscreen platform has no desktop services): at once. The
    // window opens over the main window, whole on the screen however low that stands.
    useOpener(nullptr);
    const QRect avail = host.Frame().screen()->availableGeometry();
    host.Frame().move(avail.right() - 200, avail.bottom() - 150);
    ASSERT_TRUE(host.Router().Execute(IDHELP));
    shown = helpWindows();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(avail.contains(shown[0]->frameGeometry())) << shown[0]->frameGeometry().bottom();
    EXPECT_GT(shown[0]->frameGeometry().right(), avail.center().x());
    // Asked again, the same window comes forward.
    ASSERT_TRUE(host.Router().Execute(IDHELP));
    EXPECT_EQ(helpWindows(), shown);
    closeHelp();

    // Without the page the window says which file is missing.
    std::filesystem::remove_all("help");
    ASSERT_TRUE(host.Router().Execute(IDHELP));
    shown = helpWindows();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0]->toPlainText().contains(QStringLiteral("help/index.html")));
    closeHelp();
    setenv("PATH", strPath.c_str(), 1);
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

TEST_F(ViewTest, TheStatusBarKeepsTellingOfADamagedDayAndOfADayWithoutFiles)
{
    auto dayStatus = [this] {
        for (QLabel* pLabel : host.Frame().statusBar()->findChildren<QLabel*>())
            if (pLabel->isVisibleTo(&host.Frame()) && !pLabel->text().isEmpty())
                return pLabel->text().toStdString();
        return std::string();
    };
    // 31 January is whole, and a venue is to be chosen; 2 February has no files at all.
    EXPECT_EQ(dayStatus(), "レース場を選んでください。左のレース場のボタンか、上の一覧から選べます。");
    host.ClickVenue(12);
    EXPECT_EQ(dayStatus(), "");
    host.TypeDate(QDate(2020, 2, 2));
    EXPECT_EQ(dayStatus(), "この日の番組表がありません。ﾌｧｲﾙ → 番組と結果のﾀﾞｳﾝﾛｰﾄﾞ (当日分) で取得できます。");

    // 1 February with a line over the limit in 江戸川's block, after 住之江's: the line number
    // is counted here in the bytes written.
    std::string bytes = fixture::ProgramFile({Venue(12, 1, 12), Venue(3, 1, 12)});
    const size_t nAt = bytes.find("03BBGN");
    ASSERT_NE(nAt, std::string::npos);
    bytes.insert(nAt + 8, std::string(90, 'x') + "\r\n");
    const long nLine = std::count(bytes.begin(), bytes.begin() + static_cast<long>(nAt), '\n') + 2;
    fixture::WriteProgramFile(Noon(kFeb1), bytes);
    host.TypeDate(kFeb1);
    EXPECT_EQ(dayStatus(), "data/prog/B200201.TXT の " + std::to_string(nLine) +
                               " 行目が長すぎるため、そこで読むのをやめました。江戸川 と、ファイルでその後に続くレース場の番組が欠けています。");
    EXPECT_EQ(host.VenueItems(), std::vector<std::string>{"12# 住之江 "});
    // A race's own message takes the bar's message pane and leaves the day's word where it is.
    host.ClickVenue(12);
    host.ClickRace(1);
    EXPECT_NE(dayStatus().find("江戸川"), std::string::npos);
    host.TypeDate(kJan31);
    EXPECT_EQ(dayStatus(), "");
}

TEST_F(ViewTest, TheEmptyFormSaysWholeHowToGetTheDayAndThatAVenueIsToBeChosen)
{
    // The form's own hint: the visible label over the grids, and its settings button.
    auto hint = [this]() -> QLabel* {
        for (QLabel* pLabel : host.View().findChildren<QLabel*>())
            if (pLabel->wordWrap() && pLabel->isVisibleTo(&host.View()))
                return pLabel;
        return nullptr;
    };
    auto settingsButton = [this]() -> QPushButton* {
        for (QPushButton* pButton : host.View().findChildren<QPushButton*>())
            if (pButton->text() == QStringLiteral("設定を開く") && pButton->isVisibleTo(&host.View()))
                return pButton;
        return nullptr;
    };
    // Every line of the hint shows whole inside the window: the label is as tall as its text
    // wrapped to its width, and lies within the view, at the frame's default size and zoomed.
    auto expectWhole = [this](QLabel* pLabel) {
        ASSERT_NE(pLabel, nullptr);
        EXPECT_GE(pLabel->height(), pLabel->heightForWidth(pLabel->width()));
        const QRect inView(pLabel->mapTo(&host.View(), QPoint()), pLabel->size());
        EXPECT_TRUE(host.View().rect().contains(inView));
        EXPECT_EQ(pLabel->accessibleName(), pLabel->text());
    };

    // A day with races leaves the form to its grids.
    EXPECT_EQ(hint(), nullptr);

    // A day without files, with the server still the placeholder: the download and the settings.
    host.TypeDate(QDate(2020, 2, 2));
    EXPECT_EQ(host.Frame().size(), QSize(690, 470));
    expectWhole(hint());
    EXPECT_TRUE(hint()->text().startsWith(QStringLiteral("2020/02/02 の番組表がありません。ﾌｧｲﾙ → 番組と結果のﾀﾞｳﾝﾛｰﾄﾞ (当日分) で取得できます。")));
    EXPECT_TRUE(hint()->text().contains(QStringLiteral("データのサーバーのアドレスを 設定 で入れてください")));
    // The status bar's short word fits the bar at 690 pixels.
    QLabel* pStatus = nullptr;
    for (QLabel* pLabel : host.Frame().statusBar()->findChildren<QLabel*>())
        if (pLabel->text().startsWith(QStringLiteral("この日の番組表")))
            pStatus = pLabel;
    ASSERT_NE(pStatus, nullptr);
    EXPECT_LE(pStatus->fontMetrics().horizontalAdvance(pStatus->text()), pStatus->contentsRect().width());
    host.View().ZoomTo(2.0);
    QApplication::processEvents();
    expectWhole(hint());

    // The button opens the settings; once a server is set there, the hint speaks of the download alone.
    ASSERT_NE(settingsButton(), nullptr);
    QString title;
    apptest::CModalDriver driver({[&title](QWidget* pDialog) {
        title = pDialog->windowTitle();
        for (QLineEdit* pEdit : pDialog->findChildren<QLineEdit*>())
            if (pEdit->text().startsWith(QStringLiteral("http"))) {
                pEdit->setText(QStringLiteral("http://127.0.0.1:8080/od2"));
                break;
            }
        QMetaObject::invokeMethod(pDialog, "accept", Qt::QueuedConnection);
    }});
    settingsButton()->click();
    ASSERT_EQ(driver.Seen().size(), 1);
    EXPECT_EQ(title, QStringLiteral("設定"));
    EXPECT_EQ(CProfile("data/kelu.ini").GetProfileString("URL", "DATA", "").Str(), "http://127.0.0.1:8080");
    EXPECT_EQ(settingsButton(), nullptr);
    ASSERT_NE(hint(), nullptr);
    EXPECT_FALSE(hint()->text().contains(QStringLiteral("設定")));
}
