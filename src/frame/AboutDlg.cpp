#include "frame/AboutDlg.h"

#include "res/Templates.h"

CAboutDlg::CAboutDlg(QWidget* pParent)
    : CDialog(kAboutBoxTemplate, pParent)
{
}
