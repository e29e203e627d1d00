#pragma once

#include <QCollator>
#include <QString>

namespace nuvero {

// The order of folder names within one tree level: alphabetical by the user's locale with
// letter case ignored, case only breaking ties (small letter first), so "apple", "Banana",
// "cherry" keep that order whatever the case of their first letters. Names equal in every
// respect but code points still get a fixed order, so a sort never depends on the listing.
class FolderNameOrder {
public:
    FolderNameOrder();

    // Negative, zero or positive like strcmp; zero only for identical texts.
    int compare(const QString& a, const QString& b) const;
    bool operator()(const QString& a, const QString& b) const { return compare(a, b) < 0; }

    // The walk of an opened path matches names this way: same text regardless of case.
    static bool sameIgnoringCase(const QString& a, const QString& b);

private:
    QCollator m_collator;
};

} // namespace nuvero
