#pragma once

namespace nuvero {

class ResultsModel;

// The results list's header-click state: the column clicked last (SortColumnIndex) and
// one direction flag for all columns (SortDescending). Every click flips the direction and
// sorts, so the first click after start sorts descending. Lives as long as the window;
// the list's "Clear list" and new searches do not touch it.
class SortState {
public:
    int column() const { return m_column; }
    bool descending() const { return m_descending; }

    // ListView1ColumnClick: records the column, flips the direction, sorts the model.
    void columnClicked(int column, ResultsModel& model);

private:
    int m_column = 0;
    bool m_descending = false;
};

} // namespace nuvero
