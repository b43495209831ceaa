#include "download/SettingsDlg.h"

#include "app/Startup.h"
#include "download/DataServer.h"
#include "download/Downloader.h"
#include "download/NetLibrary.h"
#include "platform/Sjis.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/QtText.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QRegularExpression>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kFieldChars = 52;

QLabel* PlainLabel(const QString& text)
{
    auto* pLabel = new QLabel(text);
    pLabel->setTextFormat(Qt::PlainText);
    pLabel->setWordWrap(true);
    return pLabel;
}

// The field and the label in front of it, which is also its name to a screen reader.
QLineEdit* AddField(QFormLayout* pForm, const char* pszLabel, const CString& strValue)
{
    auto* pEdit = new QLineEdit(ToQString(strValue));
    pEdit->setMinimumWidth(pEdit->fontMetrics().averageCharWidth() * kFieldChars);
    auto* pLabel = new QLabel(Utf8(pszLabel));
    pLabel->setBuddy(pEdit);
    pEdit->setAccessibleName(QString(Utf8(pszLabel)).remove(QRegularExpression(QStringLiteral("\\(&.\\)|[:：]$"))));
    pForm->addRow(pLabel, pEdit);
    return pEdit;
}

CString CheckText(int nResult, const CString& strReason, const CString& strDate)
{
    if (nResult == 200)
        return Sjis("接続できました。") + strDate + Sjis(" の番組表の書庫がサーバーにあります。");
    if (nResult == 404)
        return Sjis("サーバーに接続できましたが、") + strDate +
               Sjis(" の番組表の書庫はありません (404)。まだ発表されていない日か、アドレスが違うのかもしれません。");
    if (nResult == kFetchInternet)
        return Sjis("接続できません: ") + strReason;
    return Sjis("サーバーは ") + CString::Formatted("%d", nResult) + Sjis(" を返しました。アドレスを確かめてください。");
}

} // namespace

CSettingsDlg::CSettingsDlg(QWidget* pParent, const CString& strWhy, const CTime& day)
    : QDialog(pParent)
    , m_day(day)
{
    setWindowTitle(Utf8("設定"));
    setAccessibleName(windowTitle());
    const CProfile profile = OpenKeluProfile();
    CString strAssen = profile.GetProfileString("URL", "ASSEN", "");
    if (strAssen.IsEmpty())
        strAssen = kDefaultAssenUrl;

    auto* pLayout = new QVBoxLayout(this);
    if (!strWhy.IsEmpty()) {
        QLabel* pWhy = PlainLabel(ToQString(strWhy));
        pWhy->setAccessibleName(pWhy->text());
        pLayout->addWidget(pWhy);
    }
    auto* pForm = new QFormLayout;
    m_pServer = AddField(pForm, "データのサーバー(&D):", ReadDataServer(profile));
    m_pAssen = AddField(pForm, "あっせん予定のページ(&A):", strAssen);
    pLayout->addLayout(pForm);
    pLayout->addWidget(PlainLabel(Utf8("データのサーバーは http://your.data.host の形で書きます（ポートが 80 でないときは "
                                       "http://your.data.host:8080）。サーバーには日ごとの書庫が "
                                       "/od2/B/YYYYMM/bYYMMDD.lzh（番組表）と /od2/K/YYYYMM/kYYMMDD.lzh（結果）の形で"
                                       "置かれています。アドレスは /od2 の前までを書きます（/od2 まで書いてもかまいません）。"
                                       "あっせん予定のページのアドレスには、登録番号の入る所に %d を一つ書きます。")));
    m_pCheck = new QPushButton(Utf8("接続の確認(&C)"));
    m_pCheck->setAccessibleName(Utf8("接続の確認"));
    m_pResult = PlainLabel(QString());
    auto* pCheckRow = new QHBoxLayout;
    pCheckRow->addWidget(m_pCheck);
    pCheckRow->addWidget(m_pResult, 1);
    pLayout->addLayout(pCheckRow);
    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    pButtons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    pButtons->button(QDialogButtonBox::Cancel)->setText(Utf8("ｷｬﾝｾﾙ"));
    pLayout->addWidget(pButtons);
    connect(pButtons, &QDialogButtonBox::accepted, this, &CSettingsDlg::accept);
    connect(pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_pCheck, &QPushButton::clicked, this, [this] { OnCheck(); });
}

CSettingsDlg::~CSettingsDlg()
{
    StopCheck();
}

CString CSettingsDlg::Server() const
{
    return NormalizeDataServer(FromQString(m_pServer->text()));
}

CString CSettingsDlg::AssenUrl() const
{
    CString s = FromQString(m_pAssen->text());
    return s.Trim();
}

void CSettingsDlg::Refuse(QLineEdit* pField, const CString& strWhy)
{
    KeluMessageBox(this, strWhy, Sjis("操作ガイド"), MB_OK | MB_ICONINFORMATION);
    pField->selectAll();
    pField->setFocus();
}

void CSettingsDlg::accept()
{
    CString strWhy;
    if (!CheckDataServer(Server(), &strWhy))
        return Refuse(m_pServer, strWhy);
    if (IsPlaceholderServer(Server()))
        return Refuse(m_pServer, Server() + Sjis(" は見本のアドレスで、どこにもつながりません。本当のデータのサーバーのアドレスを入力してください。"));
    if (!CheckAssenUrl(AssenUrl(), &strWhy))
        return Refuse(m_pAssen, strWhy);
    const CProfile profile = OpenKeluProfile();
    if (!profile.WriteProfileString("URL", "DATA", Server().GetString()) ||
        !profile.WriteProfileString("URL", "ASSEN", AssenUrl().GetString())) {
        KeluMessageBox(this, Sjis("設定ファイル data/kelu.ini に書き込めませんでした。"), Sjis("設定"),
                       MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    StopCheck();
    QDialog::accept();
}

void CSettingsDlg::OnCheck()
{
    CString strWhy;
    if (!CheckDataServer(Server(), &strWhy)) {
        m_pResult->setText(ToQString(strWhy));
        return;
    }
    const CKeluNet* pNet = LoadKeluNet(&strWhy);
    if (!pNet) {
        m_pResult->setText(ToQString(Sjis("ダウンロードに使う部品 libkelu_net.so を読み込めません: ") + strWhy));
        return;
    }
    StopCheck();
    m_bStop = false;
    m_pCheck->setEnabled(false);
    m_pResult->setText(Utf8("確認しています..."));
    QPointer<CSettingsDlg> self(this);
    const CString strServer = Server();
    const CString strPath = ArchivePath('B', m_day);
    const auto pfnProbe = pNet->pfnProbeServer;
    m_check.Start([this, self, pfnProbe, strServer, strPath] {
        CString strReason;
        const int nResult = pfnProbe(strServer, strPath, m_bStop, strReason);
        QMetaObject::invokeMethod(
            self, [self, nResult, strReason] { if (self) self->OnChecked(nResult, strReason); }, Qt::QueuedConnection);
    });
}

void CSettingsDlg::OnChecked(int nResult, const CString& strReason)
{
    m_check.Join();
    m_pCheck->setEnabled(true);
    if (nResult == kFetchStopped)
        return;
    m_pResult->setText(ToQString(CheckText(nResult, strReason, m_day.Format("%Y/%m/%d"))));
    m_pResult->setAccessibleName(m_pResult->text());
}

void CSettingsDlg::StopCheck()
{
    m_bStop = true;
    m_check.Join();
}
