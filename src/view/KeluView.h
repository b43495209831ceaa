#pragma once
// The race view: one race of one day on the form of template 101. The user picks the day with
// the date picker or the day-step buttons, the venue with its list or one of 24 buttons, the
// race with its list or one of 12 buttons; the view has the document load the day and shows
// the chosen race in two title lines, the program grid and the lower grid, whose page (details
// or results) the tab control chooses.

#include "history/ForecastRow.h"
#include "platform/String.h"
#include "platform/Time.h"
#include "platform/gui/CmdTarget.h"
#include "platform/gui/DialogTemplate.h"
#include "view/FormScale.h"
#include "view/MSFlexGrid.h"

#include <QFont>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <map>
#include <vector>
#include <memory>
#include <optional>
#include <string>

class CKeluDoc;
class CCommandRouter;
class CDC;
struct CPrintInfo;
class QPrinter;
class CDownloadRun;
class CDownloadDlg;
struct CDownloadOutcome;
struct CKeluNet;
class CTabCtrl;
class CFavoritesMenu;
class CHistoryService;
class CHelpWindow;
class QAction;
class QComboBox;
class QDateEdit;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

class CKeluView : public QWidget, public CCmdTarget {
public:
    static constexpr int kVenueCount = 24;
    static constexpr int kRaceCount = 12;
    // Racers of the watched-racer menu, one per line of the list file.
    static constexpr int kFavoriteCount = 256;

    // The view shows pDoc; commands it sends on (print, preview) go through pRouter.
    CKeluView(CKeluDoc* pDoc, CCommandRouter* pRouter, QWidget* pParent);
    ~CKeluView() override;

    CKeluDoc* GetDocument() const { return m_pDocument; }
    // The set-up: runs once after creation and again on every new-document command.
    void OnInitialUpdate();
    // A control of the form by its id (res/resource.h).
    QWidget* GetDlgItem(int nID) const;

    // Loads the day of the date picker and offers the venues that race on it.
    virtual void LoadShownDay();
    // The titles and both grids for the document's venue and race.
    void ShowRace();
    void SelectVenue(int nVenue);
    void SelectRace(int nRace);
    void OnRaceListChange();
    void OnVenueListChange();
    // Moves the chosen day by whole calendar days and loads it.
    void StepDay(int nDays);
    // Renders the lower grid's page that the tab control shows.
    void ShowLowerPage();

    // The pages of the grids (view/ProgramPages.cpp, view/ResultPage.cpp).
    void ShowProgramGrid();
    void ShowDetailPage();
    void ShowResultPage();
    // The forecast page (view/ForecastPage.cpp): what the history store keeps for the race, read
    // off the window thread; the page fills in when the answer comes.
    void ShowForecastPage();
    static constexpr int kForecastPage = 2;
    // The background of a finishing-order cell: red for a boat that flew, started late or was
    // absent (status F, L, K), else the colour of the boat.
    static COLORREF FinishCellColor(const CString& strBoat, const CString& strStatus);
    static COLORREF BoatColor(int nBoat);

    // Printing and its preview (print/ViewPrinting.cpp). The three steps of a job, in order:
    // once before it (false: no job), once when it starts, then once per page.
    virtual bool OnPreparePrinting(CPrintInfo* pInfo);
    virtual void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo);
    virtual void OnPrint(CDC* pDC, CPrintInfo* pInfo);
    // The printer that printing and the preview use: the application's, which printer set-up
    // adjusts, given as a function because it is made on first use. Without one the view
    // keeps a printer of its own.
    void SetPrinterSource(std::function<QPrinter*()> fnPrinter, int nPreviewPages = 0);
    QPrinter* GetPrinter();

    bool OnCmdMsg(UINT nID) override;
    bool OnUpdateCmdUI(CCmdUI& ui) override;
    // The form's size as a multiple of its standard size: the window's size decides it.
    double GetScale() const { return m_scale.Factor(); }
    // Resizes the window so that the form shows at dFactor times its standard size, or as
    // near to it as the screen allows; 1 is the standard size.
    void ZoomTo(double dFactor);
    // True while a download runs (view/KeluViewDownload.cpp).
    bool IsDownloading() const { return m_pDownloadRun != nullptr || m_bPeriodRunning; }
    // The running download's progress dialog, or nullptr.
    CDownloadDlg* GetDownloadDialog() const;
    // The worker has ended the download: the message, if any, then the day read afresh.
    void OnDownloadFinished(const CDownloadOutcome& outcome);
    // A download may have written day files: the shown day is read afresh when its own may have
    // changed (bShownDay), and what is built from the day files follows them.
    virtual void OnDayFilesChanged(bool bShownDay);

    // The watched-racer menu (view/KeluViewFavorites.cpp). The state handler of the add
    // command: when the menu is stale, the racers' submenus of "注目選手(&A)" are brought up to
    // date with the list file and the loaded day.
    void RebuildFavoritesMenu(CCmdUI& ui);
    // The racers' items: 33000 + i the schedule page, 33257 + i and 33514 + i the races.
    void OnFavoriteCommand(UINT nID);
    // The add dialog with the number already in its field (empty: the user types it).
    void AddFavorite(const CString& strRegNo);
    // The racer's record over the stored days in a window of its own (view/KeluViewHistory.cpp).
    void ShowRacerRecord(int nRegNo);
    // The history store that the downloads bring up to date and the racers' windows read; the
    // view keeps one of its own when none is given.
    void SetHistoryService(CHistoryService* pHistory);
    CHistoryService& History();
    // The racer schedule page's address, with "%d" where the number goes.
    void SetAssenUrl(const CString& strUrl) { m_strAssenUrl = strUrl; }

    // The chosen day; its time of day is kept when the date changes.
    CTime m_dateShown;
    CMSFlexGrid* m_gridProgram = nullptr;
    CMSFlexGrid* m_gridLower = nullptr;
    // Set by the print commands just before they print: all races of the venue, or the one.
    bool m_bPrintAll = false;
    // Set by every day load; the watched-racer menu is rebuilt when it is next asked for.
    bool m_bMenuStale = false;
    bool m_bCalendarOpen = false;
    std::array<QPushButton*, kVenueCount> m_pVenueButton{};
    std::array<QPushButton*, kRaceCount> m_pRaceButton{};
    QFont m_fontTitle;

protected:
    // Watches the date picker's calendar drop down and close.
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;
    // The form grows and shrinks with the window.
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    QWidget* CreateCustomControl(const CDlgItem& item, QWidget* pParent);
    // Where the form puts each control at the standard size.
    void MeasureStandardLayout();
    // Places the form's controls at the view's scale.
    void LayOutForm();
    void UseCompactDropDowns();
    void ConnectControls();
    void WatchCalendar();
    // The calendar's Japanese look, and the watch on its popup window.
    void SetUpCalendar(QWidget* pPopup);
    // The date picker into m_dateShown (true) or back (false).
    void UpdateData(bool bSaveAndValidate);
    void SizeFrame();
    int ScaledFromLarge(int nPixels, bool bHorizontal) const;
    // The frame's bars and borders around the view, and the view's size in the standard frame.
    QSize FrameChrome() const;
    QSize StandardViewSize() const;
    // The largest scale at which the window still fits the screen.
    double LargestScale() const;
    // The scale at which the form fills the view, in the middle of any spare room.
    void ScaleToFit();
    void ApplyScale(const CFormScale& scale);
    void OnZoomIn();
    void OnZoomOut();
    void OnZoomReset();
    void OnUpdateZoomIn(CCmdUI& ui);
    void OnUpdateZoomOut(CCmdUI& ui);
    void OnUpdateZoomReset(CCmdUI& ui);
    void SetUpTitles();
    void NameButtons();
    void SetUpProgramGrid();
    void SetUpTabs();
    // Offers the venues that race on the loaded day; the chosen venue when it is among them.
    int FillVenueList();
    void OnDateChange();

    void OnDownloadToday();
    void OnDownloadWeek();
    // The period download's dialog, modal; the shown day is read afresh when the run may have
    // written its files.
    void OnDownloadPeriod();
    // What every download does before it goes: none while another runs, the settings first
    // while the server is a placeholder, the downloads' library loaded. nullptr: no download.
    const CKeluNet* PrepareDownload();
    void OnFileSettings();
    void OnRacerRecord();
    void OnUpdateHistory();
    // Asks the store for the race's forecast, once for a race.
    void AskForecast(int nDate, int nVenue, int nRace);
    // The store has changed: the forecast shown is asked for again.
    void ForgetForecast();
    // The history's progress in the status bar while the store is brought up to date.
    void WatchHistory();
    // The settings dialog; strWhy, when given, says at its top why it opened. True when the
    // user saved the settings.
    bool EditSettings(const CString& strWhy);
    // Starts fetching and unpacking the chosen day and the days before it, with the progress
    // dialog; the command ends in OnDownloadFinished.
    void DownloadDays(int nDays);
    // While a download runs, disables every command that reads or writes the day files or
    // would start another; true when it answered for the command.
    bool OnUpdateWhileDownloading(CCmdUI& ui);
    // Asks for the main window to close again once a download it stopped has ended.
    void CloseAfterDownload();
    // Brings the commands' states up to date at once.
    void UpdateCommands();
    void SendPrintCommand(bool bAll, UINT nCommand);
    void OnFilePrintAll();
    void OnFilePrintRace();
    void OnFilePreviewAll();
    void OnFilePreviewRace();
    void OnFilePrint();
    void OnFilePrintPreview();
    // The print dialog for printing (false when cancelled); nothing to ask for a preview.
    bool DoPreparePrinting(CPrintInfo* pInfo);
public:
    // Names the job after what it holds ("2020-10-20 住之江 1R-3R") and, where it goes to a
    // PDF file, offers that name in the folder chosen last (else the documents folder).
    void NamePrintJob(QPrinter* pPrinter, bool bWholeVenue);
    // Keeps the folder of the PDF file a job was printed into, for the next job.
    static void RememberPdfFolder(const QPrinter* pPrinter);

private:
    // Draws the chosen pages on the printer, or into the preview.
    void PrintPages(QPrinter* pPrinter, CPrintInfo& info);
    // Names the templates the job could not read, once a job.
    void TellMissingTemplates(CPrintInfo& info);
    void OnFavoriteAdd();
    void OnFavoriteOrganize();
    QMenu* FavoritesPopup() const;
    // The racer's schedule page in the browser; without one, a message with the address.
    void OpenSchedule(int nRegNo);
    // Shows the race and marks the racer's boat in the program grid.
    void JumpToRace(int nVenue, int nRace, int nRegNo);
    // The registration number of a grid's row: a boat of the program grid, a finishing line of
    // the results page; empty for any other row.
    CString RegNoOfRow(const CMSFlexGrid& grid, int nRow) const;
    // The right mouse button and the double click on a grid's row.
    void OnRowMenu(CMSFlexGrid& grid, int nRow, const QPoint& globalPos);
    void OnRowDoubleClick(CMSFlexGrid& grid, int nRow);
    void OnHelp();
    void ShowHelpWindow();
    // The pressed look of the chosen venue's and race's buttons.
    void ShowChoiceOnButtons();
    // A message of the view in the frame's status bar; an empty one takes the last one back.
    void ShowStatus(const CString& strText);
    // What the status bar keeps saying of the loaded day: where a damaged day file stopped
    // being read, or how to get the files of a day that has none.
    void ShowDayStatus();
    // What the empty form says in its own place, over the program grid: how to get a day that
    // has no files (with the way to the settings while the server is still the placeholder), or
    // that a venue is to be chosen. Hidden once a venue shows.
    void MakeFormHint();
    void ShowFormHint(bool bNoProgram);
    void OnUpdateNeedsVenue(CCmdUI& ui);

    static const CommandEntry<CKeluView> kCommands[];

    CKeluDoc* m_pDocument;
    CCommandRouter* m_pRouter;
    std::map<int, QWidget*> m_controls;
    CDialogUnits m_units;
    // The form at its standard size: every control's place, the form's font, the frame's size
    // (empty until the set-up has sized the frame).
    std::map<int, QRect> m_standardRects;
    QFont m_fontForm;
    QSize m_sizeStandardFrame;
    CFormScale m_scale;
    CTabCtrl* m_tab = nullptr;
    QLabel* m_staticVenue = nullptr;
    QLabel* m_staticRace = nullptr;
    QDateEdit* m_date = nullptr;
    QLineEdit* m_pDateField = nullptr;
    // The date picker's calendar popup, once it has been made.
    QPointer<QWidget> m_pCalendarPopup;
    // The help page's own window, while it is open.
    QPointer<CHelpWindow> m_pHelpWindow;
    CString m_strStatus;
    QLabel* m_pDayStatus = nullptr;
    QFrame* m_pFormHint = nullptr;
    QLabel* m_pFormHintText = nullptr;
    QPushButton* m_pFormHintSettings = nullptr;
    QComboBox* m_listRace = nullptr;
    QComboBox* m_listVenue = nullptr;
    CString m_strAssenUrl;
    std::unique_ptr<CFavoritesMenu> m_pFavoritesMenu;
    CHistoryService* m_pHistory = nullptr;
    // The race the forecast page was last asked for, and what the store answered.
    struct CShownForecast {
        int nDate = 0, nVenue = 0, nRace = 0;
        bool bAsked = false, bAnswered = false;
        std::optional<CForecastRow> row;
        QString strNote, strToolTip;
    } m_shownForecast;
    // The day whose forecasts the page had the store make, so that it asks once.
    int m_nForecastUpdateDate = 0;
    QWidget* m_pHistoryStatus = nullptr;
    std::function<QPrinter*()> m_fnPrinter;
    std::shared_ptr<QPrinter> m_pOwnPrinter;
    int m_nPreviewPages = 0;
    // The running download, or nullptr.
    friend class CDownloadRun;
    std::unique_ptr<CDownloadRun> m_pDownloadRun;
    bool m_bCloseAfterDownload = false;
    // The period download's dialog is open.
    bool m_bPeriodRunning = false;
    // The day files a day or week download may write, as they were when it began.
    std::vector<std::optional<std::string>> m_dayFilesBefore;
    // The user asked for the history's update from the menu: its end is told whatever it did.
    bool m_bHistoryAsked = false;
};
