// The view's watched-racer commands: the add and organize dialogs, the racers' submenus of
// "注目選手(&A)" and what their items do.

#include "view/KeluView.h"

#include "app/Startup.h"
#include "favorites/AddFavoriteDlg.h"
#include "favorites/FavoriteRacer.h"
#include "favorites/OrganizeFavoritesDlg.h"
#include "model/KeluDoc.h"
#include "platform/Sjis.h"
#include "platform/gui/CommandRouter.h"
#include "platform/gui/QtText.h"
#include "platform/gui/Shell.h"
#include "res/Menu.h"
#include "res/resource.h"

#include <QAction>
#include <QComboBox>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSignalBlocker>

#include <algorithm>

namespace {

// Menu texts from the list file are plain text: an "&" in a name is shown, not a mnemonic.
QString MenuText(const CString& s)
{
    return ToQString(s).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

void CKeluView::OnFavoriteAdd()
{
    CAddFavoriteDlg dlg(window());
    dlg.DoModal();
    // Even a cancelled dialog may follow a change made elsewhere; the menu reads the file anew.
    m_bMenuStale = true;
}

void CKeluView::OnFavoriteOrganize()
{
    COrganizeFavoritesDlg dlg(window());
    dlg.DoModal();
    m_bMenuStale = true;
}

QMenu* CKeluView::FavoritesPopup() const
{
    const auto* pMain = qobject_cast<const QMainWindow*>(window());
    const auto* pBar = pMain ? qobject_cast<const QMenuBar*>(pMain->menuWidget()) : nullptr;
    if (!pBar || !m_pRouter)
        return nullptr;
    const QList<QAction*> popups = pBar->actions();
    return popups.size() > kFavoritesPopup ? popups[kFavoritesPopup]->menu() : nullptr;
}

void CKeluView::RebuildFavoritesMenu(CCmdUI& ui)
{
    // The add command itself stays enabled whatever happens to the menu.
    (void)ui;
    if (!m_bMenuStale)
        return;
    const int nRacers = LoadFavorites();
    if (QMenu* pPopup = FavoritesPopup())
        ShowRacerMenus(pPopup, nRacers);
    m_bMenuStale = false;
}

void CKeluView::ShowRacerMenus(QMenu* pPopup, int nRacers)
{
    // After add, organize and the separator come the submenus of the last build; should the
    // popup hold anything else there, it is cleared and built afresh.
    const QList<QAction*> items = pPopup->actions();
    bool bInStep = items.size() == kFavoritesFixedItems + static_cast<qsizetype>(m_racerMenus.size());
    for (size_t i = 0; bInStep && i < m_racerMenus.size(); ++i)
        bInStep = m_racerMenus[i].pMenu && items[kFavoritesFixedItems + static_cast<qsizetype>(i)]->menu() == m_racerMenus[i].pMenu;
    if (!bInStep) {
        for (qsizetype k = items.size() - 1; k >= kFavoritesFixedItems; --k) {
            pPopup->removeAction(items[k]);
            if (QMenu* pMenu = items[k]->menu())
                delete pMenu;
            else if (items[k]->parent() == pPopup)
                delete items[k];
        }
        m_racerMenus.clear();
    }
    // A submenu goes with its items, whose ids a later racer of that line takes over.
    while (m_racerMenus.size() > static_cast<size_t>(nRacers)) {
        delete m_racerMenus.back().pMenu;
        m_racerMenus.pop_back();
    }
    for (int i = 0; i < nRacers; ++i) {
        const size_t n = static_cast<size_t>(i);
        CString strTitle = m_strFavTitle[n];
        if (m_nFavVenue[n] != 0)
            strTitle += " (" + CKeluDoc::GetVenueName(m_nFavVenue[n]) + ")";
        if (n == m_racerMenus.size()) {
            auto* pMenu = new QMenu(pPopup);
            // A submenu is a window of its own and does not inherit the bar's font.
            pMenu->setFont(pPopup->font());
            static const CString strSchedule = Sjis("あっせん予定");
            UpdateRacerItem(pMenu, ID_FAVORITE_SCHEDULE_FIRST + n, CString(), strSchedule, nullptr);
            pPopup->addMenu(pMenu);
            m_racerMenus.push_back({pMenu, CString(), CString(), CString()});
        }
        CRacerMenu& shown = m_racerMenus[n];
        if (shown.strTitle != strTitle) {
            shown.pMenu->setTitle(MenuText(strTitle));
            shown.strTitle = strTitle;
        }
        // The first race, the later races, the schedule item.
        QAction* pSchedule = m_pRouter->FindAction(ID_FAVORITE_SCHEDULE_FIRST + n);
        UpdateRacerItem(shown.pMenu, ID_FAVORITE_RACE2_FIRST + n, shown.strRace2, m_strFavRace2[n], pSchedule);
        const QList<QAction*> items = shown.pMenu->actions();
        UpdateRacerItem(shown.pMenu, ID_FAVORITE_RACE1_FIRST + n, shown.strRace1, m_strFavRace1[n], items.constFirst());
        shown.strRace1 = m_strFavRace1[n];
        shown.strRace2 = m_strFavRace2[n];
    }
}

void CKeluView::UpdateRacerItem(QMenu* pMenu, UINT nID, const CString& strOld, const CString& strNew, QAction* pBefore)
{
    if (strNew == strOld)
        return;
    QAction* pAction = m_pRouter->FindAction(nID);
    if (strNew.IsEmpty()) {
        delete pAction;
        return;
    }
    if (!pAction) {
        // The router's action for the id: triggering it routes the command back to this view.
        pAction = m_pRouter->Action(nID, pMenu);
        pMenu->insertAction(pBefore, pAction);
    }
    pAction->setText(MenuText(strNew));
}

int CKeluView::LoadFavorites()
{
    const auto racers = CFavoriteRacer::LoadDay(*GetDocument());
    if (!racers)
        return 0;
    std::fill(m_nFavVenue.begin(), m_nFavVenue.end(), 0);
    std::fill(m_strFavTitle.begin(), m_strFavTitle.end(), CString());
    std::fill(m_strFavRace2.begin(), m_strFavRace2.end(), CString());
    std::fill(m_strFavRace1.begin(), m_strFavRace1.end(), CString());
    std::fill(m_nFavRegNo.begin(), m_nFavRegNo.end(), 0);
    for (size_t i = 0; i < racers->size(); ++i) {
        const CFavoriteRacer& racer = (*racers)[i];
        m_nFavVenue[i] = racer.m_nVenue;
        m_strFavTitle[i] = racer.Title();
        m_strFavRace2[i] = racer.m_strRace2;
        m_strFavRace1[i] = racer.m_strRace1;
        m_nFavRegNo[i] = racer.m_nRegNo;
    }
    return static_cast<int>(racers->size());
}

void CKeluView::OnFavoriteCommand(UINT nID)
{
    // The first id of each race range (33256, 33513) belongs to no racer, and the last
    // (33770) to one past the tables: such ids, like those of racers not in the menu, do
    // nothing.
    const int n = static_cast<int>(nID);
    if (n >= ID_FAVORITE_SCHEDULE_FIRST && n < ID_FAVORITE_RACE1_FIRST - 1)
        OpenSchedule(n - ID_FAVORITE_SCHEDULE_FIRST);
    else if (n >= ID_FAVORITE_RACE1_FIRST - 1 && n < ID_FAVORITE_RACE2_FIRST - 1)
        JumpToRace(n - ID_FAVORITE_RACE1_FIRST, m_strFavRace1);
    else if (n >= ID_FAVORITE_RACE2_FIRST - 1 && n <= ID_FAVORITE_LAST)
        JumpToRace(n - ID_FAVORITE_RACE2_FIRST, m_strFavRace2);
}

void CKeluView::OpenSchedule(int nRacer)
{
    if (nRacer < 0 || nRacer >= kFavoriteCount || m_strAssenUrl.IsEmpty())
        return;
    const size_t i = static_cast<size_t>(nRacer);
    if (m_strFavTitle[i].IsEmpty())
        return;
    ShellOpen(ExpandAssenUrl(m_strAssenUrl, m_nFavRegNo[i]));
}

void CKeluView::JumpToRace(int nRacer, const std::array<CString, kFavoriteCount>& races)
{
    if (nRacer < 0 || nRacer >= kFavoriteCount)
        return;
    const size_t i = static_cast<size_t>(nRacer);
    const int nRace = CFavoriteRacer::RaceNumber(races[i]);
    const int nVenue = m_nFavVenue[i];
    if (nRace < 1 || nRace > kRaceCount || nVenue == 0)
        return;
    // The race first, then the venue: choosing the venue shows the race and leaves the focus
    // in the race list.
    {
        const QSignalBlocker quiet(m_listRace);
        m_listRace->setCurrentIndex(nRace - 1);
    }
    OnRaceListChange();
    m_listRace->setFocus();
    SelectVenue(nVenue);
}
