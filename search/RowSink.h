#pragma once

#include "search/ResultRow.h"

namespace nuvero {

// Where the walk puts what it finds. Called on the search worker only, in the order the
// walk finds things; an implementation that hands the results to another thread must keep
// that order (RowQueue does).
class RowSink {
public:
    virtual ~RowSink() = default;

    // One hit, appended after every earlier one.
    virtual void addRow(ResultRow&& row) = 0;

    // The folder now being searched (the status text "folder being searched").
    virtual void setStatus(const SharedText& folder) = 0;

    // The walk is about to open and read `folder`, which may take long (a slow or hung
    // network folder). A sink that holds rows back hands them over here, and may show the
    // folder as the one being searched already.
    virtual void enterFolder(const SharedText& folder) { (void)folder; }

    // The worker ends. completed: every root was walked, so the window shows "Finished"
    // and runs its stop sequence; false: the walk was stopped or failed, and nothing more
    // is to be shown. Rows added before this call are still delivered.
    virtual void finish(bool completed) { (void)completed; }
};

} // namespace nuvero
