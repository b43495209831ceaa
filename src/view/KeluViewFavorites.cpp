// The view's watched-racer commands: the add and organize dialogs, the racers' submenus of
// "注目選手(&A)" (favorites/FavoritesMenu.h) and what their items do, and adding the racer of a
// row of the grids with the right mouse button.

#include "view/KeluView.h"

#include "app/Startup.h"
#include "download/DataServer.h"
#include "favorites/AddFavoriteDlg.h"
#include "favorites/FavoritesMenu.h"
#include "favorites/OrganizeFavoritesDlg.h"
#include "model/KeluDoc.h"
#include "platform/Number.h"
#include "platform/Sjis.h"
#include "platform/gui/CommandRouter.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/QtText.h"
#include "platform/gui/Shell.h"
#include "res/Menu.h"
#include "res/resource.h"
#include "view/TabCtrl.h"

#include <QComboBox>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QSignalBlocker>

void CKeluView::OnFavoriteAdd()
{
    AddFavorite(CString());
}

void CKeluView::AddFavorite(const CString& strRegNo)
{
    CAddFavoriteDlg dlg(window());
    dlg.m_strRegNo = strRegNo;
    dlg.DoModal();
    // Even a cancelled dialog may follow a change made elsewhere; the menu reads the file anew.
    m_bMenuStale = true;
}

void CKeluView::OnFavoriteOrganize()
{
    COrganizeFavoritesDlg dlg(window());
    // A list that cannot be read has nothing to organize, and an empty dialog would only invite
    // writing nothing over it.
    if (dlg.LoadList())
        dlg.DoModal();
    else
        KeluMessageBox(this, Sjis("注目選手のリスト data/favorite.txt を読めません。リストはそのままにします。"),
                       Sjis("注目選手の整理"), MB_OK | MB_ICONEXCLAMATION);
    m_bMenuStale = true;
}

QMenu* CKeluView::FavoritesPopup() const
{
    const auto* pMain = qobject_cast<const QMainWindow*>(window());
    const auto* pBar = pMain ? qobject_cast<const QMenuBar*>(pMain->menuWidget()) : nullptr;
    if (!pBar)
        return nullptr;
    const QList<QAction*> popups = pBar->actions();
    return popups.size() > kFavoritesPopup ? popups[kFavoritesPopup]->menu() : nullptr;
}

void CKeluView::RebuildFavoritesMenu(CCmdUI& ui)
{
    // The add command itself stays enabled whatever happens to the menu.
    (void)ui;
    if (!m_bMenuStale || !m_pFavoritesMenu)
        return;
    m_pFavoritesMenu->Rebuild(*GetDocument(), FavoritesPopup());
    m_bMenuStale = false;
}

void CKeluView::OnFavoriteCommand(UINT nID)
{
    if (!m_pFavoritesMenu)
        return;
    using EKind = CFavoritesMenu::CTarget::EKind;
    const CFavoritesMenu::CTarget target = m_pFavoritesMenu->Target(nID);
    if (target.eKind == EKind::Schedule)
        OpenSchedule(target.nRegNo);
    else if (target.eKind == EKind::RacerRecord)
        ShowRacerRecord(target.nRegNo);
    else if (target.eKind == EKind::Race)
        JumpToRace(target.nVenue, target.nRace, target.nRegNo);
}

void CKeluView::OpenSchedule(int nRegNo)
{
    if (m_strAssenUrl.IsEmpty())
        return;
    // The placeholder reaches nothing: the user is told so, and may set the address at once.
    if (IsPlaceholderServer(m_strAssenUrl)) {
        const CString strWhy = Sjis("あっせん予定のページのアドレスは、まだ見本のアドレスのままで、どこにもつながりません。");
        if (KeluMessageBox(this, strWhy + Sjis("\n設定 を開いて、アドレスを入れますか?"), Sjis("操作ガイド"),
                           MB_YESNO | MB_ICONINFORMATION) != IDYES ||
            !EditSettings(strWhy) || IsPlaceholderServer(m_strAssenUrl))
            return;
    }
    const CString strUrl = ExpandAssenUrl(m_strAssenUrl, nRegNo);
    // Without a browser the user hears of it and gets the address to open elsewhere.
    QPointer<CKeluView> self(this);
    auto tell = [self, strUrl] {
        if (self)
            KeluMessageBox(self, Sjis("あっせん予定のページを開くブラウザが見つかりません。\n") + strUrl,
                           Sjis("操作ガイド"), MB_OK | MB_ICONINFORMATION);
    };
    if (!ShellOpen(strUrl, tell))
        tell();
}

void CKeluView::JumpToRace(int nVenue, int nRace, int nRegNo)
{
    // The race first, then the venue: choosing the venue shows the race and leaves the focus
    // in the race list.
    {
        const QSignalBlocker quiet(m_listRace);
        m_listRace->setCurrentIndex(nRace - 1);
    }
    OnRaceListChange();
    m_listRace->setFocus();
    SelectVenue(nVenue);
    // The racer's boat is marked, so that the eye finds it.
    for (int b = 1; b <= 6; ++b)
        if (AtoI(GetDocument()->GetRegNo(b)) == nRegNo)
            m_gridProgram->MarkRow(b);
}

CString CKeluView::RegNoOfRow(const CMSFlexGrid& grid, int nRow) const
{
    if (nRow < 1 || nRow > 6)
        return CString();
    CKeluDoc* pDoc = GetDocument();
    CString strRegNo;
    // A boat's row of the program, or a finishing row of the results page.
    if (&grid == m_gridProgram)
        strRegNo = pDoc->GetRegNo(nRow);
    else if (&grid == m_gridLower && m_tab->GetCurSel() == 1)
        strRegNo = pDoc->GetFinishRegNo(nRow);
    strRegNo.Trim();
    return AtoI(strRegNo) >= 1000 && AtoI(strRegNo) <= 9999 ? strRegNo : CString();
}

void CKeluView::OnRowMenu(CMSFlexGrid& grid, int nRow, const QPoint& globalPos)
{
    const CString strRegNo = RegNoOfRow(grid, nRow);
    if (strRegNo.IsEmpty())
        return;
    QMenu menu(this);
    QAction* pAdd = menu.addAction(Utf8("注目選手に追加..."));
    QAction* pRecord = menu.addAction(Utf8("選手の成績..."));
    // The watched-racer commands wait for a download, here as in the menu.
    CCmdUI ui(ID_FAVORITE_ADD);
    pAdd->setEnabled(!OnUpdateWhileDownloading(ui));
    QAction* pChosen = menu.exec(globalPos);
    if (pChosen == pAdd)
        AddFavorite(strRegNo);
    else if (pChosen == pRecord)
        ShowRacerRecord(AtoI(strRegNo));
}

void CKeluView::OnRowDoubleClick(CMSFlexGrid& grid, int nRow)
{
    const CString strRegNo = RegNoOfRow(grid, nRow);
    CCmdUI ui(ID_FAVORITE_ADD);
    if (!strRegNo.IsEmpty() && !OnUpdateWhileDownloading(ui))
        AddFavorite(strRegNo);
}
