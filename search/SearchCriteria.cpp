#include "search/SearchCriteria.h"

namespace nuvero {

SearchCriteria::SearchCriteria()
    : m_exclusions(std::make_shared<const Exclusions>())
{
}

void SearchCriteria::setExclusions(Exclusions items)
{
    auto snapshot = std::make_shared<const Exclusions>(std::move(items));
    std::lock_guard lock(m_exclusionsMutex);
    m_exclusions = std::move(snapshot);
}

std::shared_ptr<const SearchCriteria::Exclusions> SearchCriteria::exclusions() const
{
    std::lock_guard lock(m_exclusionsMutex);
    return m_exclusions;
}

} // namespace nuvero
