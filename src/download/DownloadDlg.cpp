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
    m_editLog->clear();
    return true;
}

void CDownloadDlg::AppendText(const CString& strText)
{
    QString text = ToQString(strText);
    text.remove(QLatin1Char('\r'));
    QTextCursor cursor = m_editLog->textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
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
