#pragma once
// The race view: one race of one day on the form of template 101. The user picks the day with
// the date picker or the day-step buttons, the venue with its list or one of 24 buttons, the
// race with its list or one of 12 buttons; the view has the document load the day and shows
// the chosen race in two title lines, the program grid and the lower grid, whose page (details
// or results) the tab control chooses.

#include "platform/Time.h"
#include "platform/gui/CmdTarget.h"
#include "platform/gui/DialogTemplate.h"
#include "view/MSFlexGrid.h"

#include <QFont>
#include <QWidget>

#include <array>
#include <map>

class CKeluDoc;
class CCommandRouter;
class CDownloadRun;
class CTabCtrl;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;

class CKeluView : public QWidget, public CCmdTarget {
public:
    static constexpr int kVenueCount = 24;
    static constexpr int kRaceCount = 12;

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
    // The background of a finishing-order cell: red for a boat that flew, started late or was
    // absent (status F, L, K), else the colour of the boat.
    static COLORREF FinishCellColor(const CString& strBoat, const CString& strStatus);
    static COLORREF BoatColor(int nBoat);

    bool OnCmdMsg(UINT nID) override;
    bool OnUpdateCmdUI(CCmdUI& ui) override;
    // True while a download runs (view/KeluViewDownload.cpp).
    bool IsDownloading() const { return m_pDownloadRun != nullptr; }

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

private:
    QWidget* CreateCustomControl(const CDlgItem& item, QWidget* pParent);
    // Places the form's controls in the view's dialog units.
    void LayOutForm();
    void UseCompactDropDowns();
    void ConnectControls();
    void WatchCalendar();
    // The date picker into m_dateShown (true) or back (false).
    void UpdateData(bool bSaveAndValidate);
    void SizeFrame();
    void PlaceForHighResolution();
    void SetUpTitles();
    void NameButtons();
    void SetUpProgramGrid();
    void SetUpTabs();
    // Offers the venues that race on the loaded day; the chosen venue when it is among them.
    int FillVenueList();
    void OnDateChange();

    void OnDownloadToday();
    void OnDownloadWeek();
    // Fetches and unpacks the chosen day and the days before it, with the progress dialog.
    void DownloadDays(int nDays);
    // While a download runs, disables every command that reads or writes the day files or
    // would start another; true when it answered for the command.
    bool OnUpdateWhileDownloading(CCmdUI& ui);
    // Asks for the main window to close again once a download it stopped has unwound.
    void CloseAfterDownload();
    void SendPrintCommand(bool bAll, UINT nCommand);
    void OnFilePrintAll();
    void OnFilePrintRace();
    void OnFilePreviewAll();
    void OnFilePreviewRace();
    void OnFilePrint();
    void OnFilePrintPreview();
    void OnFavoriteAdd();
    void OnFavoriteOrganize();
    void OnHelp();
    void OnUpdateNeedsVenue(CCmdUI& ui);

    static const CommandEntry<CKeluView> kCommands[];

    CKeluDoc* m_pDocument;
    CCommandRouter* m_pRouter;
    std::map<int, QWidget*> m_controls;
    CDialogUnits m_units;
    CTabCtrl* m_tab = nullptr;
    QLabel* m_staticVenue = nullptr;
    QLabel* m_staticRace = nullptr;
    QDateEdit* m_date = nullptr;
    QComboBox* m_listRace = nullptr;
    QComboBox* m_listVenue = nullptr;
    // The running download, or nullptr.
    friend class CDownloadRun;
    CDownloadRun* m_pDownloadRun = nullptr;
    bool m_bCloseAfterDownload = false;
};
