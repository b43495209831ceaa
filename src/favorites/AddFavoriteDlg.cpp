#include "favorites/AddFavoriteDlg.h"

#include "favorites/FavoriteList.h"
#include "platform/Number.h"
#include "platform/Sjis.h"
#include "platform/gui/MessageBox.h"
#include "platform/gui/QtText.h"
#include "res/Templates.h"
#include "res/resource.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// A registration number has four digits; "追加" waits for all four.
constexpr int kRegNoLength = 4;

} // namespace

CAddFavoriteDlg::CAddFavoriteDlg(QWidget* pParent)
    : CDialog(kAddFavoriteTemplate, pParent)
    , m_editRegNo(Item<QLineEdit>(IDC_REGNO))
    , m_btnAdd(Item<QPushButton>(IDOK))
{
    // The field is known by the label in front of it.
    for (QLabel* pLabel : findChildren<QLabel*>())
        pLabel->setBuddy(m_editRegNo);
    m_editRegNo->setAccessibleName(Utf8("登録番号"));
    connect(m_editRegNo, &QLineEdit::textChanged, this, [this] { OnChangeRegNo(); });
}

bool CAddFavoriteDlg::OnInitDialog()
{
    // A number given before the dialog opens (the racer of a grid's row) stands in the field,
    // ready for "追加".
    if (!m_strRegNo.IsEmpty())
        m_editRegNo->setText(ToQString(m_strRegNo));
    OnChangeRegNo();
    return true;
}

void CAddFavoriteDlg::OnChangeRegNo()
{
    m_strRegNo = FromQString(m_editRegNo->text());
    m_btnAdd->setEnabled(m_editRegNo->text().size() == kRegNoLength);
}

void CAddFavoriteDlg::Guide(const CString& strText)
{
    KeluMessageBox(this, strText, Sjis("操作ガイド"), MB_OK | MB_ICONINFORMATION);
}

void CAddFavoriteDlg::OnOK()
{
    m_strRegNo = FromQString(m_editRegNo->text());
    switch (CFavoriteList::Add(m_strRegNo)) {
    case CFavoriteList::AddResult::OutOfRange:
        Guide(Sjis("4桁の登録番号を入力してください。"));
        m_editRegNo->setFocus();
        return;
    case CFavoriteList::AddResult::Duplicate:
        Guide(Sjis("登録番号") + CString::Formatted("%d", AtoI(m_strRegNo)) + Sjis("は既に登録されています。"));
        m_editRegNo->selectAll();
        m_editRegNo->setFocus();
        return;
    case CFavoriteList::AddResult::Full:
        Guide(Sjis("注目選手は256人までしか登録できません。"));
        EndDialog(IDOK);
        return;
    case CFavoriteList::AddResult::Unavailable:
        // The list is as it was; the number stays in the field for another try.
        return;
    case CFavoriteList::AddResult::Added:
        EndDialog(IDOK);
        return;
    }
}
