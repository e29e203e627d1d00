#include "results/PopupRule.h"

namespace nuvero {

PopupRule PopupRule::evaluate(bool rowSelected, bool rusChecked, bool rusSearchFlag)
{
    PopupRule rule;
    rule.deleteFile = rowSelected;
    rule.transliterate = rusChecked && rusSearchFlag;
    return rule;
}

} // namespace nuvero
