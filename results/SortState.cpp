#include "results/SortState.h"

#include "results/ResultsModel.h"

namespace nuvero {

void SortState::columnClicked(int column, ResultsModel& model)
{
    m_column = column;
    m_descending = !m_descending;
    model.sort(m_column, m_descending);
}

} // namespace nuvero
