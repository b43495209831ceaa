#pragma once
// "注目選手の整理" (template 134): every line of the watched-racer list as one entry, which the
// user deletes or moves up and down; "OK" writes the entries back in their new order.

#include "platform/String.h"
#include "platform/gui/Dialog.h"

class QListWidget;
class QPushButton;

class COrganizeFavoritesDlg : public CDialog {
public:
    explicit COrganizeFavoritesDlg(QWidget* pParent = nullptr);

    // Reads the list into the entries; the dialog does it itself when it opens unless this
    // came first. False when the file cannot be read: the list stays empty and "OK" stays
    // disabled, so the dialog can never write an empty list over one it could not read.
    bool LoadList();

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    // The buttons follow the selection only after a click in the list or a button's action;
    // selecting with the keys leaves them as they are.
    void UpdateButtons();
    int SelectedIndex() const;
    void Select(int nIndex);
    void OnDelete();
    void OnUp();
    void OnDown();
    void Move(int nFrom, int nTo);
    // The entry's Shift-JIS text, as it was made from the file.
    CString EntryAt(int nIndex) const;

    bool m_bLoaded = false;
    bool m_bListRead = false;
    QListWidget* m_list;
    QPushButton* m_btnOK;
    QPushButton* m_btnDelete;
    QPushButton* m_btnUp;
    QPushButton* m_btnDown;
};
