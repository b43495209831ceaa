#include "view/KeluView.h"

#include "model/KeluDoc.h"
#include "platform/Sjis.h"
#include "platform/TextFile.h"
#include "platform/gui/CommandRouter.h"
#include "platform/gui/Fonts.h"
#include "platform/gui/Japanese.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/QtText.h"
#include "platform/gui/Shell.h"
#include "platform/gui/WindowFit.h"
#include "res/Templates.h"
#include "res/resource.h"
#include "view/GridCells.h"
#include "view/HelpWindow.h"
#include "app/Startup.h"
#include "download/DataServer.h"
#include "favorites/FavoritesMenu.h"
#include "view/DownloadRun.h"
#include "view/TabCtrl.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QFrame>
#include <QVBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QStatusBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QSignalBlocker>

#include <filesystem>

namespace {

// The frame's size at the usual 96 pixels per inch, and above it.
constexpr QSize kFrameSize(690, 470);
constexpr QSize kLargeFrameSize(840, 570);
constexpr int kUsualDpi = 96;
constexpr const char* kHelpPage = "help/index.html";
// The resolution the larger frame and its placements are drawn for.
constexpr int kLargeDpi = 120;

// Above 96 pixels per inch the title lines and the grids get more room than the form's
// dialog units give them: their client areas' top-left corners in the view (pixels) and how
// much wider and taller they get.
struct CPlacement {
    int nID;
    int x, y;
    int nGrowX, nGrowY;
};
const CPlacement kLargePlacements[] = {
    {IDC_TITLE_VENUE, 189, 10, 54, 0},
    {IDC_TITLE_RACE, 189, 44, 54, 0},
    {IDC_GRID_PROGRAM, 189, 82, 56, -3},
    {IDC_GRID_LOWER, 191, 265, 52, -3},
    {IDC_TAB, 187, 255, 52, -3},
};

// The title lines' font: 12 pixels of the fixed-pitch Gothic.
constexpr int kTitlePixels = 12;
constexpr int kDialogPoints = 9;

int VenueButtonId(int nVenue)
{
    return nVenue == 1 ? IDC_VENUE1 : IDC_VENUE1 + nVenue;
}

int RaceButtonId(int nRace)
{
    return nRace == 1 ? IDC_RACE1 : IDC_RACE1 + 1 + nRace;
}

// The form gives the lists and the date picker the room of the common controls, whose drop-down
// button is narrow; with the desktop's wider button "2026/12/07" and "12# 住之江 " would be cut.
class CCompactDropDownStyle : public QProxyStyle {
public:
    // On top of the style the program runs with, not the desktop's default. The button grows
    // with the form, whose scale fnScale gives.
    explicit CCompactDropDownStyle(std::function<double()> fnScale)
        : QProxyStyle(QApplication::style()->name())
        , m_fnScale(std::move(fnScale))
    {
    }

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* pOption, SubControl sub,
                         const QWidget* pWidget) const override
    {
        const QRect rect = QProxyStyle::subControlRect(control, pOption, sub, pWidget);
        const QRect frame = pOption->rect;
        const int nArrowLeft = frame.right() - static_cast<int>(kArrowWidth * m_fnScale() + 0.5);
        // The date picker paints as a drop-down list but lays out its text as a spin box.
        const bool bEditField = (control == CC_ComboBox && sub == SC_ComboBoxEditField) ||
                                (control == CC_SpinBox && sub == SC_SpinBoxEditField);
        if (bEditField)
            return QRect(frame.left() + kEdge, rect.top(), nArrowLeft - frame.left() - kEdge, rect.height());
        if (control == CC_ComboBox && sub == SC_ComboBoxArrow)
            return QRect(nArrowLeft, rect.top(), frame.right() - nArrowLeft + 1, rect.height());
        return rect;
    }

private:
    static constexpr int kArrowWidth = 13;
    static constexpr int kEdge = 2;
    std::function<double()> m_fnScale;
};

// Above 96 pixels per inch the form keeps the proportions it has at 96: its dialog units grow
// with the resolution rather than with the width of the letters, so that the larger frame and
// the placements of the set-up still hold it.
CDialogUnits FormUnitsAt(int nDpiX, int nDpiY)
{
    QFont font = DialogFont(kKeluFormTemplate);
    font.setPixelSize((kKeluFormTemplate.nPointSize * kUsualDpi + 36) / 72);
    const CDialogUnits usual(font);
    return CDialogUnits(usual.BaseX() * nDpiX / kUsualDpi, usual.BaseY() * nDpiY / kUsualDpi);
}

CDialogUnits FormUnits(const QWidget& view)
{
    if (view.logicalDpiX() <= kUsualDpi)
        return CDialogUnits(DialogFont(kKeluFormTemplate));
    return FormUnitsAt(view.logicalDpiX(), view.logicalDpiY());
}

} // namespace

const CommandEntry<CKeluView> CKeluView::kCommands[] = {
    {ID_FILE_DOWNLOAD_TODAY, &CKeluView::OnDownloadToday},
    {ID_FILE_DOWNLOAD_WEEK, &CKeluView::OnDownloadWeek},
    {ID_FILE_DOWNLOAD_PERIOD, &CKeluView::OnDownloadPeriod},
    {ID_FILE_SETTINGS, &CKeluView::OnFileSettings},
    {ID_FAVORITE_RACER_RECORD, &CKeluView::OnRacerRecord},
    {ID_FILE_UPDATE_HISTORY, &CKeluView::OnUpdateHistory},
    {ID_FILE_PRINT_ALL, &CKeluView::OnFilePrintAll, &CKeluView::OnUpdateNeedsVenue},
    {ID_FILE_PRINT_RACE, &CKeluView::OnFilePrintRace, &CKeluView::OnUpdateNeedsVenue},
    {ID_FILE_PREVIEW_ALL, &CKeluView::OnFilePreviewAll, &CKeluView::OnUpdateNeedsVenue},
    {ID_FILE_PREVIEW_RACE, &CKeluView::OnFilePreviewRace, &CKeluView::OnUpdateNeedsVenue},
    {ID_FILE_PRINT, &CKeluView::OnFilePrint},
    {ID_FILE_PRINT_DIRECT, &CKeluView::OnFilePrint},
    {ID_FILE_PRINT_PREVIEW, &CKeluView::OnFilePrintPreview},
    {ID_FAVORITE_ADD, &CKeluView::OnFavoriteAdd, &CKeluView::RebuildFavoritesMenu},
    {ID_FAVORITE_ORGANIZE, &CKeluView::OnFavoriteOrganize},
    {IDHELP, &CKeluView::OnHelp},
    {ID_VIEW_ZOOM_IN, &CKeluView::OnZoomIn, &CKeluView::OnUpdateZoomIn},
    {ID_VIEW_ZOOM_OUT, &CKeluView::OnZoomOut, &CKeluView::OnUpdateZoomOut},
    {ID_VIEW_ZOOM_RESET, &CKeluView::OnZoomReset, &CKeluView::OnUpdateZoomReset},
};

CKeluView::CKeluView(CKeluDoc* pDoc, CCommandRouter* pRouter, QWidget* pParent)
    : QWidget(pParent)
    , m_dateShown(CTime::GetCurrentTime())
    , m_pDocument(pDoc)
    , m_pRouter(pRouter)
    , m_units(FormUnits(*this))
{
    m_controls = BuildDialogItems(this, kKeluFormTemplate,
                                  [this](const CDlgItem& item, QWidget* pParent) { return CreateCustomControl(item, pParent); });
    m_fontForm = font();
    MeasureStandardLayout();
    LayOutForm();
    m_tab = static_cast<CTabCtrl*>(GetDlgItem(IDC_TAB));
    m_gridProgram = static_cast<CMSFlexGrid*>(GetDlgItem(IDC_GRID_PROGRAM));
    m_gridLower = static_cast<CMSFlexGrid*>(GetDlgItem(IDC_GRID_LOWER));
    m_staticVenue = qobject_cast<QLabel*>(GetDlgItem(IDC_TITLE_VENUE));
    m_staticRace = qobject_cast<QLabel*>(GetDlgItem(IDC_TITLE_RACE));
    m_date = qobject_cast<QDateEdit*>(GetDlgItem(IDC_DATE));
    m_listRace = qobject_cast<QComboBox*>(GetDlgItem(IDC_RACE_LIST));
    m_listVenue = qobject_cast<QComboBox*>(GetDlgItem(IDC_VENUE_LIST));
    for (int v = 1; v <= kVenueCount; ++v)
        m_pVenueButton[v - 1] = qobject_cast<QPushButton*>(GetDlgItem(VenueButtonId(v)));
    for (int r = 1; r <= kRaceCount; ++r)
        m_pRaceButton[r - 1] = qobject_cast<QPushButton*>(GetDlgItem(RaceButtonId(r)));
    if (m_pRouter)
        m_pFavoritesMenu = std::make_unique<CFavoritesMenu>(*m_pRouter);
    UseCompactDropDowns();
    ConnectControls();
    WatchCalendar();
    MakeFormHint();
}

CKeluView::~CKeluView()
{
    // A download still running is stopped, and its worker waited for, while the view it
    // reports to still stands.
    m_pDownloadRun.reset();
    delete m_pHelpWindow;
    // The calendar popup is a window of its own that the date picker deletes after us.
    if (m_pCalendarPopup)
        m_pCalendarPopup->removeEventFilter(this);
}

void CKeluView::MeasureStandardLayout()
{
    for (const CDlgItem& item : kKeluFormTemplate.items) {
        QRect rect = m_units.ToPixels(item.x, item.y, item.cx, item.cy);
        // A drop-down list's height in the form includes its open list: the closed box is as
        // tall as it was made.
        if (item.kind == DlgKind::DropList)
            rect.setHeight(GetDlgItem(item.nID)->height());
        m_standardRects[item.nID] = rect;
    }
    if (logicalDpiX() <= kUsualDpi)
        return;
    // Sizes come from the form, not from the controls as they stand, so that a second set-up
    // (the new-document command) places them the same way.
    for (const CPlacement& p : kLargePlacements) {
        const auto* pFrame = qobject_cast<QFrame*>(GetDlgItem(p.nID));
        const int nBorder = pFrame ? pFrame->frameWidth() : 0;
        const QRect rect = m_standardRects[p.nID];
        m_standardRects[p.nID] =
            QRect(ScaledFromLarge(p.x, true) - nBorder, ScaledFromLarge(p.y, false) - nBorder,
                  rect.width() + ScaledFromLarge(p.nGrowX, true), rect.height() + ScaledFromLarge(p.nGrowY, false));
    }
}

void CKeluView::LayOutForm()
{
    for (const auto& [nID, rect] : m_standardRects)
        GetDlgItem(nID)->setGeometry(m_scale.Rect(rect));
    // The hint takes the room of the grids and the tabs, which have nothing to show meanwhile.
    if (m_pFormHint)
        m_pFormHint->setGeometry(
            m_scale.Rect(m_standardRects[IDC_GRID_PROGRAM].united(m_standardRects[IDC_TAB])));
}

void CKeluView::MakeFormHint()
{
    m_pFormHint = new QFrame(this);
    m_pFormHint->setFrameShape(QFrame::StyledPanel);
    m_pFormHint->setAutoFillBackground(true);
    QPalette palette = m_pFormHint->palette();
    palette.setColor(QPalette::Window, Qt::white);
    m_pFormHint->setPalette(palette);
    m_pFormHintText = new QLabel;
    m_pFormHintText->setTextFormat(Qt::PlainText);
    m_pFormHintText->setWordWrap(true);
    m_pFormHintText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_pFormHintSettings = new QPushButton(Utf8("設定を開く"));
    connect(m_pFormHintSettings, &QPushButton::clicked, this, [this] { EditSettings(CString()); });
    auto* pColumn = new QVBoxLayout(m_pFormHint);
    pColumn->addWidget(m_pFormHintText);
    pColumn->addWidget(m_pFormHintSettings, 0, Qt::AlignLeft);
    pColumn->addStretch(1);
    m_pFormHint->hide();
    LayOutForm();
}

void CKeluView::ShowFormHint(bool bNoProgram)
{
    // A day file that is there but holds no venue is told of in the status bar alone.
    QString text;
    bool bSettings = false;
    if (bNoProgram) {
        text = Utf8("%1 の番組表がありません。ﾌｧｲﾙ → 番組と結果のﾀﾞｳﾝﾛｰﾄﾞ (当日分) で取得できます。"
                    "ほかの日は、上の日付で選べます。")
                   .arg(ToQString(m_dateShown.Format("%Y/%m/%d")));
        bSettings = IsPlaceholderServer(ReadDataServer(OpenKeluProfile()));
        if (bSettings)
            text += Utf8("\n\nその前に、データのサーバーのアドレスを 設定 で入れてください。"
                         "今の設定は見本のアドレスのままで、どこにもつながりません。");
    }
    m_pFormHintText->setText(text);
    m_pFormHintText->setAccessibleName(text);
    m_pFormHintSettings->setVisible(bSettings);
    m_pFormHint->setVisible(!text.isEmpty());
    if (!text.isEmpty())
        m_pFormHint->raise();
}

QWidget* CKeluView::CreateCustomControl(const CDlgItem& item, QWidget* pParent)
{
    if (item.nID == IDC_TAB)
        return new CTabCtrl(pParent);
    return new CMSFlexGrid(pParent);
}

QWidget* CKeluView::GetDlgItem(int nID) const
{
    auto it = m_controls.find(nID);
    return it == m_controls.end() ? nullptr : it->second;
}

void CKeluView::ConnectControls()
{
    // The buttons of the chosen venue and race stay pressed; a click toggles a checkable
    // button by itself, so the buttons are set again from the choice after every click.
    for (int v = 1; v <= kVenueCount; ++v) {
        m_pVenueButton[v - 1]->setCheckable(true);
        connect(m_pVenueButton[v - 1], &QPushButton::clicked, this, [this, v] {
            SelectVenue(v);
            ShowChoiceOnButtons();
        });
    }
    for (int r = 1; r <= kRaceCount; ++r) {
        m_pRaceButton[r - 1]->setCheckable(true);
        connect(m_pRaceButton[r - 1], &QPushButton::clicked, this, [this, r] {
            SelectRace(r);
            ShowChoiceOnButtons();
        });
    }
    // Only the user's choices notify, as with the common controls: the view's own changes of
    // the lists are silent.
    connect(m_listVenue, &QComboBox::activated, this, [this] { OnVenueListChange(); });
    connect(m_listRace, &QComboBox::activated, this, [this] { OnRaceListChange(); });
    connect(m_date, &QDateEdit::dateChanged, this, [this] { OnDateChange(); });
    connect(qobject_cast<QPushButton*>(GetDlgItem(IDC_PREV_DAY)), &QPushButton::clicked, this, [this] { StepDay(-1); });
    connect(qobject_cast<QPushButton*>(GetDlgItem(IDC_NEXT_DAY)), &QPushButton::clicked, this, [this] { StepDay(+1); });
    m_tab->SetSelChangeHandler([this] { ShowLowerPage(); });
    // A racer's row, with the right mouse button or a double click: add him to the watched.
    for (CMSFlexGrid* pGrid : {m_gridProgram, m_gridLower}) {
        pGrid->SetRowMenuHandler([this, pGrid](int nRow, const QPoint& pos) { OnRowMenu(*pGrid, nRow, pos); });
        pGrid->SetRowDoubleClickHandler([this, pGrid](int nRow) { OnRowDoubleClick(*pGrid, nRow); });
    }
}

void CKeluView::UseCompactDropDowns()
{
    auto* pStyle = new CCompactDropDownStyle([this] { return m_scale.Factor(); });
    pStyle->setParent(this);
    for (QWidget* pControl : {static_cast<QWidget*>(m_date), static_cast<QWidget*>(m_listVenue),
                              static_cast<QWidget*>(m_listRace)})
        pControl->setStyle(pStyle);
    // The proportional face sets digits wider than the form was drawn for; the fixed-pitch
    // Gothic's half-width digits let the whole date show.
    m_date->setFont(KeluFont(kFaceGothic, kDialogPoints));
    // A Japanese calendar whatever the desktop's language: weeks from Sunday, 日 to 土, no week
    // numbers, as the date pickers of this country show it.
    UseJapaneseLocale(m_date);
}

void CKeluView::SetUpCalendar(QWidget* pPopup)
{
    m_pCalendarPopup = pPopup;
    pPopup->installEventFilter(this);
    UseJapaneseCalendar(m_date->calendarWidget());
}

void CKeluView::WatchCalendar()
{
    // The date picker makes its calendar, a popup window that is its child, only when it first
    // drops down (or is asked for it): made with the form, it was some 6% of the work before the
    // window's first paint. The popup is set up when it is polished, before it first shows.
    m_date->installEventFilter(this);
    m_pDateField = m_date->findChild<QLineEdit*>();
    if (m_pDateField)
        m_pDateField->installEventFilter(this);
}

bool CKeluView::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    // A click into the date puts a text cursor there, and a digit typed at a cursor inside a
    // full field is refused; the clicked field is selected instead, so that typing replaces it.
    if (pWatched == m_pDateField) {
        if (pEvent->type() == QEvent::MouseButtonRelease && !m_pDateField->hasSelectedText())
            m_date->setSelectedSection(m_date->currentSection());
        return QWidget::eventFilter(pWatched, pEvent);
    }
    if (pWatched == m_date) {
        if (pEvent->type() == QEvent::ChildPolished && !m_pCalendarPopup) {
            auto* pChild = qobject_cast<QWidget*>(static_cast<QChildEvent*>(pEvent)->child());
            if (pChild && pChild->isWindow())
                SetUpCalendar(pChild);
        }
        return QWidget::eventFilter(pWatched, pEvent);
    }
    // While the calendar is down the user browses; the day is loaded once, when it closes.
    if (pEvent->type() == QEvent::Show) {
        m_bCalendarOpen = true;
    } else if (pEvent->type() == QEvent::Hide && m_bCalendarOpen) {
        LoadShownDay();
        m_bCalendarOpen = false;
    }
    return QWidget::eventFilter(pWatched, pEvent);
}

void CKeluView::OnDateChange()
{
    if (!m_bCalendarOpen)
        LoadShownDay();
}

void CKeluView::UpdateData(bool bSaveAndValidate)
{
    if (bSaveAndValidate) {
        const QDate date = m_date->date();
        m_dateShown = CTime(date.year(), date.month(), date.day(), m_dateShown.GetHour(), m_dateShown.GetMinute(),
                            m_dateShown.GetSecond());
        return;
    }
    const QSignalBlocker quiet(m_date);
    m_date->setDate(QDate(m_dateShown.GetYear(), m_dateShown.GetMonth(), m_dateShown.GetDay()));
}

// --- Set-up -----------------------------------------------------------------------------------

void CKeluView::OnInitialUpdate()
{
    UpdateData(false);
    SizeFrame();
    SetUpTitles();
    NameButtons();
    GetDocument()->ClearSelection();
    GetDocument()->SetSelection(0, 1);
    m_bCalendarOpen = false;
    m_listRace->setCurrentIndex(0);
    SetUpProgramGrid();
    ShowDetailPage();
    SetUpTabs();
    LoadShownDay();
}

void CKeluView::SizeFrame()
{
    // The standard size is the smallest: the user makes the window larger, never smaller. Only
    // the first set-up sizes it; a later one (the new-document command) keeps the user's size.
    const bool bFirst = m_sizeStandardFrame.isEmpty();
    m_sizeStandardFrame = logicalDpiX() <= kUsualDpi ? kFrameSize
                                                     : QSize(ScaledFromLarge(kLargeFrameSize.width(), true),
                                                             ScaledFromLarge(kLargeFrameSize.height(), false));
    window()->setMinimumSize(m_sizeStandardFrame);
    if (bFirst)
        window()->resize(m_sizeStandardFrame);
}

int CKeluView::ScaledFromLarge(int nPixels, bool bHorizontal) const
{
    // The larger frame and its placements are drawn for the form's units at 120 dpi; above it
    // the units keep growing, and the frame and placements grow with them, or the buttons would
    // run into the grids and the grids out of the frame.
    static const CDialogUnits large = FormUnitsAt(kLargeDpi, kLargeDpi);
    const int nNow = bHorizontal ? m_units.BaseX() : m_units.BaseY();
    const int nLarge = bHorizontal ? large.BaseX() : large.BaseY();
    if (nNow <= nLarge)
        return nPixels;
    return (nPixels * nNow + nLarge / 2) / nLarge;
}

// --- Size and zoom -----------------------------------------------------------------------------

QSize CKeluView::FrameChrome() const
{
    return window()->size() - size();
}

QSize CKeluView::StandardViewSize() const
{
    return m_sizeStandardFrame - FrameChrome();
}

void CKeluView::resizeEvent(QResizeEvent* pEvent)
{
    QWidget::resizeEvent(pEvent);
    // Until the set-up has sized the frame, the form stays as it was made.
    if (!m_sizeStandardFrame.isEmpty())
        ScaleToFit();
}

void CKeluView::ScaleToFit()
{
    const QSize standard = StandardViewSize();
    const double dFactor = CFormScale::FitFactor(size(), standard);
    const QSize form = CFormScale(dFactor, QPoint()).Size(standard);
    // The spare room of a window wider or taller than the form's proportions goes to both sides.
    const QPoint origin(std::max(0, (width() - form.width()) / 2), std::max(0, (height() - form.height()) / 2));
    ApplyScale(CFormScale(dFactor, origin));
}

void CKeluView::ApplyScale(const CFormScale& scale)
{
    const bool bNewFactor = scale.Factor() != m_scale.Factor();
    m_scale = scale;
    if (bNewFactor) {
        setFont(m_scale.Font(m_fontForm));
        m_date->setFont(m_scale.Font(KeluFont(kFaceGothic, kDialogPoints)));
        for (QLabel* pTitle : {m_staticVenue, m_staticRace})
            pTitle->setFont(m_scale.Font(m_fontTitle));
        m_gridProgram->SetScale(m_scale.Factor());
        m_gridLower->SetScale(m_scale.Factor());
    }
    LayOutForm();
}

double CKeluView::LargestScale() const
{
    const QWidget* pFrame = window();
    const QScreen* pScreen = pFrame->screen();
    if (!pScreen)
        return 1.0;
    // The window manager's title bar and borders take their part of the screen too.
    const QSize decoration = pFrame->frameGeometry().size() - pFrame->size();
    return CFormScale::FitFactor(pScreen->availableGeometry().size() - decoration - FrameChrome(), StandardViewSize());
}

void CKeluView::ZoomTo(double dFactor)
{
    QWidget* pFrame = window();
    const double dScale = std::clamp(dFactor, 1.0, LargestScale());
    const QSize size = FrameChrome() + CFormScale(dScale, QPoint()).Size(StandardViewSize());
    if (pFrame->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
        pFrame->showNormal();
    pFrame->resize(size);
    // A window that grew over the screen's edge moves back onto it.
    KeepWindowOnScreen(pFrame);
}

void CKeluView::OnZoomIn()
{
    ZoomTo(CFormScale::StepAbove(m_scale.Factor()));
}

void CKeluView::OnZoomOut()
{
    ZoomTo(CFormScale::StepBelow(m_scale.Factor()));
}

void CKeluView::OnZoomReset()
{
    ZoomTo(1.0);
}

void CKeluView::OnUpdateZoomIn(CCmdUI& ui)
{
    ui.Enable(LargestScale() > m_scale.Factor() + CFormScale::kStepSlack);
}

void CKeluView::OnUpdateZoomOut(CCmdUI& ui)
{
    ui.Enable(m_scale.Factor() > 1.0 + CFormScale::kStepSlack || window()->isMaximized());
}

void CKeluView::OnUpdateZoomReset(CCmdUI& ui)
{
    ui.Enable(window()->size() != m_sizeStandardFrame || window()->isMaximized());
}

void CKeluView::SetUpTitles()
{
    m_fontTitle = KeluFont(kFaceGothic, kDialogPoints);
    m_fontTitle.setPixelSize(kTitlePixels);
    for (QLabel* pTitle : {m_staticVenue, m_staticRace}) {
        pTitle->setFont(m_scale.Font(m_fontTitle));
        // Static controls of the form are drawn opaque on the heading grey.
        pTitle->setAutoFillBackground(true);
        QPalette palette = pTitle->palette();
        palette.setColor(QPalette::Window, QColor(0xEE, 0xEE, 0xEE));
        pTitle->setPalette(palette);
    }
}

void CKeluView::NameButtons()
{
    for (int v = 1; v <= kVenueCount; ++v)
        m_pVenueButton[v - 1]->setText(ToQString(CKeluDoc::GetVenueName(v)));
    for (int r = 1; r <= kRaceCount; ++r)
        m_pRaceButton[r - 1]->setText(ToQString(CString::Formatted("%d R", r)));
}

void CKeluView::SetUpTabs()
{
    m_tab->DeleteAllItems();
    m_tab->InsertItem(0, Utf8("詳 細"));
    m_tab->InsertItem(1, Utf8("結 果"));
    m_tab->InsertItem(kForecastPage, Utf8("予 測"));
    m_tab->SetCurSel(0);
}

// --- The day, the venue and the race ---------------------------------------------------------

void CKeluView::LoadShownDay()
{
    UpdateData(true);
    CKeluDoc* pDoc = GetDocument();
    pDoc->LoadDay(m_dateShown);
    // The day's word in the status bar follows with the race shown below.
    const int nKeep = FillVenueList();
    // A venue that does not race on the new day is chosen no more: the list shows none, and the
    // commands and the race buttons must not act on a venue the user cannot see. The race stays.
    const bool bDropped = nKeep == 0 && pDoc->GetVenue() != 0;
    if (bDropped) {
        const int nRace = pDoc->GetRace();
        pDoc->ClearSelection();
        pDoc->SetSelection(0, nRace);
    }
    // A chosen venue that races again is chosen anew, which also puts the focus on the races.
    pDoc->SetSelection(nKeep, 0);
    if (nKeep != 0)
        SelectVenue(nKeep);
    ShowRace();
    // Without a venue the race is not shown: the grids, still showing the dropped venue's race,
    // are emptied.
    if (bDropped)
        ShowProgramGrid();
    m_bMenuStale = true;
}

int CKeluView::FillVenueList()
{
    const CKeluDoc* pDoc = GetDocument();
    const QSignalBlocker quiet(m_listVenue);
    m_listVenue->clear();
    int nKeep = 0;
    for (int v = 1; v <= kVenueCount; ++v) {
        const bool bRaces = pDoc->HasRace(v, 1);
        m_pVenueButton[v - 1]->setEnabled(bRaces);
        if (!bRaces)
            continue;
        const CString strItem = CString::Formatted("%02d# %s ", v, CKeluDoc::GetVenueName(v).GetString());
        m_listVenue->addItem(ToQString(strItem), v);
        if (v == pDoc->GetVenue())
            nKeep = v;
    }
    // Until a venue is chosen the list shows no selection.
    m_listVenue->setCurrentIndex(-1);
    return nKeep;
}

void CKeluView::ShowRace()
{
    CKeluDoc* pDoc = GetDocument();
    const int v = pDoc->GetVenue();
    const int r = pDoc->GetRace();
    ShowChoiceOnButtons();
    ShowDayStatus();
    ShowStatus(CString());
    m_gridProgram->MarkRow(-1);
    if (v == 0 || r == 0) {
        m_staticVenue->clear();
        m_staticRace->clear();
        return;
    }
    if (pDoc->HasRace(v, r)) {
        const CString strVenue = CString::Formatted(" %s %s", CKeluDoc::GetVenueName(v).GetString(),
                                                    pDoc->GetVenueTitle().GetString());
        m_staticVenue->setText(ToQString(strVenue));
        m_staticRace->setText(ToQString(pDoc->GetRaceTitle()));
    } else {
        m_staticVenue->clear();
        m_staticRace->clear();
        // Empty grids under a chosen race would leave the user guessing.
        if (m_listVenue->currentIndex() >= 0)
            ShowStatus(Sjis("このレースの番組はありません"));
    }
    ShowProgramGrid();
}

void CKeluView::ShowChoiceOnButtons()
{
    // The venue the list shows as chosen (none on a day it does not race) and the race of the
    // race list.
    const int nVenue = m_listVenue->currentIndex() >= 0 ? m_listVenue->currentData().toInt() : 0;
    const int nRace = m_listRace->currentIndex() + 1;
    for (int v = 1; v <= kVenueCount; ++v)
        m_pVenueButton[v - 1]->setChecked(v == nVenue);
    for (int r = 1; r <= kRaceCount; ++r)
        m_pRaceButton[r - 1]->setChecked(nVenue != 0 && r == nRace);
}

void CKeluView::ShowStatus(const CString& strText)
{
    auto* pFrame = qobject_cast<QMainWindow*>(window());
    if (!pFrame)
        return;
    if (!strText.IsEmpty())
        pFrame->statusBar()->showMessage(ToQString(strText));
    else if (pFrame->statusBar()->currentMessage() == ToQString(m_strStatus))
        pFrame->statusBar()->clearMessage();
    m_strStatus = strText;
}

void CKeluView::ShowDayStatus()
{
    // A day without a program file: the form tells the whole way to it, the status bar in short.
    std::error_code ec;
    const bool bNoProgram =
        m_listVenue->count() == 0 && !std::filesystem::exists(CKeluDoc::ProgramFileName(m_dateShown).Str(), ec);
    ShowFormHint(bNoProgram);
    auto* pFrame = qobject_cast<QMainWindow*>(window());
    if (!pFrame)
        return;
    if (!m_pDayStatus) {
        // A widget of the status bar rather than a message: a menu's prompt covers it only while
        // the pointer rests on the menu, and it comes back after.
        m_pDayStatus = new QLabel(pFrame->statusBar());
        m_pDayStatus->setTextFormat(Qt::PlainText);
        pFrame->statusBar()->addWidget(m_pDayStatus, 1);
    }
    const CKeluDoc* pDoc = GetDocument();
    CString strText = ReadStopText(pDoc->m_readStop);
    if (strText.IsEmpty() && bNoProgram)
        strText = Sjis("この日の番組表がありません。ﾌｧｲﾙ → 番組と結果のﾀﾞｳﾝﾛｰﾄﾞ (当日分) で取得できます。");
    // A day read afresh, after a download or at start, shows no venue until one is chosen.
    if (strText.IsEmpty() && m_listVenue->count() > 0 && pDoc->GetVenue() == 0)
        strText = Sjis("レース場を選んでください。左のレース場のボタンか、上の一覧から選べます。");
    m_pDayStatus->setText(ToQString(strText));
    m_pDayStatus->setAccessibleName(m_pDayStatus->text());
}

void CKeluView::SelectVenue(int nVenue)
{
    const int nItem = m_listVenue->findData(nVenue);
    if (nItem < 0)
        return;
    GetDocument()->SetSelection(nVenue, 0);
    {
        const QSignalBlocker quiet(m_listVenue);
        m_listVenue->setCurrentIndex(nItem);
    }
    OnVenueListChange();
    // The arrow keys step through the races next.
    m_listRace->setFocus();
}

void CKeluView::SelectRace(int nRace)
{
    if (GetDocument()->GetVenue() == 0) {
        KeluMessageBox(this, Sjis("レース場を選択してください"), Sjis("操作ガイド"), MB_OK | MB_ICONINFORMATION);
        return;
    }
    GetDocument()->SetSelection(0, nRace);
    {
        const QSignalBlocker quiet(m_listRace);
        m_listRace->setCurrentIndex(nRace - 1);
    }
    OnRaceListChange();
    m_listRace->setFocus();
}

void CKeluView::OnRaceListChange()
{
    GetDocument()->SetSelection(0, m_listRace->currentIndex() + 1);
    ShowRace();
}

void CKeluView::OnVenueListChange()
{
    // With no current item the selection stays as it is (venue 0 changes nothing).
    if (m_listVenue->count() > 0)
        GetDocument()->SetSelection(m_listVenue->currentData().toInt(), 0);
    ShowRace();
}

void CKeluView::StepDay(int nDays)
{
    UpdateData(true);
    // Calendar days: a step over a change of the clocks still lands on the next date.
    m_dateShown = m_dateShown.AddDays(nDays);
    UpdateData(false);
    LoadShownDay();
}

void CKeluView::ShowLowerPage()
{
    // The note beside the tabs is the forecast page's.
    if (m_tab->GetCurSel() != kForecastPage)
        m_tab->SetNote(QString());
    switch (m_tab->GetCurSel()) {
    case 0:
        ShowDetailPage();
        break;
    case 1:
        ShowResultPage();
        break;
    case kForecastPage:
        ShowForecastPage();
        break;
    default:
        break;
    }
}

// --- Commands ---------------------------------------------------------------------------------

bool CKeluView::OnCmdMsg(UINT nID)
{
    // The watched-racer menu's items, whatever racer their id stands for.
    if ((nID >= ID_FAVORITE_FIRST && nID <= ID_FAVORITE_LAST) ||
        (nID >= ID_FAVORITE_RECORD_FIRST && nID <= ID_FAVORITE_RECORD_LAST)) {
        OnFavoriteCommand(nID);
        return true;
    }
    return DispatchCommand(this, kCommands, nID);
}

bool CKeluView::OnUpdateCmdUI(CCmdUI& ui)
{
    if (OnUpdateWhileDownloading(ui))
        return true;
    if ((ui.m_nID >= ID_FAVORITE_FIRST && ui.m_nID <= ID_FAVORITE_LAST) ||
        (ui.m_nID >= ID_FAVORITE_RECORD_FIRST && ui.m_nID <= ID_FAVORITE_RECORD_LAST))
        return true;
    return DispatchUpdate(this, kCommands, ui);
}

void CKeluView::OnUpdateNeedsVenue(CCmdUI& ui)
{
    ui.Enable(GetDocument()->GetVenue() != 0);
}

// The four print commands choose the races and hand over to the print or preview command.
void CKeluView::SendPrintCommand(bool bAll, UINT nCommand)
{
    m_bPrintAll = bAll;
    if (m_pRouter)
        m_pRouter->Execute(nCommand);
}

void CKeluView::OnFilePrintAll()
{
    SendPrintCommand(true, ID_FILE_PRINT);
}

void CKeluView::OnFilePrintRace()
{
    SendPrintCommand(false, ID_FILE_PRINT);
}

void CKeluView::OnFilePreviewAll()
{
    SendPrintCommand(true, ID_FILE_PRINT_PREVIEW);
}

void CKeluView::OnFilePreviewRace()
{
    SendPrintCommand(false, ID_FILE_PRINT_PREVIEW);
}

// Printing and its preview themselves are in print/ViewPrinting.cpp.

void CKeluView::OnHelp()
{
    // Without a browser the page opens in a window of ours: help must always open.
    QPointer<CKeluView> self(this);
    if (!ShellOpen(kHelpPage, [self] {
            if (self)
                self->ShowHelpWindow();
        }))
        ShowHelpWindow();
}

void CKeluView::ShowHelpWindow()
{
    if (!m_pHelpWindow) {
        m_pHelpWindow = new CHelpWindow(ToQString(DiskPath(kHelpPage)));
        PlaceOnScreen(m_pHelpWindow, window());
    }
    m_pHelpWindow->show();
    m_pHelpWindow->raise();
    m_pHelpWindow->activateWindow();
}
