#pragma once
// A dialog laid out from its template, with its controls found by id. The buttons with ids
// IDOK and IDCANCEL, the Esc key and the close box end it through OnOK and OnCancel.

#include "platform/gui/DialogTemplate.h"

#include <QDialog>

#include <map>

class CDialog : public QDialog {
public:
    CDialog(const CDialogTemplate& tmpl, QWidget* pParent);

    // Runs the dialog modally; IDOK or IDCANCEL (or the value given to EndDialog).
    int DoModal();
    // Shows the dialog without a modal loop.
    void CreateModeless();

    QWidget* GetDlgItem(int nID) const;
    template <class T>
    T* Item(int nID) const { return qobject_cast<T*>(GetDlgItem(nID)); }
    const CDialogUnits& Units() const { return m_units; }

protected:
    // Called once before the dialog first shows.
    virtual bool OnInitDialog() { return true; }
    virtual void OnOK() { EndDialog(1); }
    virtual void OnCancel() { EndDialog(2); }
    void EndDialog(int nResult);

    void reject() override { OnCancel(); }
    void accept() override { OnOK(); }
    void showEvent(QShowEvent* pEvent) override;

private:
    std::map<int, QWidget*> m_controls;
    CDialogUnits m_units;
    bool m_bInitialised = false;
};
