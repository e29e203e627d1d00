#pragma once

#include "platform/DirEntry.h"
#include "search/ResultRow.h"

#include <vector>

namespace nuvero {

// Supplies the walk with folder listings. The walk tells it every folder it appends to its
// queue (queued; an excluded folder is never queued) and then, in exactly that order,
// either asks for the folder's listing (list) or passes over it (skip). Because the order
// is known ahead, an implementation may open and read folders on another thread before
// they are asked for; the walk still takes them one by one in breadth-first order and
// applies every criterion itself.
class FolderLister {
public:
    virtual ~FolderLister() = default;

    // `path` was appended to the walk's queue.
    virtual void queued(const SharedText& path) { (void)path; }

    // Enters the folder at the head of the queue and reads all its entries into out (which
    // is emptied first), in listing order. False when the folder cannot be entered; the
    // entries a listing that failed part-way delivered are kept.
    virtual bool list(const SharedText& path, std::vector<platform::DirEntry>& out) = 0;

    // The folder at the head of the queue is not entered: the exclusion list changed after
    // it was queued and now excludes it.
    virtual void skip(const SharedText& path) { (void)path; }

    // The walk dropped its queue (a new root, or the walk ends); nothing queued is asked for.
    virtual void clear() { }
};

} // namespace nuvero
