#include "platform/gui/CommandRouter.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QPointer>
#include <QTimer>

namespace {

const char* const kCommandProperty = "keluCommandId";

} // namespace

CCommandRouter::CCommandRouter(QObject* pParent)
    : QObject(pParent)
{
}

CCommandRouter::~CCommandRouter()
{
    if (m_pIdleTimer && qApp)
        qApp->removeEventFilter(this);
}

void CCommandRouter::SetRoute(std::vector<CCmdTarget*> route)
{
    m_route = std::move(route);
    ScheduleIdleUpdate();
}

bool CCommandRouter::QueryState(CCmdUI& ui)
{
    for (CCmdTarget* pTarget : m_route)
        if (pTarget && pTarget->OnUpdateCmdUI(ui))
            return true;
    return false;
}

bool CCommandRouter::Execute(UINT nID)
{
    CCmdUI ui(nID);
    bool bHandled = false;
    for (CCmdTarget* pTarget : m_route) {
        if (!pTarget)
            continue;
        // A disabled command does not run, whichever way it arrives.
        if (pTarget->OnUpdateCmdUI(ui) && !ui.m_bEnabled)
            return false;
        if (pTarget->OnCmdMsg(nID)) {
            bHandled = true;
            break;
        }
    }
    ScheduleIdleUpdate();
    return bHandled;
}

QAction* CCommandRouter::FindAction(UINT nID) const
{
    auto it = m_actions.find(nID);
    return it == m_actions.end() ? nullptr : it->second;
}

QAction* CCommandRouter::Action(UINT nID, QObject* pParentForNew)
{
    if (QAction* pAction = FindAction(nID))
        return pAction;
    auto* pAction = new QAction(pParentForNew ? pParentForNew : this);
    pAction->setProperty(kCommandProperty, nID);
    QPointer<CCommandRouter> self(this);
    connect(pAction, &QAction::triggered, this, [self, nID] {
        if (self)
            self->Execute(nID);
    });
    connect(pAction, &QObject::destroyed, this, [this, nID] { m_actions.erase(nID); });
    m_actions[nID] = pAction;
    UpdateAction(pAction);
    return pAction;
}

UINT CCommandRouter::CommandOf(const QAction* pAction)
{
    return pAction ? pAction->property(kCommandProperty).toUInt() : 0;
}

void CCommandRouter::UpdateAction(QAction* pAction)
{
    CCmdUI ui(CommandOf(pAction));
    const bool bHandled = QueryState(ui);
    pAction->setEnabled(bHandled && ui.m_bEnabled);
    if (ui.m_nCheck >= 0) {
        pAction->setCheckable(true);
        pAction->setChecked(ui.m_nCheck != 0);
    }
}

void CCommandRouter::UpdateAll()
{
    // Copy first: a state handler may add or remove actions (the watched-racer menu does).
    std::vector<QPointer<QAction>> actions;
    for (auto& [nID, pAction] : m_actions)
        actions.emplace_back(pAction);
    for (const QPointer<QAction>& pAction : actions)
        if (pAction)
            UpdateAction(pAction);
}

void CCommandRouter::UpdateMenu(QMenu* pMenu)
{
    if (!pMenu)
        return;
    const QList<QAction*> list = pMenu->actions();
    std::vector<QPointer<QAction>> actions(list.begin(), list.end());
    for (const QPointer<QAction>& pAction : actions)
        if (pAction && CommandOf(pAction) != 0)
            UpdateAction(pAction);
}

void CCommandRouter::WatchMenu(QMenu* pMenu)
{
    connect(pMenu, &QMenu::aboutToShow, this, [this, pMenu] { UpdateMenu(pMenu); });
}

void CCommandRouter::EnableIdleUpdates()
{
    if (m_pIdleTimer)
        return;
    m_pIdleTimer = new QTimer(this);
    m_pIdleTimer->setSingleShot(true);
    m_pIdleTimer->setInterval(0);
    connect(m_pIdleTimer, &QTimer::timeout, this, &CCommandRouter::UpdateAll);
    qApp->installEventFilter(this);
    ScheduleIdleUpdate();
}

void CCommandRouter::ScheduleIdleUpdate()
{
    if (m_pIdleTimer && !m_pIdleTimer->isActive())
        m_pIdleTimer->start();
}

bool CCommandRouter::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    // Only what the user does can change a command's state; paint and timer events must not
    // schedule another pass, or idle updates would feed themselves.
    switch (pEvent->type()) {
    case QEvent::MouseButtonRelease:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::WindowActivate:
    case QEvent::FocusIn:
        ScheduleIdleUpdate();
        break;
    default:
        break;
    }
    return QObject::eventFilter(pWatched, pEvent);
}
