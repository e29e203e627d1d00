#include "results/PopupRule.h"

namespace nuvero {

PopupRule PopupRule::evaluate(bool rowSelected, bool rusChecked, bool rusSearchFlag, bool searching)
{
    PopupRule rule;
    rule.deleteFile = rowSelected;
    rule.transliterate = rusChecked && rusSearchFlag;
    rule.rowLinks = rowSelected && !searching;
    return rule;
}

} // namespace nuvero
