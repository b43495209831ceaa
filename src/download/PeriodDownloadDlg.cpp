#include "download/PeriodDownloadDlg.h"

#include "download/NetLibrary.h"
#include "download/DownloadDlg.h"
#include "download/DownloadWorker.h"
#include "download/PeriodDownload.h"
#include "platform/Sjis.h"
#include "platform/gui/Japanese.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/QtText.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kOfferedDays = 30;
constexpr int kFirstYear = 1990;
constexpr int kLogChars = 72;
constexpr int kLogLines = 12;
// A year of days logs some 2,500 lines; older ones go.
constexpr int kLogKeptLines = 5000;

QLabel* PlainLabel(const QString& text = QString())
{
    auto* pLabel = new QLabel(text);
    pLabel->setTextFormat(Qt::PlainText);
    pLabel->setAccessibleName(text);
    return pLabel;
}

// A label and its field, whose name to a screen reader is the label without its key.
template <class TField>
TField* AddRow(QFormLayout* pForm, const char* pszLabel, const char* pszName, TField* pField)
{
    auto* pLabel = new QLabel(Utf8(pszLabel));
    pLabel->setBuddy(pField);
    pField->setAccessibleName(Utf8(pszName));
    pForm->addRow(pLabel, pField);
    return pField;
}

QPushButton* NewButton(const char* pszText)
{
    auto* pButton = new QPushButton(Utf8(pszText));
    pButton->setAccessibleName(pButton->text());
    pButton->setAutoDefault(false);
    return pButton;
}

CTime Noon(const QDate& date)
{
    return CTime(date.year(), date.month(), date.day(), 12, 0, 0);
}

// "820 KB", "12.5 MB": digits with a point whatever the desktop's language.
QString BytesText(long long nBytes)
{
    if (nBytes < 1024 * 1024)
        return QString::number(nBytes / 1024) + QStringLiteral(" KB");
    return QString::number(static_cast<double>(nBytes) / (1024 * 1024), 'f', 1) + QStringLiteral(" MB");
}

QString TimeLeftText(int nSeconds)
{
    if (nSeconds < 0)
        return Utf8("残り時間: 計算中");
    if (nSeconds < 60)
        return Utf8("残り時間: 約 %1 秒").arg(nSeconds);
    return Utf8("残り時間: 約 %1 分 %2 秒").arg(nSeconds / 60).arg(nSeconds % 60, 2, 10, QLatin1Char('0'));
}

void SetPlainText(QLabel* pLabel, const QString& text)
{
    pLabel->setText(text);
    pLabel->setAccessibleName(text);
}

} // namespace

CPeriodDownloadDlg::CPeriodDownloadDlg(QWidget* pParent, const CKeluNet& net, const CString& strServer,
                                       const CTime& dateShown)
    : QDialog(pParent)
    , m_net(net)
    , m_strServer(strServer.Str())
{
    setWindowTitle(Utf8("期間を指定してダウンロード"));
    setAccessibleName(windowTitle());
    const QDate shown(dateShown.GetYear(), dateShown.GetMonth(), dateShown.GetDay());

    auto* pForm = new QFormLayout;
    m_pFirst = AddRow(pForm, "開始日(&F):", "開始日", NewJapaneseDateEdit(shown.addDays(1 - kOfferedDays)));
    m_pLast = AddRow(pForm, "終了日(&T):", "終了日", NewJapaneseDateEdit(shown));
    // The server's files start long after the first day offered; tomorrow's program may be out.
    for (QDateEdit* pDate : {m_pFirst, m_pLast})
        pDate->setDateRange(QDate(kFirstYear, 1, 1), QDate::currentDate().addDays(1));
    m_pConnections = AddRow(pForm, "同時接続数(&C):", "同時接続数", new QSpinBox);
    m_pConnections->setRange(kMinPeriodConnections, kMaxPeriodConnections);
    m_pConnections->setValue(kDefaultPeriodConnections);
    m_pSkip = new QCheckBox(Utf8("番組と結果の両方がある日は飛ばす(&K)"));
    m_pSkip->setAccessibleName(Utf8("番組と結果の両方がある日は飛ばす"));
    m_pSkip->setChecked(true);
    pForm->addRow(m_pSkip);

    m_pBar = new QProgressBar;
    m_pBar->setRange(0, 1);
    m_pBar->setValue(0);
    m_pDone = PlainLabel();
    m_pTimeLeft = PlainLabel();
    auto* pFigures = new QHBoxLayout;
    pFigures->addWidget(m_pDone, 1);
    pFigures->addWidget(m_pTimeLeft);

    auto* pLogLabel = new QLabel(Utf8("転送の記録(&L):"));
    m_pLog = new QPlainTextEdit;
    m_pLog->setReadOnly(true);
    m_pLog->setMaximumBlockCount(kLogKeptLines);
    m_pLog->setAccessibleName(Utf8("転送の記録"));
    m_pLog->setMinimumSize(m_pLog->fontMetrics().averageCharWidth() * kLogChars,
                           m_pLog->fontMetrics().lineSpacing() * kLogLines);
    pLogLabel->setBuddy(m_pLog);
    m_pSummary = PlainLabel();
    m_pSummary->setWordWrap(true);

    m_pStart = NewButton("開始");
    m_pStop = NewButton("中止");
    m_pClose = NewButton("閉じる");
    m_pStart->setDefault(true);
    auto* pButtons = new QHBoxLayout;
    pButtons->addStretch(1);
    for (QPushButton* pButton : {m_pStart, m_pStop, m_pClose})
        pButtons->addWidget(pButton);

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addLayout(pForm);
    pLayout->addWidget(m_pBar);
    pLayout->addLayout(pFigures);
    pLayout->addWidget(pLogLabel);
    pLayout->addWidget(m_pLog, 1);
    pLayout->addWidget(m_pSummary);
    pLayout->addLayout(pButtons);

    connect(m_pStart, &QPushButton::clicked, this, &CPeriodDownloadDlg::OnStart);
    connect(m_pStop, &QPushButton::clicked, this, &CPeriodDownloadDlg::OnStop);
    connect(m_pClose, &QPushButton::clicked, this, &CPeriodDownloadDlg::reject);
    SetRunning(false);
}

CPeriodDownloadDlg::~CPeriodDownloadDlg() = default;

void CPeriodDownloadDlg::OnLine(const CString& strLine)
{
    QString text = ToQString(strLine);
    text.remove(QLatin1Char('\r'));
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    m_pLog->appendPlainText(text);
}

bool CPeriodDownloadDlg::FilesMayHaveChanged(const CTime& day) const
{
    return m_bAnyDay || std::find(m_changed.begin(), m_changed.end(), day.Format("%Y%m%d").Str()) != m_changed.end();
}

void CPeriodDownloadDlg::reject()
{
    if (m_pWorker) {
        m_pWorker->Stop();
        EndWorker();
    }
    QDialog::reject();
}

void CPeriodDownloadDlg::OnStart()
{
    if (IsRunning())
        return;
    const QDate first = m_pFirst->date();
    const QDate last = m_pLast->date();
    if (first > last) {
        KeluMessageBox(this, Sjis("開始日は終了日と同じ日か、それより前の日にしてください。"), Sjis("操作ガイド"),
                       MB_OK | MB_ICONINFORMATION);
        m_pFirst->setFocus();
        return;
    }
    CPeriodRequest request;
    request.first = Noon(first);
    request.last = Noon(last);
    request.bSkipPresent = m_pSkip->isChecked();
    request.nConnections = m_pConnections->value();
    m_pLog->clear();
    SetPlainText(m_pSummary, QString());
    CPeriodStatus status;
    status.nDays = static_cast<int>(first.daysTo(last)) + 1;
    ShowStatus(status);
    CDownloadWorker::CHandlers handlers;
    handlers.fnLine = [this](const CString& strLine) { OnLine(strLine); };
    handlers.fnStatus = [this](const CPeriodStatus& status) { ShowStatus(status); };
    handlers.fnEnded = [this] { OnEnded(); };
    // Written by the worker before it posts its end, read after.
    auto pOutcome = std::make_shared<CPeriodOutcome>();
    m_pOutcome = pOutcome;
    const auto pfnDownloadPeriod = m_net.pfnDownloadPeriod;
    const CString strServer(m_strServer);
    m_pWorker = std::make_unique<CDownloadWorker>(
        this, std::move(handlers), [pOutcome, pfnDownloadPeriod, strServer, request](IPeriodProgress& progress) {
            *pOutcome = pfnDownloadPeriod(strServer, request, progress);
        });
    SetRunning(true);
    SetPlainText(m_pTimeLeft, TimeLeftText(-1));
}

void CPeriodDownloadDlg::OnStop()
{
    if (m_pWorker)
        m_pWorker->Stop();
    m_pStop->setEnabled(false);
    SetPlainText(m_pTimeLeft, Utf8("中止しています..."));
}

void CPeriodDownloadDlg::OnEnded()
{
    // A dialog closed meanwhile has already waited for the worker.
    if (!IsRunning())
        return;
    const CPeriodOutcome outcome = EndWorker();
    SetPlainText(m_pSummary, ToQString(PeriodCountsText(outcome)));
    const CString strLists = DownloadEndMessage(outcome.lists);
    if (!strLists.IsEmpty())
        m_pLog->appendPlainText(QLatin1Char('\n') + ToQString(strLists));
    SetRunning(false);
    emit runEnded();
}

void CPeriodDownloadDlg::ShowStatus(const CPeriodStatus& status)
{
    m_pBar->setRange(0, std::max(status.nDays, 1));
    m_pBar->setValue(std::min(status.nDaysDone, std::max(status.nDays, 1)));
    const QString days = Utf8("%1 / %2 日").arg(status.nDaysDone).arg(status.nDays);
    m_pBar->setFormat(days);
    m_pBar->setAccessibleName(days);
    SetPlainText(m_pDone, Utf8("受信 ") + BytesText(status.nBytes));
    // A silent server stops the estimate from meaning much: how long it has waited instead.
    if (m_pWorker && !m_pWorker->IsStopping())
        SetPlainText(m_pTimeLeft, status.nWaitingSeconds > 0
                                      ? WaitingText(status.nWaitingSeconds)
                                      : TimeLeftText(status.nSecondsLeft));
}

void CPeriodDownloadDlg::SetRunning(bool bRunning)
{
    for (QWidget* pField : std::initializer_list<QWidget*>{m_pFirst, m_pLast, m_pSkip, m_pConnections, m_pStart})
        pField->setEnabled(!bRunning);
    m_pStop->setEnabled(bRunning);
    if (!bRunning)
        SetPlainText(m_pTimeLeft, QString());
}

CPeriodOutcome CPeriodDownloadDlg::EndWorker()
{
    const bool bEnded = m_pWorker->Wait();
    m_pWorker.reset();
    CPeriodOutcome outcome;
    if (bEnded) {
        outcome = *m_pOutcome;
    } else {
        // Left to end on its own: any day may still change.
        m_bAnyDay = true;
        outcome.bStopped = true;
    }
    m_pOutcome.reset();
    for (const CString& strDay : outcome.changed)
        m_changed.push_back(strDay.Str());
    return outcome;
}
