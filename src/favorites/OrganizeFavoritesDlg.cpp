#include "favorites/OrganizeFavoritesDlg.h"

#include "favorites/FavoriteList.h"
#include "platform/gui/QtText.h"
#include "res/Templates.h"
#include "res/resource.h"

#include <QEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>

#include <algorithm>
#include <vector>

namespace {

// Each item keeps its bytes: a name that is not valid Shift-JIS must come back unchanged, not
// as the replacement characters the screen shows.
constexpr int kBytesRole = Qt::UserRole;

} // namespace

COrganizeFavoritesDlg::COrganizeFavoritesDlg(QWidget* pParent)
    : CDialog(kOrganizeFavoritesTemplate, pParent)
    , m_list(Item<QListWidget>(IDC_FAVORITE_LIST))
    , m_btnOK(Item<QPushButton>(IDOK))
    , m_btnDelete(Item<QPushButton>(IDC_FAVORITE_DELETE))
    , m_btnUp(Item<QPushButton>(IDC_FAVORITE_UP))
    , m_btnDown(Item<QPushButton>(IDC_FAVORITE_DOWN))
{
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->viewport()->installEventFilter(this);
    connect(m_btnDelete, &QPushButton::clicked, this, [this] { OnDelete(); });
    connect(m_btnUp, &QPushButton::clicked, this, [this] { OnUp(); });
    connect(m_btnDown, &QPushButton::clicked, this, [this] { OnDown(); });
}

bool COrganizeFavoritesDlg::OnInitDialog()
{
    if (!m_bLoaded)
        LoadList();
    UpdateButtons();
    return true;
}

bool COrganizeFavoritesDlg::LoadList()
{
    m_bLoaded = true;
    m_list->clear();
    CFavoriteList list;
    m_bListRead = list.Read();
    if (!m_bListRead)
        return false;
    for (const CString& line : list.Lines()) {
        const CString strEntry = CFavoriteList::EntryText(line);
        auto* pItem = new QListWidgetItem(ToQString(strEntry));
        pItem->setData(kBytesRole, QByteArray::fromStdString(strEntry.Str()));
        m_list->addItem(pItem);
    }
    return true;
}

CString COrganizeFavoritesDlg::EntryAt(int nIndex) const
{
    return CString(m_list->item(nIndex)->data(kBytesRole).toByteArray().toStdString());
}

bool COrganizeFavoritesDlg::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    // The click notification of the list: the selection has been made by the press.
    if (pWatched == m_list->viewport() && pEvent->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(pEvent)->button() == Qt::LeftButton)
        UpdateButtons();
    return CDialog::eventFilter(pWatched, pEvent);
}

int COrganizeFavoritesDlg::SelectedIndex() const
{
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    return selected.isEmpty() ? -1 : m_list->row(selected.first());
}

void COrganizeFavoritesDlg::Select(int nIndex)
{
    m_list->setCurrentRow(nIndex, QItemSelectionModel::ClearAndSelect);
}

void COrganizeFavoritesDlg::UpdateButtons()
{
    const int nSel = SelectedIndex();
    const int nCount = m_list->count();
    m_btnDelete->setEnabled(nSel >= 0);
    m_btnUp->setEnabled(nSel >= 1);
    m_btnDown->setEnabled(nSel >= 0 && nSel < nCount - 1);
    m_btnOK->setEnabled(m_bListRead && (nSel >= 0 || nCount == 0));
}

void COrganizeFavoritesDlg::OnDelete()
{
    const int nSel = SelectedIndex();
    if (nSel < 0)
        return;
    delete m_list->takeItem(nSel);
    if (m_list->count() > 0) {
        Select(std::min(nSel, m_list->count() - 1));
        m_list->setFocus();
    }
    UpdateButtons();
}

void COrganizeFavoritesDlg::OnUp()
{
    const int nSel = SelectedIndex();
    if (nSel >= 1)
        Move(nSel, nSel - 1);
}

void COrganizeFavoritesDlg::OnDown()
{
    const int nSel = SelectedIndex();
    if (nSel >= 0 && nSel < m_list->count() - 1)
        Move(nSel, nSel + 1);
}

void COrganizeFavoritesDlg::Move(int nFrom, int nTo)
{
    m_list->setUpdatesEnabled(false);
    QListWidgetItem* pItem = m_list->takeItem(nFrom);
    m_list->insertItem(nTo, pItem);
    Select(nTo);
    m_list->setUpdatesEnabled(true);
    m_list->setFocus();
    UpdateButtons();
}

void COrganizeFavoritesDlg::OnOK()
{
    // Enter or a call from outside does not save past the disabled button.
    if (!m_btnOK->isEnabled())
        return;
    std::vector<CString> lines;
    lines.reserve(static_cast<size_t>(m_list->count()));
    for (int i = 0; i < m_list->count(); ++i)
        lines.push_back(CFavoriteList::LineOfEntry(EntryAt(i)));
    // A list that cannot be written leaves the old file as it was and the dialog open, so the
    // user's new order is not lost either.
    if (!CFavoriteList::Write(lines))
        return;
    EndDialog(IDOK);
}
