#pragma once
// Message boxes with fixed texts, as the program's guidance and errors appear. Tests install a
// hook that records each call and gives the answer instead of showing a box.

#include "platform/String.h"

#include <functional>

class QWidget;

enum : unsigned {
    MB_OK = 0x00,
    MB_OKCANCEL = 0x01,
    MB_YESNO = 0x04,
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_BUTTONMASK = 0x0F,
    MB_ICONMASK = 0xF0,
    MB_DEFBUTTON1 = 0x000,
    MB_DEFBUTTON2 = 0x100, // the second button (No, Cancel) is the default
    MB_DEFMASK = 0xF00,
};

struct MessageBoxCall {
    CString text;    // Shift-JIS, as the program wrote it
    CString caption;
    unsigned type;   // buttons | icon | default button
};

using MessageBoxHook = std::function<int(const MessageBoxCall&)>;

// Installs the hook (an empty one restores the real boxes); returns the previous hook.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

// Shows the box modally over pParent and returns IDOK, IDCANCEL, IDYES or IDNO.
int KeluMessageBox(QWidget* pParent, const CString& strText, const CString& strCaption, unsigned nType);
