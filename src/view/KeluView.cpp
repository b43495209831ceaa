#include "view/KeluView.h"

CKeluView::CKeluView(CKeluDoc* pDoc, CCommandRouter* pRouter, QWidget* pParent)
    : QWidget(pParent)
    , m_pDocument(pDoc)
    , m_pRouter(pRouter)
{
}

CKeluView::~CKeluView() = default;

void CKeluView::OnInitialUpdate()
{
}

QWidget* CKeluView::GetDlgItem(int nID) const
{
    (void)nID;
    return nullptr;
}

bool CKeluView::OnCmdMsg(UINT nID)
{
    (void)nID;
    return false;
}

bool CKeluView::OnUpdateCmdUI(CCmdUI& ui)
{
    (void)ui;
    return false;
}
