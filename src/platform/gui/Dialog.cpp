#include "platform/gui/Dialog.h"

#include "platform/gui/QtText.h"
#include "res/resource.h"

#include <QPushButton>

CDialog::CDialog(const CDialogTemplate& tmpl, QWidget* pParent)
    : QDialog(pParent)
    , m_units(DialogFont(tmpl))
{
    setWindowTitle(Utf8(tmpl.pszCaption));
    setWindowFlags((windowFlags() | Qt::MSWindowsFixedSizeDialogHint) & ~Qt::WindowContextHelpButtonHint);
    m_controls = BuildDialogItems(this, tmpl);
    setFixedSize(m_units.ToPixelsX(tmpl.cx), m_units.ToPixelsY(tmpl.cy));
    if (auto* pOk = Item<QPushButton>(IDOK))
        connect(pOk, &QPushButton::clicked, this, [this] { OnOK(); });
    if (auto* pCancel = Item<QPushButton>(IDCANCEL))
        connect(pCancel, &QPushButton::clicked, this, [this] { OnCancel(); });
}

QWidget* CDialog::GetDlgItem(int nID) const
{
    auto it = m_controls.find(nID);
    return it == m_controls.end() ? nullptr : it->second;
}

void CDialog::showEvent(QShowEvent* pEvent)
{
    if (!m_bInitialised) {
        m_bInitialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(pEvent);
}

int CDialog::DoModal()
{
    return exec();
}

void CDialog::CreateModeless()
{
    setModal(false);
    show();
}

void CDialog::EndDialog(int nResult)
{
    done(nResult);
}
