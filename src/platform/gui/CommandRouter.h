#pragma once
// The route of commands and the actions that carry them. One QAction exists per command id and
// is shared by its menu item, toolbar button and accelerator; triggering it runs the command on
// the route, and its enabled state is asked of the route when a menu opens and at idle time.

#include "platform/gui/CmdTarget.h"

#include <QObject>

#include <map>
#include <vector>

class QAction;
class QMenu;

class CCommandRouter : public QObject {
public:
    explicit CCommandRouter(QObject* pParent = nullptr);
    ~CCommandRouter() override;

    // The targets in routing order (view, frame, application). Targets are not owned.
    void SetRoute(std::vector<CCmdTarget*> route);
    const std::vector<CCmdTarget*>& GetRoute() const { return m_route; }

    // Runs the command on the first target that handles it; false when none does or the
    // command is disabled.
    bool Execute(UINT nID);
    // Asks the route for the command's state; false when no target handles it.
    bool QueryState(CCmdUI& ui);

    // The action of a command, created on first use; pParentForNew owns a new action.
    QAction* Action(UINT nID, QObject* pParentForNew = nullptr);
    QAction* FindAction(UINT nID) const;
    // The command id an action carries, or 0.
    static UINT CommandOf(const QAction* pAction);

    // Brings the enabled state of every action (or of one menu's actions) up to date.
    void UpdateAll();
    void UpdateMenu(QMenu* pMenu);
    // Updates a menu's actions each time it is about to open.
    void WatchMenu(QMenu* pMenu);
    // Updates every action once the program falls idle after any event but a repaint or a
    // timer tick.
    void EnableIdleUpdates();
    // Marks the state stale; the next idle pass brings it up to date.
    void ScheduleIdleUpdate();

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void UpdateAction(QAction* pAction);
    void OnAboutToBlock();

    std::vector<CCmdTarget*> m_route;
    std::map<UINT, QAction*> m_actions;
    bool m_bIdleUpdates = false;
    // Something happened since the last idle pass.
    bool m_bIdleStale = false;
};
