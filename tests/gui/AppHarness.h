#pragma once
// Helpers of the application and frame tests: start Kelu as main() does, without its event
// loop; answer the modal dialogs that a command opens; read what the status bar shows.

#include "app/KeluApp.h"
#include "frame/MainFrame.h"
#include "platform/gui/CommandRouter.h"
#include "platform/gui/QtText.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace apptest {

// Starts the application in the working directory; asserts that start-up succeeds.
inline std::unique_ptr<CKeluApp> StartApp(const QStringList& args = {})
{
    auto pApp = std::make_unique<CKeluApp>();
    EXPECT_TRUE(pApp->InitInstance(args));
    return pApp;
}

// Answers the modal dialogs that appear while a command runs, one step per dialog, in order.
// A step gets the dialog and must end it (through a queued call, so that a dialog it opens in
// turn is met by the next step). Dialogs beyond the steps are rejected, so that a command that
// grows a dialog later never hangs a test.
class CModalDriver {
public:
    using Step = std::function<void(QWidget*)>;
    explicit CModalDriver(std::vector<Step> steps = {})
        : m_steps(std::move(steps))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
        m_timer.start(10);
    }
    // The dialogs met so far, by their class names.
    const QStringList& Seen() const { return m_seen; }

private:
    void Poll()
    {
        // A dialog that opened another is met again when that one closes, as a step of its own.
        QWidget* pModal = QApplication::activeModalWidget();
        if (!pModal || pModal == m_pLast)
            return;
        m_pLast = pModal;
        m_seen << QString::fromLatin1(pModal->metaObject()->className());
        if (m_nNext < m_steps.size()) {
            m_steps[m_nNext++](pModal);
            return;
        }
        QPointer<QWidget> p(pModal);
        QMetaObject::invokeMethod(pModal, [p] { if (auto* d = qobject_cast<QDialog*>(p.data())) d->reject(); }, Qt::QueuedConnection);
    }

    std::vector<Step> m_steps;
    size_t m_nNext = 0;
    QPointer<QWidget> m_pLast;
    QStringList m_seen;
    QTimer m_timer;
};

// Lets the event loop run until it has waited for more events a few times, which is when the
// program's idle work (the command states) is done.
inline void RunUntilIdle(int nMilliseconds = 30)
{
    QEventLoop loop;
    QTimer::singleShot(nMilliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// Shows the frame so that the pointer can move over it.
inline void Expose(CMainFrame* pFrame)
{
    pFrame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(pFrame));
}

// Makes the frame the active window, so that its keyboard shortcuts apply.
inline void Activate(CMainFrame* pFrame)
{
    pFrame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(pFrame));
}

// Ctrl plus a key, pressed in the frame as the user would (a dialog that just closed may have
// left another window active).
inline void PressCtrl(CMainFrame* pFrame, Qt::Key key)
{
    Activate(pFrame);
    QTest::keyClick(pFrame, key, Qt::ControlModifier);
}

// The message pane's text: the prompt while one is shown, else the idle text.
inline QString MessagePaneText(CMainFrame* pFrame)
{
    const QString strMessage = pFrame->GetStatusBar()->currentMessage();
    return strMessage.isEmpty() ? pFrame->GetIdlePane()->text() : strMessage;
}

// The command actions of a popup, separators as id 0.
inline std::vector<UINT> PopupIds(QMenu* pMenu)
{
    std::vector<UINT> ids;
    for (QAction* pAction : pMenu->actions())
        ids.push_back(pAction->isSeparator() ? 0 : CCommandRouter::CommandOf(pAction));
    return ids;
}

inline QAction* PopupAction(QMenu* pMenu, UINT nID)
{
    for (QAction* pAction : pMenu->actions())
        if (!pAction->isSeparator() && CCommandRouter::CommandOf(pAction) == nID)
            return pAction;
    return nullptr;
}

} // namespace apptest
