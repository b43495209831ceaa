// The main frame: its menu, toolbar, status bar and accelerators, its size and title, and
// the commands that it passes on to the view or handles itself.

#include "AppHarness.h"
#include "DayFixture.h"
#include "model/KeluDoc.h"
#include "res/resource.h"
#include "view/KeluView.h"

#include <QComboBox>
#include <QImage>
#include <QWheelEvent>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <set>

using namespace apptest;

namespace {

struct Item {
    UINT nID; // 0: separator
    const char* pszText;
};

QToolButton* ToolButton(CMainFrame* pFrame, UINT nID)
{
    QAction* pAction = pFrame->GetRouter()->FindAction(nID);
    return pAction ? qobject_cast<QToolButton*>(pFrame->GetToolBar()->widgetForAction(pAction)) : nullptr;
}

} // namespace

TEST(FrameTest, MenuHasEveryPopupItemTextAndId)
{
    auto pApp = StartApp();
    CMainFrame* pFrame = pApp->GetMainWnd();

    const std::vector<std::pair<const char*, std::vector<Item>>> expected = {
        {"ﾌｧｲﾙ(&F)",
         {{57610, "番組と結果のﾀﾞｳﾝﾛｰﾄﾞ (当日分) ..."},
          {57611, "番組と結果のﾀﾞｳﾝﾛｰﾄﾞ (一週間分) ..."},
          {32811, "期間を指定してﾀﾞｳﾝﾛｰﾄﾞ(&P)..."},
          {ID_FILE_PREDICTION_RECORD, "予想の成績(&R)..."},
          {32814, "予想の学習(&L)..."},
          {ID_FILE_UPDATE_HISTORY, "履歴の更新(&U)"},
          {0, ""},
          {32776, "全ﾚｰｽ印刷(&A)..."},
          {57613, "全ﾚｰｽ印刷ﾌﾟﾚﾋﾞｭｰ(&G)"},
          {0, ""},
          {57612, "印刷(&P)..."},
          {57614, "印刷ﾌﾟﾚﾋﾞｭｰ(&V)"},
          {57606, "ﾌﾟﾘﾝﾀの設定(&R)..."},
          {ID_FILE_SETTINGS, "設定(&S)..."},
          {0, ""},
          {57665, "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"}}},
        {"注目選手(&A)",
         {{32772, "注目選手の追加(&A)..."}, {32773, "注目選手の整理(&O)..."}, {ID_FAVORITE_RACER_RECORD, "選手の成績(&H)..."}, {0, ""}}},
        {"表示(&V)",
         {{ID_VIEW_ZOOM_IN, "拡大(&I)"}, {ID_VIEW_ZOOM_OUT, "縮小(&O)"}, {ID_VIEW_ZOOM_RESET, "標準の大きさ(&N)"}}},
        {"ﾍﾙﾌﾟ(&H)", {{9, "ﾍﾙﾌﾟ(&H)"}, {0, ""}, {57664, "Kelu のﾊﾞｰｼﾞｮﾝ情報(&A)..."}}},
    };

    const QList<QAction*> bar = pFrame->menuBar()->actions();
    ASSERT_EQ(bar.size(), static_cast<qsizetype>(expected.size()));
    for (size_t p = 0; p < expected.size(); ++p) {
        SCOPED_TRACE(expected[p].first);
        QMenu* pPopup = pFrame->GetPopup(static_cast<int>(p));
        ASSERT_NE(pPopup, nullptr);
        EXPECT_EQ(bar[static_cast<qsizetype>(p)]->menu(), pPopup);
        EXPECT_EQ(pPopup->title(), Utf8(expected[p].first));
        const QList<QAction*> items = pPopup->actions();
        ASSERT_EQ(items.size(), static_cast<qsizetype>(expected[p].second.size()));
        for (size_t i = 0; i < expected[p].second.size(); ++i) {
            const Item& want = expected[p].second[i];
            QAction* pItem = items[static_cast<qsizetype>(i)];
            SCOPED_TRACE(i);
            EXPECT_EQ(pItem->isSeparator(), want.nID == 0);
            if (want.nID == 0)
                continue;
            EXPECT_EQ(CCommandRouter::CommandOf(pItem), want.nID);
            EXPECT_EQ(pItem->text(), Utf8(want.pszText));
            EXPECT_TRUE(pItem->icon().isNull() || !pItem->isIconVisibleInMenu());
        }
    }
    // Later code appends the watched racers after the popup's three fixed entries.
    EXPECT_EQ(pFrame->GetFavoritesPopup(), pFrame->GetPopup(1));
}

TEST(FrameTest, ToolbarHasItsButtonsInOrderEachWithItsOwnPicture)
{
    auto pApp = StartApp();
    CMainFrame* pFrame = pApp->GetMainWnd();
    QToolBar* pBar = pFrame->GetToolBar();
    EXPECT_EQ(pFrame->toolBarArea(pBar), Qt::TopToolBarArea);
    EXPECT_TRUE(pBar->isMovable());
    EXPECT_EQ(pBar->allowedAreas(), Qt::TopToolBarArea);

    std::vector<UINT> ids;
    for (QAction* pAction : pBar->actions())
        ids.push_back(pAction->isSeparator() ? 0 : CCommandRouter::CommandOf(pAction));
    const std::vector<UINT> expected{57610, 57611, 0, 32772, 32773, 0, 57614, 57613, 57612, 32776, 0, 57664};
    ASSERT_EQ(ids, expected);

    std::set<QByteArray> pictures;
    for (UINT nID : expected) {
        if (nID == 0)
            continue;
        SCOPED_TRACE(nID);
        const QIcon icon = pFrame->GetRouter()->FindAction(nID)->icon();
        ASSERT_FALSE(icon.isNull());
        const QImage image = icon.pixmap(QSize(16, 15)).toImage();
        EXPECT_EQ(image.size(), QSize(16, 15));
        pictures.insert(QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()));
    }
    EXPECT_EQ(pictures.size(), 9u) << "two buttons share a picture";
}

TEST(FrameTest, PointerOverAButtonOrItemShowsItsPromptAndTheButtonsTooltip)
{
    auto pApp = StartApp();
    CMainFrame* pFrame = pApp->GetMainWnd();
    Expose(pFrame);
    EXPECT_EQ(MessagePaneText(pFrame), Utf8("ﾚﾃﾞｨ"));

    QToolButton* pButton = ToolButton(pFrame, ID_FILE_DOWNLOAD_TODAY);
    ASSERT_NE(pButton, nullptr);
    EXPECT_EQ(pButton->toolTip(), Utf8("番組と結果"));
    QTest::mouseMove(pButton, pButton->rect().center());
    EXPECT_EQ(MessagePaneText(pFrame), Utf8("番組と結果のﾀﾞｳﾝﾛｰﾄﾞ(当日)"));

    QToolButton* pAboutButton = ToolButton(pFrame, ID_APP_ABOUT);
    ASSERT_NE(pAboutButton, nullptr);
    EXPECT_EQ(pAboutButton->toolTip(), Utf8("ﾊﾞｰｼﾞｮﾝ情報"));
    QTest::mouseMove(pAboutButton, pAboutButton->rect().center());
    EXPECT_EQ(MessagePaneText(pFrame), Utf8("ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示"));

    // Off the bar, the idle text comes back.
    QWidget* pView = pApp->GetView();
    QTest::mouseMove(pView, QPoint(2, pView->height() - 2));
    EXPECT_EQ(MessagePaneText(pFrame), Utf8("ﾚﾃﾞｨ"));

    // The same prompt while the menu item is under the pointer.
    QMenu* pFile = pFrame->GetPopup(0);
    pFile->popup(pFrame->mapToGlobal(QPoint(0, 0)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(pFile));
    QAction* pItem = PopupAction(pFile, ID_FILE_DOWNLOAD_TODAY);
    QTest::mouseMove(pFile, pFile->actionGeometry(pItem).center());
    EXPECT_EQ(pFile->activeAction(), pItem);
    EXPECT_EQ(MessagePaneText(pFrame), Utf8("番組と結果のﾀﾞｳﾝﾛｰﾄﾞ(当日)"));
    QTest::keyClick(pFile, Qt::Key_Escape);
    EXPECT_FALSE(pFile->isVisible());
    EXPECT_EQ(MessagePaneText(pFrame), Utf8("ﾚﾃﾞｨ")) << "the prompt outlived its menu";
}

TEST(FrameTest, StatusBarShowsTheFourIndicatorsGreyedAfterTheMessagePane)
{
    auto pApp = StartApp();
    CMainFrame* pFrame = pApp->GetMainWnd();
    Expose(pFrame);

    const std::vector<QLabel*>& panes = pFrame->GetIndicators();
    ASSERT_EQ(panes.size(), 4u);
    const char* const texts[] = {"ｶﾅ", "CAP", "NUM", "SCRL"};
    int nLastX = pFrame->GetIdlePane()->geometry().right();
    for (size_t i = 0; i < panes.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(panes[i]->text(), Utf8(texts[i]));
        EXPECT_TRUE(panes[i]->isVisible());
        EXPECT_FALSE(panes[i]->isEnabled());
        EXPECT_GT(panes[i]->geometry().left(), nLastX);
        nLastX = panes[i]->geometry().right();
    }
}

TEST(FrameTest, WindowGrowsAndMaximisesButNeverShrinksBelowItsFirstSize)
{
    auto pApp = StartApp();
    CMainFrame* pFrame = pApp->GetMainWnd();
    Expose(pFrame);
    const QSize size = pFrame->size();
    EXPECT_EQ(size, QSize(690, 470));

    EXPECT_EQ(pFrame->minimumSize(), size);
    EXPECT_TRUE(pFrame->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(pFrame->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(pFrame->windowFlags() & Qt::WindowCloseButtonHint);

    pFrame->resize(size - QSize(80, 60));
    EXPECT_EQ(pFrame->size(), size);
    pFrame->resize(size + QSize(80, 60));
    EXPECT_EQ(pFrame->size(), size + QSize(80, 60));
    pFrame->showMaximized();
    QCoreApplication::processEvents();
    EXPECT_TRUE(pFrame->isMaximized());
    EXPECT_GT(pFrame->width(), size.width() + 80);
    pFrame->showNormal();
    QCoreApplication::processEvents();
    EXPECT_EQ(pFrame->size(), size + QSize(80, 60));

    pFrame->showMinimized();
    EXPECT_TRUE(pFrame->isMinimized());
    pFrame->showNormal();
    QCoreApplication::processEvents();
    EXPECT_EQ(pFrame->size(), size + QSize(80, 60));
}

TEST(FrameTest, TitleStaysKeluWhateverIsShown)
{
    auto pApp = StartApp();
    CMainFrame* pFrame = pApp->GetMainWnd();
    EXPECT_EQ(pFrame->windowTitle(), QStringLiteral("kelu"));

    CKeluView* pView = pApp->GetView();
    pApp->GetDocument()->SetSelection(12, 3);
    pView->ShowRace();
    pView->StepDay(1);
    EXPECT_EQ(pFrame->windowTitle(), QStringLiteral("kelu"));
    pFrame->GetRouter()->Execute(ID_FILE_NEW);
    EXPECT_EQ(pFrame->windowTitle(), QStringLiteral("kelu"));
}

TEST(FrameTest, AcceleratorsAreWindowWideKeysOfTheirCommands)
{
    auto pApp = StartApp();
    CMainFrame* pFrame = pApp->GetMainWnd();
    const std::vector<std::pair<UINT, std::vector<const char*>>> expected = {
        {57600, {"Ctrl+N"}},
        {57601, {"Ctrl+O"}},
        {57603, {"Ctrl+S"}},
        {57607, {"Ctrl+P"}},
        {57643, {"Ctrl+Z", "Alt+Backspace"}},
        {57635, {"Ctrl+X", "Shift+Del"}},
        {57634, {"Ctrl+C", "Ctrl+Ins"}},
        {57637, {"Ctrl+V", "Shift+Ins"}},
        {57680, {"F6"}},
        {57681, {"Shift+F6"}},
        {ID_VIEW_ZOOM_IN, {"Ctrl++", "Ctrl+=", "Ctrl+;"}},
        {ID_VIEW_ZOOM_OUT, {"Ctrl+-"}},
        {ID_VIEW_ZOOM_RESET, {"Ctrl+0"}},
    };
    int nKeyed = 0;
    for (QAction* pAction : pFrame->findChildren<QAction*>())
        nKeyed += pAction->shortcuts().isEmpty() ? 0 : 1;
    EXPECT_EQ(nKeyed, static_cast<int>(expected.size()));

    for (const auto& [nID, keys] : expected) {
        SCOPED_TRACE(nID);
        QAction* pAction = pFrame->GetRouter()->FindAction(nID);
        ASSERT_NE(pAction, nullptr);
        EXPECT_TRUE(pFrame->actions().contains(pAction));
        EXPECT_EQ(pAction->shortcutContext(), Qt::WindowShortcut);
        QList<QKeySequence> want;
        for (const char* psz : keys)
            want << QKeySequence::fromString(QString::fromLatin1(psz), QKeySequence::PortableText);
        EXPECT_EQ(pAction->shortcuts(), want);
    }
    // Keys whose command no target handles are disabled, and so are the panes' keys.
    pFrame->GetRouter()->UpdateAll();
    EXPECT_FALSE(pFrame->GetRouter()->FindAction(ID_EDIT_COPY)->isEnabled());
    EXPECT_FALSE(pFrame->GetRouter()->FindAction(ID_NEXT_PANE)->isEnabled());
    EXPECT_TRUE(pFrame->GetRouter()->FindAction(ID_FILE_SAVE)->isEnabled());
}

TEST(FrameTest, PrintAndFavoriteCommandsGoToTheView)
{
    auto pApp = StartApp();
    CMainFrame* pFrame = pApp->GetMainWnd();
    CKeluView* pView = pApp->GetView();
    CKeluDoc* pDoc = pApp->GetDocument();
    QMenu* pFile = pFrame->GetPopup(0);
    const UINT printIds[] = {ID_FILE_PRINT_ALL, ID_FILE_PREVIEW_ALL, ID_FILE_PRINT_RACE, ID_FILE_PREVIEW_RACE};

    // The view enables printing only while a venue is chosen; opening the popup asks it.
    emit pFile->aboutToShow();
    for (UINT nID : printIds)
        EXPECT_FALSE(PopupAction(pFile, nID)->isEnabled()) << nID;
    pDoc->SetSelection(4, 1);
    emit pFile->aboutToShow();
    for (UINT nID : printIds)
        EXPECT_TRUE(PopupAction(pFile, nID)->isEnabled()) << nID;

    {
        CModalDriver driver; // whatever printing shows is cancelled
        PopupAction(pFile, ID_FILE_PRINT_ALL)->trigger();
        EXPECT_TRUE(pView->m_bPrintAll);
        PopupAction(pFile, ID_FILE_PREVIEW_RACE)->trigger();
        EXPECT_FALSE(pView->m_bPrintAll);
        PopupAction(pFile, ID_FILE_PREVIEW_ALL)->trigger();
        EXPECT_TRUE(pView->m_bPrintAll);
        PopupAction(pFile, ID_FILE_PRINT_RACE)->trigger();
        EXPECT_FALSE(pView->m_bPrintAll);
    }

    // The favourites' commands are the view's: neither the frame nor the application claims
    // them, and the view gives their state.
    QMenu* pFavorites = pFrame->GetFavoritesPopup();
    emit pFavorites->aboutToShow();
    for (UINT nID : {ID_FAVORITE_ADD, ID_FAVORITE_ORGANIZE}) {
        SCOPED_TRACE(nID);
        CCmdUI ui(nID);
        EXPECT_TRUE(pView->OnUpdateCmdUI(ui));
        CCmdUI frameUi(nID), appUi(nID);
        EXPECT_FALSE(pFrame->OnUpdateCmdUI(frameUi));
        EXPECT_FALSE(pApp->OnUpdateCmdUI(appUi));
        EXPECT_TRUE(PopupAction(pFavorites, nID)->isEnabled());
    }
}

// The toolbar's print buttons follow the chosen venue however it was chosen: here with the
// mouse wheel on the venue list, an event no list of "interesting" events thought of.
TEST(FrameTest, CommandStatesFollowAChoiceMadeWithTheWheel)
{
    const CTime now = CTime::GetCurrentTime();
    fixture::ProgramVenue venue{.venue = 7};
    venue.races.emplace_back().race = 1;
    fixture::WriteProgramFile(now, fixture::ProgramFile({venue}));
    auto pApp = StartApp();
    CMainFrame* pFrame = pApp->GetMainWnd();
    Expose(pFrame);
    RunUntilIdle();
    QToolButton* pPrint = ToolButton(pFrame, ID_FILE_PRINT_RACE);
    ASSERT_NE(pPrint, nullptr);
    EXPECT_FALSE(pPrint->isEnabled());

    auto* pList = qobject_cast<QComboBox*>(pApp->GetView()->GetDlgItem(IDC_VENUE_LIST));
    ASSERT_EQ(pList->count(), 1);
    const QPointF at(pList->width() / 2.0, pList->height() / 2.0);
    QWheelEvent wheel(at, pList->mapToGlobal(at), {}, QPoint(0, -120), Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(pList, &wheel);
    ASSERT_EQ(pApp->GetDocument()->GetVenue(), 7);
    RunUntilIdle();
    EXPECT_TRUE(pPrint->isEnabled());
    EXPECT_TRUE(ToolButton(pFrame, ID_FILE_PRINT_ALL)->isEnabled());

    // While the program waits, an idle pass does not schedule the next one.
    struct CCounter : CCmdTarget {
        int nPasses = 0;
        bool OnUpdateCmdUI(CCmdUI& ui) override
        {
            nPasses += ui.m_nID == ID_APP_ABOUT;
            return false;
        }
    } counter;
    std::vector<CCmdTarget*> route = pFrame->GetRouter()->GetRoute();
    route.insert(route.begin(), &counter);
    pFrame->GetRouter()->SetRoute(route);
    RunUntilIdle();
    const int nAfterFirst = counter.nPasses;
    EXPECT_GE(nAfterFirst, 1);
    RunUntilIdle();
    RunUntilIdle();
    EXPECT_EQ(counter.nPasses, nAfterFirst);
    route.erase(route.begin());
    pFrame->GetRouter()->SetRoute(route);
}

TEST(FrameTest, ExitItemClosesTheWindow)
{
    auto pApp = StartApp();
    CMainFrame* pFrame = pApp->GetMainWnd();
    Expose(pFrame);
    QMenu* pFile = pFrame->GetPopup(0);
    pFile->popup(pFrame->mapToGlobal(QPoint(0, 0)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(pFile));
    QAction* pExit = PopupAction(pFile, ID_APP_EXIT);
    ASSERT_NE(pExit, nullptr);
    QTest::mouseClick(pFile, Qt::LeftButton, {}, pFile->actionGeometry(pExit).center());
    EXPECT_FALSE(pFrame->isVisible());
}
