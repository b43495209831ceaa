#pragma once
// The race view: one race of one day on the form of template 101. (Skeleton; the view's
// layout and navigation come next.)

#include "platform/gui/CmdTarget.h"

#include <QWidget>

class CKeluDoc;
class CCommandRouter;

class CKeluView : public QWidget, public CCmdTarget {
public:
    // The view shows pDoc; commands it sends on (print, preview) go through pRouter.
    CKeluView(CKeluDoc* pDoc, CCommandRouter* pRouter, QWidget* pParent);
    ~CKeluView() override;

    CKeluDoc* GetDocument() const { return m_pDocument; }
    // The set-up: runs once after creation and again on every new-document command.
    void OnInitialUpdate();
    // A control of the form by its id (res/resource.h).
    QWidget* GetDlgItem(int nID) const;

    bool OnCmdMsg(UINT nID) override;
    bool OnUpdateCmdUI(CCmdUI& ui) override;

private:
    CKeluDoc* m_pDocument;
    CCommandRouter* m_pRouter;
};
