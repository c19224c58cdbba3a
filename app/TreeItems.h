#pragma once
// Item operations shared by the trees that show records keyed by a backslash path (the folder
// tree of the files editor and the key tree of the registry editor). Their items carry no data:
// an item is known by its item path, the texts from the root down to it, each followed by a
// backslash. Names are told apart without regard to case, the way both the file system and the
// registry do, so every lookup and prefix move here ignores case.
//
// A tree is filled from thousands of records: looking a name up by walking the siblings through
// the control costs a window message per sibling, so bulk fills go through CTreePathIndex, which
// keeps the items of one fill in a hash map.

#include "framework/String.h"
#include "framework/window/Controls.h"

#include "engine/files/PathHelpers.h"

#include <functional>
#include <string>
#include <unordered_map>

namespace treeitems {

// The characters a folder or key name cannot hold.
inline constexpr const wchar_t* kForbiddenChars = L"\\/:*?\"<>|";

// The item texts from the root down to item, each followed by a backslash; a single backslash for
// no item (null).
CString ItemPath(const CTreeCtrl& tree, HTREEITEM item);

// The first child of parent whose text equals name without regard to case; with a null parent
// (or TVI_ROOT) the root items are compared. Null when none.
HTREEITEM FindChild(const CTreeCtrl& tree, HTREEITEM parent, const CString& name);

// Sorts the direct children of parent by text (null or TVI_ROOT: the root items).
void SortChildren(CTreeCtrl& tree, HTREEITEM parent);

// The item whose item path equals path exactly, searched depth-first from the first root
// (siblings in order, each item's subtree before its next sibling); null when none.
HTREEITEM FindItemByPath(const CTreeCtrl& tree, const CString& path);

// The name with every forbidden character taken out ("a:b" gives "ab").
CString RemoveForbiddenChars(const CString& name);
bool HasForbiddenChars(const CString& name);

// Whether path begins with prefix, compared without regard to case.
bool StartsWithNoCase(const CString& path, const CString& prefix);

// Gives every record whose path begins with oldPrefix (without regard to case) newPrefix in its
// place, the rest of the path kept; returns how many moved. pathOf returns a reference to the
// record's path. An empty old prefix moves nothing (it would match every record).
template <class Records, class PathOf>
int MovePathPrefix(Records& records, const CString& oldPrefix, const CString& newPrefix, PathOf pathOf)
{
    if (oldPrefix.IsEmpty())
        return 0;
    int moved = 0;
    for (INT_PTR i = 0; i < records.GetSize(); ++i) {
        CString& path = pathOf(records[i]);
        if (StartsWithNoCase(path, oldPrefix)) {
            path = newPrefix + path.Mid(oldPrefix.GetLength());
            ++moved;
        }
    }
    return moved;
}

// The verdict on a finished label edit, before anything is changed.
struct LabelEditCheck {
    bool accepted = false;
    CString name;        // the typed text, white space removed at both ends
    CString oldPrefix;   // parent's item path (empty at the top level) + old label + "\"
    CString newPrefix;   // parent's item path + name + "\"
};

// The checks that end an in-place edit of item, whose label was oldLabel when the edit began:
// refused when typedText is null (cancelled), blank after trimming, holds a forbidden character,
// names a root item with a name that rootNameAllowed rejects, or equals the name of a child of the
// parent (or a root, at the top level) without regard to case, the item itself included. The
// prefixes are filled when accepted.
LabelEditCheck CheckLabelEdit(const CTreeCtrl& tree, HTREEITEM item, const wchar_t* typedText, const CString& oldLabel,
                              const std::function<bool(const CString&)>& rootNameAllowed);

// The upper-case form two names share when they are equal without regard to case.
std::wstring FoldName(const CString& name);

// Inserts the folder items of many paths quickly: remembers each item it made by its parent and
// folded name. It knows only its own items, so it fills a tree from nothing (after
// DeleteAllItems), and is valid only while nothing else adds, renames or deletes items.
class CTreePathIndex {
public:
    explicit CTreePathIndex(CTreeCtrl& tree) : m_tree(tree) {}

    // Walks the names of path that are followed by a backslash, finding or inserting (last under
    // the current item) each one; imageOf(isRoot, name) gives a new item's image. Returns the
    // deepest item (null for a path without a backslash). visit, when given, is called with each
    // item along the way.
    HTREEITEM AddPath(const CString& path, const std::function<int(bool isRoot, const CString& name)>& imageOf,
                      const std::function<void(HTREEITEM)>& visit = nullptr);

private:
    struct Key {
        HTREEITEM parent;
        std::wstring name;
        bool operator==(const Key& other) const { return parent == other.parent && name == other.name; }
    };
    struct KeyHash {
        size_t operator()(const Key& key) const
        {
            return std::hash<std::wstring>()(key.name) ^ (std::hash<const void*>()(key.parent) << 1);
        }
    };

    CTreeCtrl& m_tree;   // not owned
    std::unordered_map<Key, HTREEITEM, KeyHash> m_items;
};

}  // namespace treeitems
