#pragma once

namespace nuvero {

// Enabled states that the results list's popup menu takes each time it opens
// (PopupMenu1Popup). The other items keep what the search job gave them.
struct PopupRule {
    bool deleteFile = false; // "&Delete File"
    bool transliterate = false; // "Translite and rename it" and "Transilte and rename ALL"
    bool rowLinks = false; // "Open containing folder" and "Copy path": off while a search runs

    // rowSelected: a row of the list is selected; rusChecked: "Rus names" is checked now;
    // rusSearchFlag: the last search started with "Rus names" checked (and so with an
    // emptied list); searching: a search runs.
    static PopupRule evaluate(bool rowSelected, bool rusChecked, bool rusSearchFlag, bool searching);

    friend bool operator==(const PopupRule&, const PopupRule&) = default;
};

} // namespace nuvero
