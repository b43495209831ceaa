#include "frame/MainFrame.h"

#include "platform/gui/CommandRouter.h"
#include "platform/gui/Fonts.h"
#include "platform/gui/QtText.h"
#include "platform/gui/WindowFit.h"
#include "res/Icons.h"
#include "res/Menu.h"
#include "res/StringIds.h"
#include "res/Strings.h"
#include "res/resource.h"

#include <QAction>
#include <QCloseEvent>
#include <QEvent>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>

#include <algorithm>
#include <array>

namespace {

const CommandEntry<CMainFrame> kCommands[] = {
    {ID_APP_EXIT, &CMainFrame::OnAppExit},
};

// The keyboard indicators, in the order the status bar shows them.
const std::array<UINT, 4> kIndicators = {ID_INDICATOR_KANA, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};

// The bars speak the same face as the form and the dialogs, whatever the desktop's default:
// a Japanese proportional gothic at 9 points.
QFont BarFont()
{
    return KeluFont(kFacePGothic, 9);
}

// The section of the profile that keeps the window's size, and its keys.
constexpr const char* kPlacementSection = "Window";
constexpr const char* kWidthKey = "Width";
constexpr const char* kHeightKey = "Height";
constexpr const char* kMaximizedKey = "Maximized";
// No screen is wider or taller: a larger value was not written by us.
constexpr int kLargestSide = 16384;
// How long a size must rest before it is written.
constexpr int kPlacementDelayMs = 500;
// How long a window just shown may wait for the window manager's frame.
constexpr int kFrameWaitMs = 2000;

// A side as written: digits only, within reason; -1 for anything else.
int ReadSide(const CProfile& profile, const char* pszKey)
{
    const CString strValue = profile.GetProfileString(kPlacementSection, pszKey, "");
    const std::string& digits = strValue.Str();
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (digits.empty() || digits.size() > 5 || !std::all_of(digits.begin(), digits.end(), isDigit))
        return -1;
    const int n = std::stoi(digits);
    return n <= kLargestSide ? n : -1;
}

// The first field of the document string: the window's title.
CString WindowTitle()
{
    const CString strDoc = LoadKeluString(IDR_MAINFRAME);
    const int n = strDoc.Find('\n');
    return n < 0 ? strDoc : strDoc.Left(n);
}

} // namespace

CMainFrame::CMainFrame(QWidget* pParent)
    : QMainWindow(pParent)
{
    LoadKeluResources();
    // The view gives the frame its smallest size; the user makes it larger, up to maximised, and
    // the form grows with it. The title is the application's name alone, whatever is shown.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowTitle(ToQString(WindowTitle()));
    setWindowIcon(KeluIcon(kProgramIcon));
    // No menu of bars to hide: the frame has nothing to offer on a right click.
    setContextMenuPolicy(Qt::NoContextMenu);
    // The bars measure themselves in the frame's font as they are made; given the bars' face
    // now, the desktop's default face, which nothing in the frame shows, is never loaded. The
    // view sets its own font, and windows opened over the frame do not inherit this one.
    setFont(BarFont());
    m_pRouter = new CCommandRouter(this);
    m_placementTimer.setSingleShot(true);
    m_placementTimer.setInterval(kPlacementDelayMs);
    connect(&m_placementTimer, &QTimer::timeout, this, [this] { SavePlacement(); });
}

CMainFrame::~CMainFrame() = default;

int CMainFrame::OnCreate()
{
    CreateMenu();
    CreateToolBar();
    CreateStatusBar();
    CreateAccelerators();
    return 0;
}

void CMainFrame::SetView(QWidget* pView, CCmdTarget* pViewTarget, CCmdTarget* pApp)
{
    m_pView = pView;
    setCentralWidget(pView);
    m_pRouter->SetRoute({pViewTarget, this, pApp});
    // The states are right from the first paint and for commands sent before the event loop
    // runs; later the idle passes keep them so.
    m_pRouter->UpdateAll();
    m_pRouter->EnableIdleUpdates();
}

void CMainFrame::KeepMinimumSize()
{
    if (!minimumSize().isEmpty())
        return;
    adjustSize();
    setMinimumSize(size());
}

CMainFrame::CWindowPlacement CMainFrame::ReadPlacement(const CProfile& profile) const
{
    const QSize standard = minimumSize();
    const QSize size(ReadSide(profile, kWidthKey), ReadSide(profile, kHeightKey));
    CWindowPlacement placement{standard, false};
    // A size below the smallest cannot have been the window's: the whole size is damaged.
    if (size.width() >= standard.width() && size.height() >= standard.height())
        placement.size = size;
    if (const QScreen* pScreen = screen())
        placement.size = placement.size.boundedTo(pScreen->availableGeometry().size()).expandedTo(standard);
    placement.bMaximized = profile.GetProfileString(kPlacementSection, kMaximizedKey, "") == CString("1");
    return placement;
}

void CMainFrame::ShowRemembered(const CProfile& profile)
{
    m_placement = ReadPlacement(profile);
    resize(m_placement.size);
    if (m_placement.bMaximized) {
        showMaximized();
    } else {
        showNormal();
        // The window manager's frame needs room as well. Some window managers frame the window
        // a moment after it shows, and move it as they do: a while, the first move with a frame
        // fits the window to the screen once more.
        KeepWindowOnScreen(this);
        m_bAwaitFrame = true;
        QTimer::singleShot(kFrameWaitMs, this, [this] { m_bAwaitFrame = false; });
    }
    m_placementProfile = profile;
}

void CMainFrame::SavePlacement()
{
    if (!m_placementProfile)
        return;
    CWindowPlacement now = m_placement;
    now.bMaximized = windowState() & Qt::WindowMaximized;
    // A maximised, full-screen or minimised window keeps the size it comes back to.
    if (!(windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized)))
        now.size = size();
    if (now == m_placement)
        return;
    m_placement = now;
    const CProfile& profile = *m_placementProfile;
    profile.WriteProfileString(kPlacementSection, kWidthKey, std::to_string(now.size.width()).c_str());
    profile.WriteProfileString(kPlacementSection, kHeightKey, std::to_string(now.size.height()).c_str());
    profile.WriteProfileString(kPlacementSection, kMaximizedKey, now.bMaximized ? "1" : "0");
}

QMenu* CMainFrame::GetPopup(int nIndex) const
{
    return nIndex >= 0 && nIndex < static_cast<int>(m_popups.size()) ? m_popups[static_cast<size_t>(nIndex)] : nullptr;
}

QMenu* CMainFrame::GetFavoritesPopup() const
{
    return GetPopup(kFavoritesPopup);
}

bool CMainFrame::OnCmdMsg(UINT nID)
{
    return DispatchCommand<CMainFrame>(this, kCommands, nID);
}

bool CMainFrame::OnUpdateCmdUI(CCmdUI& ui)
{
    return DispatchUpdate<CMainFrame>(this, kCommands, ui);
}

void CMainFrame::changeEvent(QEvent* pEvent)
{
    QMainWindow::changeEvent(pEvent);
    if (pEvent->type() == QEvent::WindowStateChange && m_placementProfile)
        m_placementTimer.start();
}

void CMainFrame::resizeEvent(QResizeEvent* pEvent)
{
    QMainWindow::resizeEvent(pEvent);
    if (m_placementProfile)
        m_placementTimer.start();
}

void CMainFrame::moveEvent(QMoveEvent* pEvent)
{
    QMainWindow::moveEvent(pEvent);
    if (m_bAwaitFrame && frameGeometry().size() != size()) {
        m_bAwaitFrame = false;
        KeepWindowOnScreen(this);
    }
}

void CMainFrame::closeEvent(QCloseEvent* pEvent)
{
    QMainWindow::closeEvent(pEvent);
    if (pEvent->isAccepted()) {
        m_placementTimer.stop();
        SavePlacement();
    }
}

void CMainFrame::OnAppExit()
{
    close();
}

QAction* CMainFrame::CommandAction(UINT nID)
{
    QAction* pAction = m_pRouter->Action(nID, this);
    // The prompt's first half shows in the status bar while the item or button is under the
    // pointer; the second half is the button's tooltip.
    pAction->setStatusTip(ToQString(StatusPrompt(nID)));
    const CString strTip = TooltipText(nID);
    if (!strTip.IsEmpty())
        pAction->setToolTip(ToQString(strTip));
    return pAction;
}

void CMainFrame::CreateMenu()
{
    QMenuBar* pBar = menuBar();
    // The bar stays inside the window, whatever the desktop does with menus: the view sizes the
    // window with the bar in it.
    pBar->setNativeMenuBar(false);
    pBar->setFont(BarFont());
    for (const CPopupDef& popup : MainMenu()) {
        QMenu* pMenu = pBar->addMenu(Utf8(popup.pszText));
        pMenu->setFont(BarFont());
        for (const CMenuItemDef& item : popup.items) {
            if (item.nID == 0) {
                pMenu->addSeparator();
                continue;
            }
            QAction* pAction = CommandAction(item.nID);
            pAction->setText(Utf8(item.pszText));
            pMenu->addAction(pAction);
        }
        m_pRouter->WatchMenu(pMenu);
        m_popups.push_back(pMenu);
    }
}

void CMainFrame::CreateToolBar()
{
    // The top tool bar area plays the rebar: the bar keeps its gripper and can be moved along
    // the top, but not to a side or out of the window, which has no room to give it.
    m_wndToolBar = new QToolBar(this);
    m_wndToolBar->setObjectName(QString::number(IDR_MAINFRAME));
    m_wndToolBar->setMovable(true);
    m_wndToolBar->setFloatable(false);
    m_wndToolBar->setAllowedAreas(Qt::TopToolBarArea);
    m_wndToolBar->setIconSize(QSize(kToolbarImageWidth, kToolbarImageHeight));
    m_wndToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (const CToolbarButtonDef& button : MainToolbar()) {
        if (button.nID == 0) {
            m_wndToolBar->addSeparator();
            continue;
        }
        QAction* pAction = CommandAction(button.nID);
        pAction->setIcon(KeluIcon(button.pszImage));
        // Menus show text only, as the bar's pictures are the toolbar's.
        pAction->setIconVisibleInMenu(false);
        m_wndToolBar->addAction(pAction);
    }
    addToolBar(Qt::TopToolBarArea, m_wndToolBar);
}

void CMainFrame::CreateStatusBar()
{
    m_wndStatusBar = statusBar();
    m_wndStatusBar->setSizeGripEnabled(false);
    m_wndStatusBar->setFont(BarFont());
    m_wndStatusBar->setContentsMargins(2, 0, 2, 0);
    // The message pane: prompts are shown over the idle text, which comes back when the
    // pointer leaves the item or button. The view adds what it has to say of the shown day
    // after it, in the room the pane leaves.
    m_pIdlePane = new QLabel(ToQString(LoadKeluString(AFX_IDS_IDLEMESSAGE)), m_wndStatusBar);
    m_wndStatusBar->addWidget(m_pIdlePane);
    // The lock keys' states cannot be read portably, so the indicators stay greyed, as they
    // show when the key is off.
    for (UINT nID : kIndicators) {
        auto* pPane = new QLabel(ToQString(LoadKeluString(nID)), m_wndStatusBar);
        pPane->setObjectName(QString::number(nID));
        pPane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        pPane->setAlignment(Qt::AlignCenter);
        pPane->setMinimumWidth(pPane->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 8);
        pPane->setEnabled(false);
        m_wndStatusBar->addPermanentWidget(pPane);
        m_indicators.push_back(pPane);
    }
}

void CMainFrame::CreateAccelerators()
{
    std::vector<std::pair<UINT, QList<QKeySequence>>> keys;
    for (const CAccelDef& accel : MainAccelerators()) {
        const QKeySequence seq = QKeySequence::fromString(Utf8(accel.pszKeys), QKeySequence::PortableText);
        auto it = std::find_if(keys.begin(), keys.end(), [&](const auto& k) { return k.first == accel.nID; });
        if (it == keys.end())
            keys.push_back({accel.nID, {seq}});
        else
            it->second.push_back(seq);
    }
    // Window-wide keys: they work wherever the focus is in the frame, unless the focused
    // control takes the key itself (a text field's copy and paste).
    for (const auto& [nID, seqs] : keys) {
        QAction* pAction = CommandAction(nID);
        if (pAction->text().isEmpty())
            pAction->setText(ToQString(TooltipText(nID)));
        pAction->setShortcuts(seqs);
        pAction->setShortcutContext(Qt::WindowShortcut);
        addAction(pAction);
    }
}
