#pragma once
// Dialog layouts as tables in dialog units, turned into widgets. A dialog unit is a quarter of
// the average character width and an eighth of the character height of the dialog's font, so
// a layout keeps its proportions whatever the font and the display resolution.

#include <QFont>
#include <QRect>

#include <functional>
#include <map>
#include <vector>

class QWidget;

enum class DlgKind {
    Static,      // static text
    Button,      // push button
    DefButton,   // default push button
    Edit,        // single-line edit
    NumberEdit,  // single-line edit taking digits only
    MultiEdit,   // multi-line read-only edit with a vertical scroll bar
    DropList,    // drop-down list, not editable; its text holds its items, one a line
    DatePicker,  // short date with a drop-down calendar
    Icon,        // the program's icon
    EtchedLine,  // a sunken horizontal rule
    ListView,    // a list of one-line entries
    Custom,      // made by the caller's factory (a tab control, a grid)
};

enum : unsigned {
    DS_CENTERIMAGE = 0x1, // static text vertically centred
    DS_BORDER = 0x2,      // a sunken border
};

struct CDlgItem {
    int nID;              // -1 for a static that has no id
    DlgKind kind;
    int x, y, cx, cy;     // dialog units
    const char* pszText;  // UTF-8
    unsigned nStyle = 0;
};

struct CDialogTemplate {
    int nID;
    const char* pszCaption; // UTF-8
    int cx, cy;             // dialog units
    const char* pszFace;    // UTF-8
    int nPointSize;
    std::vector<CDlgItem> items;
};

// Converts dialog units of one font into pixels.
class CDialogUnits {
public:
    explicit CDialogUnits(const QFont& font);
    // Units of known base values, for a layout that must keep proportions set elsewhere.
    CDialogUnits(int nBaseX, int nBaseY) : m_nBaseX(nBaseX), m_nBaseY(nBaseY) {}
    int BaseX() const { return m_nBaseX; }
    int BaseY() const { return m_nBaseY; }
    int ToPixelsX(int x) const;
    int ToPixelsY(int y) const;
    QRect ToPixels(int x, int y, int cx, int cy) const;

private:
    int m_nBaseX;
    int m_nBaseY;
};

// The template's font.
QFont DialogFont(const CDialogTemplate& tmpl);

using DlgItemFactory = std::function<QWidget*(const CDlgItem& item, QWidget* pParent)>;

// Creates the template's controls as children of pHost, in template order (which is also the
// tab order), with pHost's font set to the template's. Returns the controls by id; controls
// without an id are created but not returned. Custom items are made by the factory.
std::map<int, QWidget*> BuildDialogItems(QWidget* pHost, const CDialogTemplate& tmpl,
                                         const DlgItemFactory& factory = {});
