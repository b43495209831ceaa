#pragma once
// The about box: the program's icon, name and version, and an OK button (template 100).

#include "platform/gui/Dialog.h"

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(QWidget* pParent = nullptr);
};
