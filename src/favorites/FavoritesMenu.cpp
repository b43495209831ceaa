#include "favorites/FavoritesMenu.h"

#include "model/KeluDoc.h"
#include "platform/Sjis.h"
#include "platform/gui/CommandRouter.h"
#include "platform/gui/QtText.h"
#include "res/Menu.h"
#include "res/resource.h"

#include <QAction>
#include <QMenu>

namespace {

// Menu texts from the list file are plain text: an "&" in a name is shown, not a mnemonic.
QString MenuText(const CString& s)
{
    return ToQString(s).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

CFavoritesMenu::CFavoritesMenu(CCommandRouter& router)
    : m_router(router)
{
}

void CFavoritesMenu::Rebuild(CKeluDoc& doc, QMenu* pPopup)
{
    // A list that cannot be read leaves no racer: the submenus of the last build go.
    auto racers = CFavoriteRacer::LoadDay(doc);
    m_racers = racers ? std::move(*racers) : std::vector<CFavoriteRacer>();
    if (pPopup)
        ShowRacerMenus(pPopup);
}

CFavoritesMenu::CTarget CFavoritesMenu::Target(UINT nID) const
{
    // The first id of each race range (33256, 33513) belongs to no racer, and the last
    // (33770) to one past the list: such ids, like those of racers not in the menu, stand for
    // nothing.
    const int n = static_cast<int>(nID);
    CTarget target;
    int nRacer = -1;
    const CString* pstrRace = nullptr;
    bool bRecord = false;
    if (n >= ID_FAVORITE_SCHEDULE_FIRST && n < ID_FAVORITE_RACE1_FIRST - 1) {
        nRacer = n - ID_FAVORITE_SCHEDULE_FIRST;
    } else if (n >= ID_FAVORITE_RECORD_FIRST && n <= ID_FAVORITE_RECORD_LAST) {
        nRacer = n - ID_FAVORITE_RECORD_FIRST;
        bRecord = true;
    } else if (n >= ID_FAVORITE_RACE1_FIRST && n < ID_FAVORITE_RACE2_FIRST - 1) {
        nRacer = n - ID_FAVORITE_RACE1_FIRST;
        if (nRacer < static_cast<int>(m_racers.size()))
            pstrRace = &m_racers[static_cast<size_t>(nRacer)].m_strRace1;
    } else if (n >= ID_FAVORITE_RACE2_FIRST && n <= ID_FAVORITE_LAST) {
        nRacer = n - ID_FAVORITE_RACE2_FIRST;
        if (nRacer < static_cast<int>(m_racers.size()))
            pstrRace = &m_racers[static_cast<size_t>(nRacer)].m_strRace2;
    }
    if (nRacer < 0 || nRacer >= static_cast<int>(m_racers.size()))
        return target;
    const CFavoriteRacer& racer = m_racers[static_cast<size_t>(nRacer)];
    target.nRegNo = racer.m_nRegNo;
    if (!pstrRace) {
        target.eKind = bRecord ? CTarget::EKind::RacerRecord : CTarget::EKind::Schedule;
        return target;
    }
    target.nRace = CFavoriteRacer::RaceNumber(*pstrRace);
    target.nVenue = racer.m_nVenue;
    if (target.nRace >= 1 && target.nRace <= 12 && target.nVenue != 0)
        target.eKind = CTarget::EKind::Race;
    return target;
}

void CFavoritesMenu::ShowRacerMenus(QMenu* pPopup)
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
    const int nRacers = static_cast<int>(m_racers.size());
    while (m_racerMenus.size() > static_cast<size_t>(nRacers)) {
        delete m_racerMenus.back().pMenu;
        m_racerMenus.pop_back();
    }
    for (int i = 0; i < nRacers; ++i) {
        const size_t n = static_cast<size_t>(i);
        const CFavoriteRacer& racer = m_racers[n];
        CString strTitle = racer.Title();
        if (racer.m_nVenue != 0)
            strTitle += " (" + CKeluDoc::GetVenueName(racer.m_nVenue) + ")";
        if (n == m_racerMenus.size()) {
            auto* pMenu = new QMenu(pPopup);
            // A submenu is a window of its own and does not inherit the bar's font.
            pMenu->setFont(pPopup->font());
            static const CString strSchedule = Sjis("あっせん予定");
            static const CString strRecord = Sjis("選手の成績...");
            UpdateRacerItem(pMenu, ID_FAVORITE_SCHEDULE_FIRST + n, CString(), strSchedule, nullptr);
            UpdateRacerItem(pMenu, ID_FAVORITE_RECORD_FIRST + n, CString(), strRecord, nullptr);
            pPopup->addMenu(pMenu);
            m_racerMenus.push_back({pMenu, CString(), CString(), CString()});
        }
        CRacerMenu& shown = m_racerMenus[n];
        if (shown.strTitle != strTitle) {
            shown.pMenu->setTitle(MenuText(strTitle));
            shown.strTitle = strTitle;
        }
        // The first race, the later races, the schedule item.
        QAction* pSchedule = m_router.FindAction(ID_FAVORITE_SCHEDULE_FIRST + n);
        UpdateRacerItem(shown.pMenu, ID_FAVORITE_RACE2_FIRST + n, shown.strRace2, racer.m_strRace2, pSchedule);
        const QList<QAction*> items = shown.pMenu->actions();
        UpdateRacerItem(shown.pMenu, ID_FAVORITE_RACE1_FIRST + n, shown.strRace1, racer.m_strRace1, items.constFirst());
        shown.strRace1 = racer.m_strRace1;
        shown.strRace2 = racer.m_strRace2;
    }
}

void CFavoritesMenu::UpdateRacerItem(QMenu* pMenu, UINT nID, const CString& strOld, const CString& strNew, QAction* pBefore)
{
    if (strNew == strOld)
        return;
    QAction* pAction = m_router.FindAction(nID);
    if (strNew.IsEmpty()) {
        delete pAction;
        return;
    }
    if (!pAction) {
        // The router's action for the id: triggering it routes the command back to this view.
        pAction = m_router.Action(nID, pMenu);
        pMenu->insertAction(pBefore, pAction);
    }
    pAction->setText(MenuText(strNew));
}

