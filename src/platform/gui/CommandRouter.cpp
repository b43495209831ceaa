#include "platform/gui/CommandRouter.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QPointer>

namespace {

const char* const kCommandProperty = "keluCommandId";

} // namespace

CCommandRouter::CCommandRouter(QObject* pParent)
    : QObject(pParent)
{
}

CCommandRouter::~CCommandRouter()
{
    if (m_bIdleUpdates && qApp)
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
    if (m_bIdleUpdates)
        return;
    m_bIdleUpdates = true;
    // The pass runs when the event loop has nothing left to do and is about to wait, as often
    // as the program falls idle after something happened: a wheel turn on a list, a key, a
    // command, a dialog closing all count, without a list of chosen events to keep up to date.
    if (QAbstractEventDispatcher* pDispatcher = QAbstractEventDispatcher::instance(thread()))
        connect(pDispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &CCommandRouter::OnAboutToBlock);
    qApp->installEventFilter(this);
    ScheduleIdleUpdate();
}

void CCommandRouter::ScheduleIdleUpdate()
{
    m_bIdleStale = true;
}

void CCommandRouter::OnAboutToBlock()
{
    if (!m_bIdleStale)
        return;
    m_bIdleStale = false;
    UpdateAll();
}

bool CCommandRouter::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    // Any event may change what a command can do, except those that only repaint, tick, move
    // the pointer or keep Qt's own objects in order (timers and animations come and go as
    // objects and queued calls): they would otherwise make every pass schedule the next one.
    switch (pEvent->type()) {
    case QEvent::Timer:
    case QEvent::Paint:
    case QEvent::UpdateRequest:
    case QEvent::UpdateLater:
    case QEvent::LayoutRequest:
    case QEvent::ActionChanged:
    case QEvent::HoverMove:
    case QEvent::MouseMove:
    case QEvent::ChildAdded:
    case QEvent::ChildRemoved:
    case QEvent::ChildPolished:
    case QEvent::Polish:
    case QEvent::PolishRequest:
    case QEvent::DeferredDelete:
    case QEvent::MetaCall:
        break;
    default:
        m_bIdleStale = true;
        break;
    }
    return QObject::eventFilter(pWatched, pEvent);
}
