#pragma once
// "注目選手の追加" (template 133): the user types a racer's four-digit registration number and
// "追加" adds it to the watched-racer list, unless it is out of range, already listed or the
// list is full.

#include "platform/String.h"
#include "platform/gui/Dialog.h"

class QLineEdit;
class QPushButton;

class CAddFavoriteDlg : public CDialog {
public:
    explicit CAddFavoriteDlg(QWidget* pParent = nullptr);

    // The number field's text.
    CString m_strRegNo;

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    void OnChangeRegNo();
    void Guide(const CString& strText);

    QLineEdit* m_editRegNo;
    QPushButton* m_btnAdd;
};
