#include "platform/gui/MessageBox.h"

#include "platform/gui/QtText.h"
#include "res/resource.h"

#include <QMessageBox>
#include <QPushButton>

#include <vector>

namespace {

MessageBoxHook& Hook()
{
    static MessageBoxHook hook;
    return hook;
}

QMessageBox::Icon IconOf(unsigned nType)
{
    switch (nType & MB_ICONMASK) {
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

} // namespace

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook)
{
    MessageBoxHook old = std::move(Hook());
    Hook() = std::move(hook);
    return old;
}

int KeluMessageBox(QWidget* pParent, const CString& strText, const CString& strCaption, unsigned nType)
{
    if (Hook())
        return Hook()({strText, strCaption, nType});

    QMessageBox box(IconOf(nType), ToQString(strCaption), ToQString(strText), QMessageBox::NoButton, pParent);
    // The buttons carry Japanese texts whatever the desktop's language.
    struct Button {
        const char* text;
        QMessageBox::ButtonRole role;
        int nResult;
    };
    std::vector<Button> buttons;
    switch (nType & MB_BUTTONMASK) {
    case MB_YESNO:
        buttons = {{"はい(&Y)", QMessageBox::YesRole, IDYES}, {"いいえ(&N)", QMessageBox::NoRole, IDNO}};
        break;
    case MB_OKCANCEL:
        buttons = {{"OK", QMessageBox::AcceptRole, IDOK}, {"ｷｬﾝｾﾙ", QMessageBox::RejectRole, IDCANCEL}};
        break;
    default:
        buttons = {{"OK", QMessageBox::AcceptRole, IDOK}};
        break;
    }
    std::vector<QAbstractButton*> added;
    for (const Button& b : buttons)
        added.push_back(box.addButton(Utf8(b.text), b.role));
    const size_t nDefault = (nType & MB_DEFMASK) == MB_DEFBUTTON2 && added.size() > 1 ? 1 : 0;
    box.setDefaultButton(qobject_cast<QPushButton*>(added[nDefault]));
    box.exec();
    for (size_t i = 0; i < added.size(); ++i)
        if (box.clickedButton() == added[i])
            return buttons[i].nResult;
    // Closed with Esc or the close box: the answer of the last button (No, Cancel or OK).
    return buttons.back().nResult;
}
