#pragma once
// Command routing. Every menu item, toolbar button and accelerator carries a numeric command
// id (res/resource.h). A command goes to the first target on the route that handles it: view,
// frame, application (the document has no commands of its own). Before a menu opens, and when
// the program falls idle, each command's target is asked for its state; a command that no
// target handles is disabled.

#include <cstddef>
#include <span>

using UINT = unsigned int;

// The state of one command, filled in by the target that handles it.
class CCmdUI {
public:
    explicit CCmdUI(UINT nID) : m_nID(nID) {}
    void Enable(bool bOn = true) { m_bEnabled = bOn; }
    void SetCheck(int nCheck) { m_nCheck = nCheck; }

    UINT m_nID;
    bool m_bEnabled = true;
    int m_nCheck = -1; // -1: not a check item
};

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;
    // Runs the command; false when this target has no handler for it.
    virtual bool OnCmdMsg(UINT nID) { (void)nID; return false; }
    // Sets the command's state; false when this target has no handler for it. A target that
    // handles a command without a state handler leaves it enabled.
    virtual bool OnUpdateCmdUI(CCmdUI& ui) { (void)ui; return false; }
};

// One row of a class's command table.
template <class T>
struct CommandEntry {
    UINT nID;
    void (T::*pfnCommand)();
    void (T::*pfnUpdate)(CCmdUI& ui) = nullptr;
};

template <class T>
bool DispatchCommand(T* pTarget, std::span<const CommandEntry<T>> table, UINT nID)
{
    for (const CommandEntry<T>& e : table)
        if (e.nID == nID && e.pfnCommand) {
            (pTarget->*e.pfnCommand)();
            return true;
        }
    return false;
}

template <class T, std::size_t N>
bool DispatchCommand(T* pTarget, const CommandEntry<T> (&table)[N], UINT nID)
{
    return DispatchCommand<T>(pTarget, std::span<const CommandEntry<T>>(table), nID);
}

template <class T>
bool DispatchUpdate(T* pTarget, std::span<const CommandEntry<T>> table, CCmdUI& ui)
{
    for (const CommandEntry<T>& e : table)
        if (e.nID == ui.m_nID) {
            if (e.pfnUpdate)
                (pTarget->*e.pfnUpdate)(ui);
            return e.pfnCommand != nullptr || e.pfnUpdate != nullptr;
        }
    return false;
}

template <class T, std::size_t N>
bool DispatchUpdate(T* pTarget, const CommandEntry<T> (&table)[N], CCmdUI& ui)
{
    return DispatchUpdate<T>(pTarget, std::span<const CommandEntry<T>>(table), ui);
}
