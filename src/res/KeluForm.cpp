// Template 101: the race view's form. (Laid out with the race view.)
#include "res/Templates.h"
#include "res/resource.h"

const CDialogTemplate kKeluFormTemplate{IDD_KELU_FORM, "", 387, 247, "ＭＳ Ｐゴシック", 9, {}};
