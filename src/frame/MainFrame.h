#pragma once
// The one top-level window: menu bar, a movable toolbar at the top, the status bar with the
// command prompts and the keyboard indicators, and the race view as its only client. The frame
// owns the command router; every command reaches its handler through it (view, frame,
// application).

#include "platform/Profile.h"
#include "platform/gui/CmdTarget.h"

#include <QMainWindow>
#include <QTimer>

#include <optional>
#include <vector>

class CCommandRouter;
class QLabel;
class QMenu;
class QStatusBar;
class QToolBar;

class CMainFrame : public QMainWindow, public CCmdTarget {
public:
    explicit CMainFrame(QWidget* pParent = nullptr);
    ~CMainFrame() override;

    // Creates the menu, the bars and the accelerators; 0, or -1 when the frame cannot be made.
    int OnCreate();
    // Makes pView the frame's client and routes commands view -> frame -> pApp.
    void SetView(QWidget* pView, CCmdTarget* pViewTarget, CCmdTarget* pApp);
    // Keeps the window at least at the size the view gave it; at least at its current size when
    // the view gave none.
    void KeepMinimumSize();
    // Shows the window at the size it had when it was last closed, maximised if it was, as
    // section "Window" of the profile keeps it, and from now on keeps its size there. A missing
    // or damaged size gives the standard one, and the window never opens larger than the
    // screen's free area.
    void ShowRemembered(const CProfile& profile);

    CCommandRouter* GetRouter() const { return m_pRouter; }
    QWidget* GetView() const { return m_pView; }
    QStatusBar* GetStatusBar() const { return m_wndStatusBar; }
    QToolBar* GetToolBar() const { return m_wndToolBar; }
    // The popups of the menu bar, left to right: "ﾌｧｲﾙ(&F)", "注目選手(&A)", "表示(&V)",
    // "ﾍﾙﾌﾟ(&H)".
    QMenu* GetPopup(int nIndex) const;
    QMenu* GetFavoritesPopup() const;
    // The idle text of the message pane ("ﾚﾃﾞｨ"), shown whenever no prompt is.
    QLabel* GetIdlePane() const { return m_pIdlePane; }
    // The indicator panes, left to right: "ｶﾅ", "CAP", "NUM", "SCRL".
    const std::vector<QLabel*>& GetIndicators() const { return m_indicators; }

    bool OnCmdMsg(UINT nID) override;
    bool OnUpdateCmdUI(CCmdUI& ui) override;

    void OnAppExit();

protected:
    void changeEvent(QEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;
    void moveEvent(QMoveEvent* pEvent) override;
    void closeEvent(QCloseEvent* pEvent) override;

private:
    // The size and state to remember: written when they differ from what the profile holds.
    struct CWindowPlacement {
        QSize size;
        bool bMaximized = false;
        bool operator==(const CWindowPlacement&) const = default;
    };
    CWindowPlacement ReadPlacement(const CProfile& profile) const;
    void SavePlacement();

    void CreateMenu();
    void CreateToolBar();
    void CreateStatusBar();
    void CreateAccelerators();
    // The command's action with its prompt texts.
    QAction* CommandAction(UINT nID);

    QStatusBar* m_wndStatusBar = nullptr;
    QToolBar* m_wndToolBar = nullptr;
    CCommandRouter* m_pRouter = nullptr;
    QWidget* m_pView = nullptr;
    std::vector<QMenu*> m_popups;
    QLabel* m_pIdlePane = nullptr;
    std::vector<QLabel*> m_indicators;
    // Where the size is kept, once the window shows a remembered size; what it holds.
    std::optional<CProfile> m_placementProfile;
    CWindowPlacement m_placement;
    // A window dragged larger changes its size many times a second: the size is written once
    // it has rested.
    QTimer m_placementTimer;
    // Set while a window just shown waits for the window manager's frame, which may take room
    // the screen does not have.
    bool m_bAwaitFrame = false;
};
