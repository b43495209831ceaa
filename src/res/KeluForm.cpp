// Template 101: the race view's form. The buttons' captions are placeholders: the view names
// the venues and races at set-up.
#include "res/Templates.h"
#include "res/resource.h"

namespace {

constexpr int kButtonTop = 42;
constexpr int kButtonStep = 17;

std::vector<CDlgItem> FormItems()
{
    std::vector<CDlgItem> items = {
        {IDC_PREV_DAY, DlgKind::Button, 5, 4, 12, 14, "<<"},
        {IDC_DATE, DlgKind::DatePicker, 22, 4, 49, 15, ""},
        {IDC_NEXT_DAY, DlgKind::Button, 75, 4, 12, 14, ">>"},
        {IDC_VENUE_LIST, DlgKind::DropList, 5, 23, 48, 200, ""},
        // The race list's items, one a line: item i is race i + 1.
        {IDC_RACE_LIST, DlgKind::DropList, 58, 23, 30, 200,
         " 1 R\n 2 R\n 3 R\n 4 R\n 5 R\n 6 R\n 7 R\n 8 R\n 9 R\n10R\n11R\n12R"},
    };
    // Venue k: two columns, odd venues on the left.
    for (int k = 1; k <= 24; ++k) {
        const int nID = k == 1 ? IDC_VENUE1 : IDC_VENUE1 + k;
        const int x = k % 2 == 1 ? 5 : 35;
        items.push_back({nID, DlgKind::Button, x, kButtonTop + (k - 1) / 2 * kButtonStep, 27, 13, ""});
    }
    for (int r = 1; r <= 12; ++r) {
        const int nID = r == 1 ? IDC_RACE1 : IDC_RACE1 + 1 + r;
        items.push_back({nID, DlgKind::Button, 65, kButtonTop + (r - 1) * kButtonStep, 21, 13, ""});
    }
    const std::vector<CDlgItem> rest = {
        {IDC_TITLE_VENUE, DlgKind::Static, 94, 4, 285, 13, "", DS_CENTERIMAGE},
        {IDC_TITLE_RACE, DlgKind::Static, 94, 24, 285, 13, "", DS_CENTERIMAGE},
        {IDC_GRID_PROGRAM, DlgKind::Custom, 94, 43, 285, 85, ""},
        // The lower grid comes after the tab control, so it lies above the tab control's page.
        {IDC_TAB, DlgKind::Custom, 92, 135, 289, 107, ""},
        {IDC_GRID_LOWER, DlgKind::Custom, 94, 140, 285, 85, ""},
    };
    items.insert(items.end(), rest.begin(), rest.end());
    return items;
}

} // namespace

const CDialogTemplate kKeluFormTemplate{IDD_KELU_FORM, "", 387, 247, "ＭＳ Ｐゴシック", 9, FormItems()};
