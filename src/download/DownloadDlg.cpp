#include "download/DownloadDlg.h"

#include "platform/gui/QtText.h"
#include "res/Templates.h"
#include "res/resource.h"

#include <QPlainTextEdit>
#include <QTextCursor>

CDownloadDlg::CDownloadDlg(QWidget* pParent)
    : CDialog(kDownloadTemplate, pParent)
    , m_editLog(Item<QPlainTextEdit>(IDC_LOG))
{
    // The log has no label of its own: it speaks as the window it fills.
    m_editLog->setAccessibleName(windowTitle());
}

bool CDownloadDlg::OnInitDialog()
{
    m_bCancelled = false;
    m_bWaitingLine = false;
    m_editLog->clear();
    return true;
}

void CDownloadDlg::AppendText(const CString& strText)
{
    ShowWaiting(0);
    QString text = ToQString(strText);
    text.remove(QLatin1Char('\r'));
    QTextCursor cursor = m_editLog->textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
    m_editLog->setTextCursor(cursor);
    m_editLog->ensureCursorVisible();
}

QString WaitingText(int nSeconds)
{
    return Utf8("サーバーの応答を待っています (%1 秒)").arg(nSeconds);
}

void CDownloadDlg::ShowWaiting(int nSeconds)
{
    QTextCursor cursor = m_editLog->textCursor();
    cursor.movePosition(QTextCursor::End);
    if (m_bWaitingLine) {
        // The line is the log's last, after the line end of the one before.
        cursor.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        m_bWaitingLine = false;
    }
    if (nSeconds > 0) {
        cursor.insertText(WaitingText(nSeconds));
        m_bWaitingLine = true;
    }
    m_editLog->setTextCursor(cursor);
    m_editLog->ensureCursorVisible();
}

void CDownloadDlg::OnCancel()
{
    m_bCancelled = true;
    if (m_fnStop)
        m_fnStop();
    CDialog::OnCancel();
}
