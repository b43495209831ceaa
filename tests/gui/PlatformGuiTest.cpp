#include "platform/Sjis.h"
#include "platform/gui/CmdTarget.h"
#include "platform/gui/CommandRouter.h"
#include "platform/gui/DialogTemplate.h"
#include "platform/gui/Dialog.h"
#include "platform/gui/Fonts.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/QtText.h"
#include "platform/gui/Shell.h"
#include "res/resource.h"

#include <QAction>
#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// A target with a command table, as the view and the frame have them.
class CTarget : public CCmdTarget {
public:
    bool OnCmdMsg(UINT nID) override;
    bool OnUpdateCmdUI(CCmdUI& ui) override;

    void OnFirst() { ++m_nFirst; }
    void OnSecond() { ++m_nSecond; }
    void OnUpdateSecond(CCmdUI& ui) { ui.Enable(m_bSecondEnabled); }

    int m_nFirst = 0;
    int m_nSecond = 0;
    bool m_bSecondEnabled = false;

private:
    static const CommandEntry<CTarget> kTable[];
};

const CommandEntry<CTarget> CTarget::kTable[] = {
    {100, &CTarget::OnFirst},
    {200, &CTarget::OnSecond, &CTarget::OnUpdateSecond},
};

bool CTarget::OnCmdMsg(UINT nID)
{
    return DispatchCommand(this, kTable, nID);
}

bool CTarget::OnUpdateCmdUI(CCmdUI& ui)
{
    return DispatchUpdate(this, kTable, ui);
}

} // namespace

TEST(PlatformGuiTest, TextCrossesBetweenShiftJisAndQtBothWays)
{
    const CString sjis = Sjis("特払い ｶﾅ Ｒ");
    EXPECT_EQ(ToQString(sjis), QString::fromUtf8("特払い ｶﾅ Ｒ"));
    EXPECT_EQ(FromQString(QString::fromUtf8("特払い ｶﾅ Ｒ")), sjis);
    // A lead byte at the very end of a cut field must not swallow or break the rest.
    EXPECT_EQ(ToQString(CString("ab\x83")), QString::fromUtf8("ab\xEF\xBF\xBD"));
    // Characters Shift-JIS cannot hold become "?".
    EXPECT_EQ(FromQString(QString::fromUtf8("a😀b")), "a?b");
}

TEST(PlatformGuiTest, CommandsGoToTheFirstTargetThatHandlesThemAndUnhandledOnesAreDisabled)
{
    CTarget view, app;
    CCommandRouter router;
    router.SetRoute({&view, &app});
    QAction* pFirst = router.Action(100);
    QAction* pSecond = router.Action(200);
    QAction* pNone = router.Action(300);

    pFirst->trigger();
    EXPECT_EQ(view.m_nFirst, 1);
    EXPECT_EQ(app.m_nFirst, 0);

    router.UpdateAll();
    EXPECT_TRUE(pFirst->isEnabled());
    EXPECT_FALSE(pSecond->isEnabled());
    EXPECT_FALSE(pNone->isEnabled());
    // A disabled command does not run even when it arrives directly (an accelerator).
    EXPECT_FALSE(router.Execute(200));
    EXPECT_EQ(view.m_nSecond, 0);

    view.m_bSecondEnabled = true;
    router.UpdateAll();
    EXPECT_TRUE(pSecond->isEnabled());
    EXPECT_TRUE(router.Execute(200));
    EXPECT_EQ(view.m_nSecond, 1);
    EXPECT_FALSE(router.Execute(300));
    EXPECT_EQ(CCommandRouter::CommandOf(pSecond), 200u);
}

TEST(PlatformGuiTest, AMenuAsksForTheStateOfItsItemsWhenItOpens)
{
    CTarget view;
    CCommandRouter router;
    router.SetRoute({&view});
    QMenu menu;
    menu.addAction(router.Action(200));
    router.WatchMenu(&menu);
    router.UpdateAll();
    EXPECT_FALSE(router.FindAction(200)->isEnabled());
    view.m_bSecondEnabled = true;
    QTimer::singleShot(0, &menu, [&menu] { menu.close(); });
    menu.exec(QPoint(0, 0));
    EXPECT_TRUE(router.FindAction(200)->isEnabled());
}

TEST(PlatformGuiTest, DialogUnitsFollowTheTemplateFont)
{
    InstallFontSubstitutions();
    const QFont font = KeluFont(kFacePGothic, 9);
    EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("IPAPGothic"));
    const CDialogUnits units(font);
    EXPECT_GT(units.BaseX(), 3);
    EXPECT_GT(units.BaseY(), 8);
    EXPECT_EQ(units.ToPixelsX(4), units.BaseX());
    EXPECT_EQ(units.ToPixelsY(8), units.BaseY());
    const QRect r = units.ToPixels(8, 16, 40, 24);
    EXPECT_EQ(r, QRect(2 * units.BaseX(), 2 * units.BaseY(), 10 * units.BaseX(), 3 * units.BaseY()));
}

TEST(PlatformGuiTest, ADialogFromItsTemplateFindsControlsByIdAndEndsThroughItsButtons)
{
    const CDialogTemplate tmpl{500, "試験", 100, 60, kFacePGothic, 9,
                               {{-1, DlgKind::Static, 4, 4, 40, 8, "ラベル"},
                                {10, DlgKind::Static, 4, 14, 40, 8, "番号"},
                                {IDOK, DlgKind::DefButton, 4, 40, 40, 14, "OK"},
                                {IDCANCEL, DlgKind::Button, 50, 40, 40, 14, "ｷｬﾝｾﾙ"}}};
    CDialog dlg(tmpl, nullptr);
    EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8("試験"));
    ASSERT_NE(dlg.Item<QLabel>(10), nullptr);
    EXPECT_EQ(dlg.Item<QLabel>(10)->text(), QString::fromUtf8("番号"));
    EXPECT_EQ(dlg.GetDlgItem(-1), nullptr);
    EXPECT_EQ(dlg.size(), QSize(dlg.Units().ToPixelsX(100), dlg.Units().ToPixelsY(60)));
    EXPECT_TRUE(dlg.Item<QPushButton>(IDOK)->isDefault());

    QTimer::singleShot(0, &dlg, [&dlg] { dlg.Item<QPushButton>(IDCANCEL)->click(); });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    QTimer::singleShot(0, &dlg, [&dlg] { dlg.Item<QPushButton>(IDOK)->click(); });
    EXPECT_EQ(dlg.DoModal(), IDOK);
}

TEST(PlatformGuiTest, MessageBoxesAndTheShellGoThroughTheirHooks)
{
    std::vector<MessageBoxCall> calls;
    SetMessageBoxHook([&calls](const MessageBoxCall& c) {
        calls.push_back(c);
        return IDNO;
    });
    EXPECT_EQ(KeluMessageBox(nullptr, Sjis("本文"), Sjis("確認"), MB_YESNO | MB_ICONQUESTION), IDNO);
    SetMessageBoxHook({});
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].text, Sjis("本文"));
    EXPECT_EQ(calls[0].caption, Sjis("確認"));
    EXPECT_EQ(calls[0].type, static_cast<unsigned>(MB_YESNO | MB_ICONQUESTION));

    std::vector<CString> opened;
    SetShellOpenHook([&opened](const CString& target) { opened.push_back(target); });
    ShellOpen("help/index.html");
    SetShellOpenHook({});
    EXPECT_EQ(opened, std::vector<CString>{"help/index.html"});
}
