#pragma once
// The watched racers' submenus of "注目選手(&A)": one submenu per line of the list file, titled
// with the racer and, when he races on the loaded day, the venue; its items jump to his races
// and open his schedule page. Building them reads the list on the loaded day and writes the
// names found back into the file.

#include "favorites/FavoriteRacer.h"
#include "platform/String.h"
#include "platform/gui/CmdTarget.h"

#include <QPointer>

#include <vector>

class CCommandRouter;
class CKeluDoc;
class QAction;
class QMenu;

class CFavoritesMenu {
public:
    // The item's ids go through the router, whose actions the submenus hold.
    explicit CFavoritesMenu(CCommandRouter& router);

    // Reads the list file on the document's day and brings the popup's submenus up to date.
    void Rebuild(CKeluDoc& doc, QMenu* pPopup);

    // What an item stands for: 33000 + i the schedule page of racer i, 33257 + i his first race,
    // 33514 + i his later races and 34000 + i his record. Ids of no racer stand for nothing.
    struct CTarget {
        enum class EKind { None, Schedule, Race, RacerRecord };
        EKind eKind = EKind::None;
        int nRegNo = 0;
        int nVenue = 0;
        int nRace = 0;
    };
    CTarget Target(UINT nID) const;
    const std::vector<CFavoriteRacer>& Racers() const { return m_racers; }

private:
    void ShowRacerMenus(QMenu* pPopup);
    // Makes, renames or removes the submenu's item nID as its text goes from strOld to strNew
    // (empty: no item); a new item goes before pBefore (nullptr: at the end).
    void UpdateRacerItem(QMenu* pMenu, UINT nID, const CString& strOld, const CString& strNew, QAction* pBefore);

    CCommandRouter& m_router;
    // The racers of the last build, one per line of the list.
    std::vector<CFavoriteRacer> m_racers;
    // The racers' submenus with what they show, in menu order: a rebuild changes only those
    // whose racer shows something else, so that opening the menu costs little more than the
    // search for the racers.
    struct CRacerMenu {
        QPointer<QMenu> pMenu;
        CString strTitle;
        CString strRace1;
        CString strRace2;
    };
    std::vector<CRacerMenu> m_racerMenus;
};
