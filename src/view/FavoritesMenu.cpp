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
    QMenu* pPopup = FavoritesPopup();
    // Add, organize and the separator stay; each racer's submenu goes with its items, whose
    // ids the new ones take over.
    if (pPopup) {
        const QList<QAction*> items = pPopup->actions();
        for (qsizetype k = items.size() - 1; k >= kFavoritesFixedItems; --k) {
            pPopup->removeAction(items[k]);
            if (QMenu* pMenu = items[k]->menu())
                delete pMenu;
            else if (items[k]->parent() == pPopup)
                delete items[k];
        }
    }
    const int nRacers = LoadFavorites();
    if (pPopup) {
        for (int i = 0; i < nRacers; ++i)
            pPopup->addMenu(MakeRacerMenu(i, pPopup));
    }
    m_bMenuStale = false;
}

QMenu* CKeluView::MakeRacerMenu(int nRacer, QMenu* pPopup)
{
    const size_t i = static_cast<size_t>(nRacer);
    auto* pMenu = new QMenu(pPopup);
    // A submenu is a window of its own and does not inherit the bar's font.
    pMenu->setFont(pPopup->font());
    if (!m_strFavRace1[i].IsEmpty())
        AddRacerItem(pMenu, ID_FAVORITE_RACE1_FIRST + i, m_strFavRace1[i]);
    if (!m_strFavRace2[i].IsEmpty())
        AddRacerItem(pMenu, ID_FAVORITE_RACE2_FIRST + i, m_strFavRace2[i]);
    AddRacerItem(pMenu, ID_FAVORITE_SCHEDULE_FIRST + i, Sjis("あっせん予定"));
    CString strTitle = m_strFavTitle[i];
    if (m_nFavVenue[i] != 0)
        strTitle += " (" + CKeluDoc::GetVenueName(m_nFavVenue[i]) + ")";
    pMenu->setTitle(MenuText(strTitle));
    return pMenu;
}

void CKeluView::AddRacerItem(QMenu* pMenu, UINT nID, const CString& strText)
{
    // The router's action for the id: triggering it routes the command back to this view.
    QAction* pAction = m_pRouter->Action(nID, pMenu);
    pAction->setText(MenuText(strText));
    pMenu->addAction(pAction);
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
