#pragma once
// "設定" (ﾌｧｲﾙ → 設定(&S)...): the two addresses Kelu reaches out to, the data server the
// downloads fetch from (DATA) and the racer schedule page (ASSEN), checked as the download and
// the schedule command check them and written to data/kelu.ini. "接続の確認" asks the server for
// the shown day's program archive without fetching it, on a thread of its own, and says what
// came back.

#include "platform/String.h"
#include "platform/Time.h"
#include "platform/gui/WorkerThread.h"

#include <QDialog>

#include <atomic>

class QLabel;
class QLineEdit;
class QPushButton;

class CSettingsDlg : public QDialog {
public:
    // strWhy: a sentence at the top saying why the dialog opened; empty when the user chose it.
    // day: the day whose program archive the connection check asks for.
    CSettingsDlg(QWidget* pParent, const CString& strWhy, const CTime& day);
    // A check still waiting for the server is stopped and waited for (a tenth of a second).
    ~CSettingsDlg() override;

    // The addresses as the fields hold them.
    CString Server() const;
    CString AssenUrl() const;

    QLineEdit* ServerEdit() const { return m_pServer; }
    QLineEdit* AssenEdit() const { return m_pAssen; }
    QPushButton* CheckButton() const { return m_pCheck; }
    QLabel* CheckResult() const { return m_pResult; }

protected:
    // Checks both addresses and writes them; an address that will not do keeps the dialog open.
    void accept() override;

private:
    void OnCheck();
    void OnChecked(int nResult, const CString& strReason);
    void StopCheck();
    void Refuse(QLineEdit* pField, const CString& strWhy);

    CTime m_day;
    QLineEdit* m_pServer = nullptr;
    QLineEdit* m_pAssen = nullptr;
    QPushButton* m_pCheck = nullptr;
    QLabel* m_pResult = nullptr;
    CWorkerThread m_check;
    std::atomic<bool> m_bStop{false};
};
