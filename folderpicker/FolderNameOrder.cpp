#include "folderpicker/FolderNameOrder.h"

#include <QLocale>

#include <algorithm>

namespace nuvero {

FolderNameOrder::FolderNameOrder()
    : m_collator(QLocale())
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

int FolderNameOrder::compare(const QString& a, const QString& b) const
{
    if (const int byLetters = m_collator.compare(a, b); byLetters != 0)
        return byLetters;
    // Same letters to the collator: compare character by character on (letter without
    // case, small before capital, code point), so the small letter wins a tie the way the
    // user-locale comparison of Windows breaks it, and the result is still a total order.
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const QChar ca = a.at(i);
        const QChar cb = b.at(i);
        if (ca == cb)
            continue;
        const char16_t fa = ca.toCaseFolded().unicode();
        const char16_t fb = cb.toCaseFolded().unicode();
        if (fa != fb)
            return fa < fb ? -1 : 1;
        if (ca.isLower() != cb.isLower())
            return ca.isLower() ? -1 : 1;
        return ca.unicode() < cb.unicode() ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool FolderNameOrder::sameIgnoringCase(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace nuvero
