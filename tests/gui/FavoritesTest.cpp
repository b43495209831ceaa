// The watched racers as the user meets them: the add and organize dialogs driven with keys and
// clicks, and the racers' submenus of "注目選手(&A)" on a real published day, with their jumps
// and the schedule page.

#include "AppHarness.h"
#include "DayFixture.h"
#include "MessageLog.h"
#include "FileSizeLimit.h"
#include "ListFile.h"
#include "TestDir.h"
#include "app/Startup.h"
#include "download/SettingsDlg.h"
#include "favorites/AddFavoriteDlg.h"
#include "favorites/OrganizeFavoritesDlg.h"
#include "model/KeluDoc.h"
#include "platform/Sjis.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/Shell.h"
#include "res/resource.h"
#include "view/KeluView.h"
#include "view/TabCtrl.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTabBar>
#include <QTimer>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include <filesystem>

#include <unistd.h>

using testsupport::CMessageLog;
using namespace apptest;

namespace {

using namespace testsupport;

std::string S(const char* utf8)
{
    return Sjis(utf8).Str();
}

const std::string kGuide = "|操作ガイド|" + std::to_string(MB_OK | MB_ICONINFORMATION);

// Records what the shell is asked to open.
std::vector<std::string> g_opened;
void RecordShell()
{
    g_opened.clear();
    SetShellOpenHook([](const CString& target) { g_opened.push_back(target.Str()); });
}

template <class T>
void ShowActive(T& dlg)
{
    dlg.show();
    dlg.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
}

// --- The add dialog ---------------------------------------------------------------------------

class AddFavoriteTest : public ::testing::Test {
protected:
    AddFavoriteTest()
    {
        std::filesystem::create_directories("data");
        ShowActive(dlg);
    }
    QLineEdit* Edit() { return dlg.Item<QLineEdit>(IDC_REGNO); }
    QPushButton* AddButton() { return dlg.Item<QPushButton>(IDOK); }
    void Type(const char* psz)
    {
        Edit()->clear();
        QTest::keyClicks(Edit(), QString::fromLatin1(psz));
    }

    CMessageLog log;
    CAddFavoriteDlg dlg;
};

TEST_F(AddFavoriteTest, AddWaitsForFourCharactersAndRefusesAValueBelow1000)
{
    EXPECT_EQ(Edit()->accessibleName(), Utf8("登録番号"));
    EXPECT_FALSE(AddButton()->isEnabled());
    for (const char* psz : {"1", "123", "12345"}) {
        Type(psz);
        EXPECT_FALSE(AddButton()->isEnabled()) << psz;
    }
    // Only digits reach the field.
    Type("1a2-3 4");
    EXPECT_EQ(Edit()->text(), QStringLiteral("1234"));
    EXPECT_TRUE(AddButton()->isEnabled());

    Type("0123");
    ASSERT_TRUE(AddButton()->isEnabled());
    QTest::mouseClick(AddButton(), Qt::LeftButton);
    EXPECT_EQ(log.Texts(), std::vector<std::string>{"4桁の登録番号を入力してください。" + kGuide});
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(QApplication::focusWidget(), Edit());
    EXPECT_FALSE(std::filesystem::exists(kList));
}

TEST_F(AddFavoriteTest, ADuplicateIsReportedEvenInAFullListWithTheNumberSelected)
{
    const std::string full = NumberedLines(255) + "1234\t" + S("山田") + "\r\n";
    WriteList(full);
    Type("1234");
    QTest::keyClick(Edit(), Qt::Key_Home);
    QTest::mouseClick(AddButton(), Qt::LeftButton);
    EXPECT_EQ(log.Texts(), std::vector<std::string>{"登録番号1234は既に登録されています。" + kGuide});
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(Edit()->selectedText(), QStringLiteral("1234"));
    EXPECT_EQ(QApplication::focusWidget(), Edit());
    EXPECT_EQ(ReadBytes(kList), full);
}

TEST_F(AddFavoriteTest, The257thIsRefusedAndTheDialogClosesWithNothingWritten)
{
    const std::string full = NumberedLines(254) + "\r\n" + "junk\r\n";
    WriteList(full);
    Type("9999");
    QTest::keyClick(Edit(), Qt::Key_Return);
    EXPECT_EQ(log.Texts(), std::vector<std::string>{"注目選手は256人までしか登録できません。" + kGuide});
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), IDOK);
    EXPECT_EQ(ReadBytes(kList), full);
}

TEST_F(AddFavoriteTest, EnterAddsTheNumberToAMissingListAndAFailedWriteKeepsTheDialog)
{
    Type("4321");
    {
        testsupport::CFileSizeLimit limit(2);
        QTest::keyClick(Edit(), Qt::Key_Return);
    }
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(ReadBytes(kList), "");
    EXPECT_TRUE(log.calls.empty());

    QTest::keyClick(Edit(), Qt::Key_Return);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), IDOK);
    EXPECT_EQ(ReadBytes(kList), "4321\t\r\n");
}

// --- The organize dialog ----------------------------------------------------------------------

class OrganizeTest : public ::testing::Test {
protected:
    void Open(const std::string& file)
    {
        WriteList(file);
        OpenAsItIs();
    }
    void OpenAsItIs()
    {
        m_pDlg = std::make_unique<COrganizeFavoritesDlg>();
        ShowActive(*m_pDlg);
    }
    COrganizeFavoritesDlg& Dlg() { return *m_pDlg; }
    QListWidget* List() { return Dlg().Item<QListWidget>(IDC_FAVORITE_LIST); }
    QPushButton* Button(int nID) { return Dlg().Item<QPushButton>(nID); }
    void ClickEntry(int i)
    {
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, List()->visualItemRect(List()->item(i)).center());
    }
    void Click(int nID) { QTest::mouseClick(Button(nID), Qt::LeftButton); }
    // Which of "削除", "↑上へ", "↓下へ" and "OK" are enabled, as "1010".
    std::string Buttons()
    {
        std::string s;
        for (int nID : {IDC_FAVORITE_DELETE, IDC_FAVORITE_UP, IDC_FAVORITE_DOWN, IDOK})
            s += Button(nID)->isEnabled() ? '1' : '0';
        return s;
    }
    // The entries' keys, in list order.
    std::vector<std::string> Keys()
    {
        std::vector<std::string> keys;
        for (int i = 0; i < List()->count(); ++i)
            keys.push_back(List()->item(i)->text().left(4).toStdString());
        return keys;
    }
    int Selected() { return List()->selectedItems().isEmpty() ? -1 : List()->row(List()->selectedItems().first()); }

private:
    std::unique_ptr<COrganizeFavoritesDlg> m_pDlg;
};

TEST_F(OrganizeTest, ButtonsFollowClicksInTheListButNotTheKeyboard)
{
    Open("1111\t" + S("江口 晃生") + "\r\n2222\t\n3333\t\r\n");
    const QString pad(16, QChar(0x3000));
    ASSERT_EQ(List()->count(), 3);
    EXPECT_EQ(List()->item(0)->text(), Utf8("1111   江口 晃生") + pad);
    EXPECT_EQ(List()->item(1)->text(), QStringLiteral("2222   ") + pad);

    // Nothing chosen yet in a list that has entries: not even "OK".
    EXPECT_EQ(Buttons(), "0000");
    ClickEntry(0);
    EXPECT_EQ(Buttons(), "1011");
    // The arrow key moves the selection, the buttons stay as the click left them.
    QTest::keyClick(List(), Qt::Key_Down);
    EXPECT_EQ(Selected(), 1);
    EXPECT_EQ(Buttons(), "1011");
    ClickEntry(1);
    EXPECT_EQ(Buttons(), "1111");
    ClickEntry(2);
    EXPECT_EQ(Buttons(), "1101");
    // "↓下へ" on the last entry does nothing even when the keys left it enabled.
    ClickEntry(1);
    QTest::keyClick(List(), Qt::Key_Down);
    Click(IDC_FAVORITE_DOWN);
    EXPECT_EQ(Keys(), (std::vector<std::string>{"1111", "2222", "3333"}));

    // An empty list can be confirmed at once.
    Open("");
    EXPECT_EQ(List()->count(), 0);
    EXPECT_EQ(Buttons(), "0001");
}

TEST_F(OrganizeTest, DeleteAndMovesReorderTheEntriesAndOkWritesThemBack)
{
    const std::string junk("\xff\xfe\x81", 3);
    const std::string kBlank = "　　　　";
    Open("1111\t" + S("山田　　太郎") + "\r\n2222\t\r\n\r\n3333\tA   B\r\n4444\t" + junk + "\r\n5555\tLast\r\n");
    ASSERT_EQ(List()->count(), 6);
    // Deleting the last entry selects the new last one and gives the list the focus.
    ClickEntry(5);
    Click(IDC_FAVORITE_DELETE);
    EXPECT_EQ(List()->count(), 5);
    EXPECT_EQ(Selected(), 4);
    EXPECT_EQ(QApplication::focusWidget(), List());
    EXPECT_EQ(Buttons(), "1101");
    // Deleting in the middle selects the entry that took its place.
    ClickEntry(1);
    Click(IDC_FAVORITE_DELETE);
    EXPECT_EQ(Selected(), 1);
    EXPECT_EQ(Keys(), (std::vector<std::string>{"1111", kBlank, "3333", "4444"}));

    ClickEntry(0);
    Click(IDC_FAVORITE_DOWN);
    Click(IDC_FAVORITE_DOWN);
    EXPECT_EQ(Selected(), 2);
    EXPECT_EQ(Buttons(), "1111");
    Click(IDC_FAVORITE_DOWN);
    EXPECT_EQ(Buttons(), "1101");
    Click(IDC_FAVORITE_UP);
    EXPECT_EQ(Keys(), (std::vector<std::string>{kBlank, "3333", "1111", "4444"}));
    EXPECT_EQ(Selected(), 2);

    Click(IDOK);
    EXPECT_FALSE(Dlg().isVisible());
    EXPECT_EQ(Dlg().result(), IDOK);
    // Two full-width blanks go, three blanks become a TAB, a blank line stays blank and bytes
    // that are not Shift-JIS come back as they were.
    EXPECT_EQ(ReadBytes(kList), "\r\n3333\tA\tB\r\n1111\t" + S("山田太郎") + "\r\n4444\t" + junk + "\r\n");
}

TEST_F(OrganizeTest, DeletingEveryEntryEmptiesTheListAndAFailedWriteKeepsIt)
{
    const std::string file = "1111\t\r\n2222\t\r\n";
    Open(file);
    ClickEntry(0);
    Click(IDC_FAVORITE_DELETE);
    Click(IDC_FAVORITE_DELETE);
    EXPECT_EQ(List()->count(), 0);
    EXPECT_EQ(Buttons(), "0001");
    Open(file);
    ClickEntry(1);
    Click(IDC_FAVORITE_UP);
    {
        testsupport::CFileSizeLimit limit(0);
        Click(IDOK);
    }
    EXPECT_TRUE(Dlg().isVisible());
    EXPECT_EQ(ReadBytes(kList), file);
    for (const auto& entry : std::filesystem::directory_iterator("data"))
        EXPECT_TRUE(entry.is_directory() || entry.path().filename() == "favorite.txt") << entry.path();
    Click(IDCANCEL);
    EXPECT_FALSE(Dlg().isVisible());
    EXPECT_EQ(ReadBytes(kList), file);

    Open(file);
    ClickEntry(0);
    Click(IDC_FAVORITE_DELETE);
    Click(IDC_FAVORITE_DELETE);
    Click(IDOK);
    EXPECT_FALSE(Dlg().isVisible());
    EXPECT_EQ(ReadBytes(kList), "");
}

TEST_F(OrganizeTest, AListThatCannotBeReadIsNeverWrittenOver)
{
    // A folder where the list should be cannot be read by anyone, root included.
    std::filesystem::create_directories(std::string(kList) + "/inside");
    OpenAsItIs();
    EXPECT_EQ(List()->count(), 0);
    EXPECT_EQ(Buttons(), "0000");
    Click(IDOK);
    QTest::keyClick(&Dlg(), Qt::Key_Return);
    EXPECT_TRUE(Dlg().isVisible());
    Click(IDCANCEL);
    EXPECT_FALSE(Dlg().isVisible());
    EXPECT_TRUE(std::filesystem::is_directory(std::string(kList) + "/inside"));

    // The command says so and opens no dialog.
    {
        CMessageLog messages;
        auto pApp = StartApp();
        CModalDriver driver;
        EXPECT_TRUE(pApp->GetMainWnd()->GetRouter()->Execute(ID_FAVORITE_ORGANIZE));
        EXPECT_TRUE(driver.Seen().isEmpty());
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{"注目選手のリスト data/favorite.txt を読めません。リストはそのままにします。|"
                                                            "注目選手の整理|" +
                                                            std::to_string(MB_OK | MB_ICONEXCLAMATION)});
    }

    // A list the user may write but not read: saving it would empty it. Root reads it anyway.
    if (geteuid() == 0)
        return;
    std::filesystem::remove_all(kList);
    WriteList("1111\t\r\n");
    std::filesystem::permissions(kList, std::filesystem::perms::owner_write);
    OpenAsItIs();
    EXPECT_EQ(Buttons(), "0000");
    Click(IDOK);
    std::filesystem::permissions(kList, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(ReadBytes(kList), "1111\t\r\n");
}

// --- The menu on a real day -------------------------------------------------------------------

class FavoritesMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* stamp : {"200105", "200108"}) {
            if (!testsupport::CopySharedDayFile(std::string("B") + stamp + ".TXT", std::string("data/prog/B") + stamp + ".TXT") ||
                !testsupport::CopySharedDayFile(std::string("K") + stamp + ".TXT", std::string("data/res/K") + stamp + ".TXT"))
                GTEST_SKIP() << testsupport::NoSharedDataReason();
        }
        fixture::WriteFile("data/kelu.ini", "[URL]\r\nASSEN=http://schedule.kelu.test/schedule?no=%d&lang=ja\r\n");
    }

    // Starts Kelu on 5 January 2020 with the list as given.
    void Start(const std::string& list)
    {
        WriteList(list);
        m_pApp = StartApp();
        Frame()->show();
        Frame()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Frame()));
        ShowDay(QDate(2020, 1, 5));
    }
    CMainFrame* Frame() { return m_pApp->GetMainWnd(); }
    CKeluView* View() { return m_pApp->GetView(); }
    CKeluDoc* Doc() { return m_pApp->GetDocument(); }
    QMenu* Popup() { return Frame()->GetFavoritesPopup(); }
    void ShowDay(const QDate& date) { qobject_cast<QDateEdit*>(View()->GetDlgItem(IDC_DATE))->setDate(date); }

    // Opens "注目選手(&A)" with a click on the menu bar and closes it again; the submenus stay.
    void OpenAndClose()
    {
        QMenuBar* pBar = Frame()->menuBar();
        QTest::mouseClick(pBar, Qt::LeftButton, {}, pBar->actionGeometry(Popup()->menuAction()).center());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Popup()));
        Popup()->close();
    }
    // The submenus' titles, then each one's items as "id text".
    std::vector<std::string> Racers()
    {
        std::vector<std::string> racers;
        const QList<QAction*> items = Popup()->actions();
        for (qsizetype k = kFixed; k < items.size(); ++k) {
            QMenu* pMenu = items[k]->menu();
            std::string s = pMenu ? pMenu->title().toStdString() : "(no submenu)";
            for (QAction* pItem : pMenu ? pMenu->actions() : QList<QAction*>())
                s += " | " + std::to_string(CCommandRouter::CommandOf(pItem)) + " " + pItem->text().toStdString();
            racers.push_back(s);
        }
        return racers;
    }
    // Opens the popup, then the racer's submenu, and clicks the item, all with the mouse.
    void Choose(int nRacer, UINT nID)
    {
        QMenuBar* pBar = Frame()->menuBar();
        QTest::mouseClick(pBar, Qt::LeftButton, {}, pBar->actionGeometry(Popup()->menuAction()).center());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Popup()));
        QAction* pRacer = Popup()->actions().value(kFixed + nRacer);
        ASSERT_NE(pRacer, nullptr);
        QTest::mouseClick(Popup(), Qt::LeftButton, {}, Popup()->actionGeometry(pRacer).center());
        QMenu* pMenu = pRacer->menu();
        QTRY_VERIFY(pMenu->isVisible());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(pMenu));
        QAction* pItem = PopupAction(pMenu, nID);
        ASSERT_NE(pItem, nullptr);
        QTest::mouseClick(pMenu, Qt::LeftButton, {}, pMenu->actionGeometry(pItem).center());
    }

    static constexpr int kFixed = 4;
    std::unique_ptr<CKeluApp> m_pApp;
};

TEST_F(FavoritesMenuTest, EachRacerGetsASubmenuWithWhereAndWhenHeRacesAndTheFileGetsNames)
{
    Start("3159\t\r\n4022\t\r\n1234\t\r\n");
    OpenAndClose();
    EXPECT_EQ(PopupIds(Popup()), (std::vector<UINT>{ID_FAVORITE_ADD, ID_FAVORITE_ORGANIZE, ID_FAVORITE_RACER_RECORD, 0, 0, 0, 0}));
    const std::vector<std::string> racing = {
        "3159 江口 晃生 (桐生) | 33257 5R 2枠 1ｺｰｽ 01着 | 33514 11R 1枠 1ｺｰｽ 02着 | 33000 あっせん予定 | 34000 選手の成績...",
        "4022 待鳥 雄紀 (芦屋) | 33258 3R 1枠 1ｺｰｽ 01着 | 33001 あっせん予定 | 34001 選手の成績...",
        "1234  | 33002 あっせん予定 | 34002 選手の成績...",
    };
    EXPECT_EQ(Racers(), racing);
    EXPECT_EQ(ReadBytes(kList), "3159\t" + S("江口 晃生") + "\r\n4022\t" + S("待鳥 雄紀") + "\r\n1234\t\r\n");
    EXPECT_TRUE(Frame()->GetRouter()->FindAction(ID_FAVORITE_ADD)->isEnabled());

    // Neither racer races on 8 January: the names stay, venues and races go.
    ShowDay(QDate(2020, 1, 8));
    OpenAndClose();
    EXPECT_EQ(Racers(), (std::vector<std::string>{"3159 江口 晃生 | 33000 あっせん予定 | 34000 選手の成績...", "4022 待鳥 雄紀 | 33001 あっせん予定 | 34001 選手の成績...",
                                                  "1234  | 33002 あっせん予定 | 34002 選手の成績..."}));
    EXPECT_TRUE(Frame()->GetRouter()->FindAction(ID_FAVORITE_ADD)->isEnabled());

    // Back on the 5th the races come back, each in its place.
    ShowDay(QDate(2020, 1, 5));
    OpenAndClose();
    EXPECT_EQ(Racers(), racing);
}

TEST_F(FavoritesMenuTest, ARaceItemShowsThatRaceAtThatVenueWithTheRaceListHoldingIt)
{
    Start("4022\t\r\n3159\t\r\n");
    OpenAndClose();
    Choose(1, ID_FAVORITE_RACE2_FIRST + 1);
    EXPECT_EQ(Doc()->GetVenue(), 1);
    EXPECT_EQ(Doc()->GetRace(), 11);
    auto* pRaces = qobject_cast<QComboBox*>(View()->GetDlgItem(IDC_RACE_LIST));
    auto* pVenues = qobject_cast<QComboBox*>(View()->GetDlgItem(IDC_VENUE_LIST));
    EXPECT_EQ(pRaces->currentIndex(), 10);
    EXPECT_EQ(pVenues->currentData().toInt(), 1);
    EXPECT_EQ(QApplication::focusWidget(), pRaces);
    EXPECT_EQ(qobject_cast<QLabel*>(View()->GetDlgItem(IDC_TITLE_RACE))->text().toStdString(),
              SjisToUtf8(Doc()->GetRaceTitle().Str()));
    // He is boat 1 of that race, and his row is marked for the eye.
    EXPECT_EQ(View()->m_gridProgram->GetTextMatrix(1, 2).Left(4), Sjis("江口"));
    EXPECT_EQ(View()->m_gridProgram->MarkedRow(), 1);

    Choose(0, ID_FAVORITE_RACE1_FIRST);
    EXPECT_EQ(Doc()->GetVenue(), 21);
    EXPECT_EQ(Doc()->GetRace(), 3);
    EXPECT_EQ(pRaces->currentIndex(), 2);
    EXPECT_EQ(pVenues->currentData().toInt(), 21);
    EXPECT_EQ(View()->m_gridProgram->MarkedRow(), 1);
    // Another race shown by the user has no mark.
    View()->SelectRace(4);
    EXPECT_EQ(View()->m_gridProgram->MarkedRow(), -1);
}

TEST_F(FavoritesMenuTest, ScheduleItemOpensTheSettingsAddressOrAsksForOneAndIdsOfNoRacerDoNothing)
{
    Start("3159\t\r\n4321\t\r\n");
    ShowDay(QDate(2020, 1, 8));
    OpenAndClose();
    EXPECT_EQ(Racers()[1], "4321  | 33001 あっせん予定 | 34001 選手の成績...");
    RecordShell();
    Choose(1, ID_FAVORITE_SCHEDULE_FIRST + 1);
    EXPECT_EQ(g_opened, std::vector<std::string>{"http://schedule.kelu.test/schedule?no=4321&lang=ja"});

    // 33256 and 33513 stand for racer -1, 33770 for racer 256; racer 1 does not race, racer 2
    // is not in the list. They stay enabled and do nothing.
    g_opened.clear();
    const int nVenue = Doc()->GetVenue();
    const int nRace = Doc()->GetRace();
    for (UINT nID : {33256u, 33513u, 33770u, 33258u, 33515u, 33002u, 33255u}) {
        CCmdUI ui(nID);
        EXPECT_TRUE(Frame()->GetRouter()->QueryState(ui) && ui.m_bEnabled) << nID;
        EXPECT_TRUE(Frame()->GetRouter()->Execute(nID)) << nID;
    }
    SetShellOpenHook({});
    EXPECT_EQ(Doc()->GetVenue(), nVenue);
    EXPECT_EQ(Doc()->GetRace(), nRace);
    EXPECT_TRUE(g_opened.empty());

    // No opener and no desktop at all: the user is told, with the address to open elsewhere.
    const std::string strPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    std::filesystem::create_directories("empty");
    setenv("PATH", (std::filesystem::current_path() / "empty").c_str(), 1);
    {
        testsupport::CMessageLog messages;
        EXPECT_TRUE(Frame()->GetRouter()->Execute(ID_FAVORITE_SCHEDULE_FIRST + 1));
        setenv("PATH", strPath.c_str(), 1);
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{"あっせん予定のページを開くブラウザが見つかりません。\n"
                                                             "http://schedule.kelu.test/schedule?no=4321&lang=ja|操作ガイド|" +
                                                             std::to_string(MB_OK | MB_ICONINFORMATION)});
    }

    // At the placeholder address the user is told so, and may set the address at once.
    // (The data server is a real one, so that the settings can be accepted.)
    m_pApp.reset();
    fixture::WriteFile("data/kelu.ini", std::string("[URL]\r\nDATA=http://127.0.0.1:8080\r\nASSEN=") + kDefaultAssenUrl + "\r\n");
    Start("3159\t\r\n4321\t\r\n");
    ShowDay(QDate(2020, 1, 8));
    OpenAndClose();
    RecordShell();
    const std::string question = "あっせん予定のページのアドレスは、まだ見本のアドレスのままで、どこにもつながりません。\n"
                                 "設定 を開いて、アドレスを入れますか?|操作ガイド|" +
                                 std::to_string(MB_YESNO | MB_ICONINFORMATION);
    // Declined: nothing opens, no browser is looked for.
    {
        testsupport::CMessageLog messages;
        messages.nAnswer = IDNO;
        EXPECT_TRUE(Frame()->GetRouter()->Execute(ID_FAVORITE_SCHEDULE_FIRST + 1));
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{question});
    }
    EXPECT_TRUE(g_opened.empty());
    // Accepted: the settings open with the reason on top, and the address set there opens.
    testsupport::CMessageLog messages;
    messages.nAnswer = IDYES;
    QStringList texts;
    apptest::CModalDriver driver({[&texts](QWidget* pDialog) {
        for (QLabel* pLabel : pDialog->findChildren<QLabel*>())
            texts << pLabel->text();
        dynamic_cast<CSettingsDlg*>(pDialog)->AssenEdit()->setText(QStringLiteral("http://schedule.kelu.test/?no=%d"));
        QMetaObject::invokeMethod(pDialog, "accept", Qt::QueuedConnection);
    }});
    EXPECT_TRUE(Frame()->GetRouter()->Execute(ID_FAVORITE_SCHEDULE_FIRST + 1));
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{question});
    EXPECT_TRUE(texts.contains(QStringLiteral("あっせん予定のページのアドレスは、まだ見本のアドレスのままで、どこにもつながりません。")));
    EXPECT_EQ(g_opened, std::vector<std::string>{"http://schedule.kelu.test/?no=4321"});
    SetShellOpenHook({});
}

TEST_F(FavoritesMenuTest, ARacersRowOffersToAddHimWithHisNumberFilledIn)
{
    Start("");
    // 桐生 5R on 5 January, read from the published file's bytes: boat 3's number is bytes 2..5
    // of his entry line, and the result's second finishing line names its racer at bytes 8..11.
    if (testsupport::SharedDataDir().empty())
        GTEST_SKIP() << testsupport::NoSharedDataReason();
    const std::string program = ReadBytes((testsupport::SharedDataDir() + "/B200105.TXT").c_str());
    auto* pVenues = qobject_cast<QComboBox*>(View()->GetDlgItem(IDC_VENUE_LIST));
    ASSERT_GE(pVenues->findData(1), 0);
    View()->SelectVenue(1);
    View()->SelectRace(5);
    const CString strBoat3 = Doc()->GetProgramLine(3).Mid(2, 4);
    const CString strSecond = Doc()->GetFinishLine(2).Mid(8, 4);
    ASSERT_NE(program.find(Doc()->GetProgramLine(3).Str()), std::string::npos);

    // The right mouse button on boat 3's row: one item, which opens the add dialog with his
    // number; "追加" adds him.
    CMSFlexGrid* pGrid = View()->m_gridProgram;
    std::string strItem, strField;
    QTimer::singleShot(50, [&strItem] {
        auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!pMenu)
            return;
        for (QAction* pAction : pMenu->actions())
            strItem += pAction->text().toStdString() + "|";
        QTest::mouseClick(pMenu, Qt::LeftButton, {}, pMenu->actionGeometry(pMenu->actions()[0]).center());
        // Whatever it held, the menu goes: a test never waits for it.
        pMenu->close();
    });
    {
        CModalDriver driver({[&strField](QWidget* pDialog) {
            strField = pDialog->windowTitle().toStdString() + ":" + pDialog->findChild<QLineEdit*>()->text().toStdString();
            auto* pAdd = pDialog->findChild<QPushButton*>(QString::number(IDOK));
            QMetaObject::invokeMethod(pAdd, [pAdd] { pAdd->click(); }, Qt::QueuedConnection);
        }});
        const QPoint at = pGrid->visualRect(pGrid->model()->index(3, 2)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, pGrid->viewport()->mapToGlobal(at));
        QApplication::sendEvent(pGrid->viewport(), &event);
        ASSERT_EQ(driver.Seen().size(), 1);
    }
    EXPECT_EQ(strItem, "注目選手に追加...|選手の成績...|");
    EXPECT_EQ(strField, "注目選手の追加:" + strBoat3.Str());
    EXPECT_EQ(ReadBytes(kList), strBoat3.Str() + "\t\r\n");

    // On the results page, a finishing row: the double click goes straight to the dialog.
    View()->m_gridLower->setFocus();
    QTabBar* pTabs = static_cast<CTabCtrl*>(View()->GetDlgItem(IDC_TAB))->TabBar();
    QTest::mouseClick(pTabs, Qt::LeftButton, {}, pTabs->tabRect(1).center());
    CMSFlexGrid* pLower = View()->m_gridLower;
    strField.clear();
    {
        CModalDriver driver({[&strField](QWidget* pDialog) {
            strField = pDialog->findChild<QLineEdit*>()->text().toStdString();
            qobject_cast<QDialog*>(pDialog)->reject();
        }});
        QTest::mouseDClick(pLower->viewport(), Qt::LeftButton, {}, pLower->visualRect(pLower->model()->index(2, 2)).center());
        ASSERT_EQ(driver.Seen().size(), 1);
    }
    EXPECT_EQ(strField, strSecond.Str());
    // A heading row, or the payouts' side of the page, offers nothing.
    {
        CModalDriver driver;
        QTest::mouseDClick(pLower->viewport(), Qt::LeftButton, {}, pLower->visualRect(pLower->model()->index(0, 2)).center());
        EXPECT_TRUE(driver.Seen().isEmpty());
    }
}

TEST_F(FavoritesMenuTest, DialogsMarkTheMenuStaleWhateverTheyEndWith)
{
    Start("3159\t\r\n");
    OpenAndClose();
    ASSERT_FALSE(View()->m_bMenuStale);
    {
        // "ｷｬﾝｾﾙ" in the add dialog.
        CModalDriver driver({[](QWidget* pDialog) {
            auto* pCancel = pDialog->findChild<QPushButton*>(QString::number(IDCANCEL));
            QMetaObject::invokeMethod(pCancel, [pCancel] { pCancel->click(); }, Qt::QueuedConnection);
        }});
        EXPECT_TRUE(Frame()->GetRouter()->Execute(ID_FAVORITE_ADD));
        ASSERT_EQ(driver.Seen().size(), 1);
    }
    EXPECT_TRUE(View()->m_bMenuStale);
    OpenAndClose();
    {
        // The organize dialog's close box.
        CModalDriver driver;
        EXPECT_TRUE(Frame()->GetRouter()->Execute(ID_FAVORITE_ORGANIZE));
        ASSERT_EQ(driver.Seen().size(), 1);
    }
    EXPECT_TRUE(View()->m_bMenuStale);
}

TEST_F(FavoritesMenuTest, AListOfJunkOrOneThatCannotBeReadLeavesAWorkingMenu)
{
    Start(std::string("\0\xff\x82\n", 4) + "&&\tA&\x81");
    OpenAndClose();
    ASSERT_EQ(Racers().size(), 2u);
    // An "&" of the file is shown as it is, not taken as a key.
    EXPECT_EQ(Popup()->actions()[kFixed + 1]->menu()->title(), QStringLiteral("&&&& \uFFFD"));

    std::filesystem::remove(kList);
    std::filesystem::create_directory(kList);
    ShowDay(QDate(2020, 1, 8));
    OpenAndClose();
    EXPECT_EQ(PopupIds(Popup()), (std::vector<UINT>{ID_FAVORITE_ADD, ID_FAVORITE_ORGANIZE, ID_FAVORITE_RACER_RECORD, 0}));
}

} // namespace
