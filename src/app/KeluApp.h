#pragma once
// The application object. It runs the start-up sequence, keeps the one document with its frame
// and view (the single-document template), and handles the application's commands: about,
// new, open, save and printer setup.

#include "platform/String.h"
#include "platform/gui/CmdTarget.h"

#include <QPointer>
#include <QStringList>

#include <memory>

class CKeluDoc;
class CKeluView;
class CMainFrame;
class QPrinter;
class CRecordWindow;
class CHistoryService;

class CKeluApp : public CCmdTarget {
public:
    CKeluApp();
    ~CKeluApp() override;
    CKeluApp(const CKeluApp&) = delete;
    CKeluApp& operator=(const CKeluApp&) = delete;

    // The start-up sequence; args is the command line without the program's name. False ends
    // the program at once. True with no main window: started embedded, there is nothing to do.
    bool InitInstance(const QStringList& args);

    CMainFrame* GetMainWnd() const { return m_pMainWnd.get(); }
    CKeluDoc* GetDocument() const { return m_pDocument.get(); }
    CKeluView* GetView() const { return m_pView; }
    // The printer that printer setup adjusts and printing uses; made on first use.
    QPrinter* GetPrinter();

    bool OnCmdMsg(UINT nID) override;
    bool OnUpdateCmdUI(CCmdUI& ui) override;

    void OnAppAbout();
    void OnFileNew();
    void OnFileOpen();
    void OnFileSave();
    void OnFilePrintSetup();
    // Opens the window of the predictions' record, or brings it forward.
    void OnPredictionRecord();
    // Fits a new forecast model in its dialog, modal.
    void OnFitForecast();
    CRecordWindow* GetRecordWindow() const;

    // The racer schedule page address, a format with one "%d"; read at start.
    CString m_strAssenUrl;
    // Pages the print preview starts with; 0 leaves the choice to the preview.
    int m_nNumPreviewPages = 0;

protected:
    // Checks that the network layer can be used; false when it cannot.
    virtual bool InitSocketLayer();

private:
    // The shell command of the command line: new, or open the named file.
    bool ProcessShellCommand(const QString& strFile);
    // Without a document window yet, creates the document, the frame and the view; then starts
    // the document anew (pPath null) or from the file and runs the view's set-up.
    bool OpenDocumentFile(const QString* pPath);
    bool CreateDocumentWindow();
    bool ReadDocumentFile(const QString& strPath);
    bool WriteDocumentFile(const QString& strPath);
    // Asks for a file to open or a name to save under; empty when the user cancels.
    QString PromptFileName(bool bOpen);

    std::unique_ptr<CKeluDoc> m_pDocument;
    std::unique_ptr<CMainFrame> m_pMainWnd;
    CKeluView* m_pView = nullptr;
    std::unique_ptr<QPrinter> m_pPrinter;
    QPointer<CRecordWindow> m_pRecordWindow;
    // Brings the history store up to date; it outlives the frame, whose windows read the store.
    std::unique_ptr<CHistoryService> m_pHistory;
    bool m_bSocketsReady = false;
};

// The application object of the run, or nullptr.
CKeluApp* GetKeluApp();
