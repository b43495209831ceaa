#pragma once
// The one top-level window: menu bar, a movable toolbar at the top, the status bar with the
// command prompts and the keyboard indicators, and the race view as its only client. The frame
// owns the command router; every command reaches its handler through it (view, frame,
// application).

#include "platform/gui/CmdTarget.h"

#include <QMainWindow>

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
    // Keeps the window at the size the view gave it; fixes the current size when the view gave
    // none.
    void LockSize();

    CCommandRouter* GetRouter() const { return m_pRouter; }
    QWidget* GetView() const { return m_pView; }
    QStatusBar* GetStatusBar() const { return m_wndStatusBar; }
    QToolBar* GetToolBar() const { return m_wndToolBar; }
    // The popups of the menu bar, left to right: "ﾌｧｲﾙ(&F)", "注目選手(&A)", "ﾍﾙﾌﾟ(&H)".
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

private:
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
};
