#include "app/TreeItems.h"

#include <commctrl.h>

namespace treeitems {

CString ItemPath(const CTreeCtrl& tree, HTREEITEM item)
{
    if (!item || item == TVI_ROOT)
        return CString(L"\\");
    CString path;
    for (HTREEITEM at = item; at; at = tree.GetParentItem(at))
        path = tree.GetItemText(at) + L"\\" + path;
    return path;
}

HTREEITEM FindChild(const CTreeCtrl& tree, HTREEITEM parent, const CString& name)
{
    HTREEITEM child = (!parent || parent == TVI_ROOT) ? tree.GetRootItem() : tree.GetChildItem(parent);
    for (; child; child = tree.GetNextSiblingItem(child)) {
        if (SamePathNoCase(tree.GetItemText(child), name))
            return child;
    }
    return nullptr;
}

void SortChildren(CTreeCtrl& tree, HTREEITEM parent)
{
    ::SendMessageW(tree.GetSafeHwnd(), TVM_SORTCHILDREN, FALSE,
                   reinterpret_cast<LPARAM>(parent ? parent : TVI_ROOT));
}

namespace {
HTREEITEM FindBelow(const CTreeCtrl& tree, HTREEITEM first, const CString& path)
{
    for (HTREEITEM item = first; item; item = tree.GetNextSiblingItem(item)) {
        if (ItemPath(tree, item) == path)
            return item;
        if (HTREEITEM found = FindBelow(tree, tree.GetChildItem(item), path))
            return found;
    }
    return nullptr;
}
}  // namespace

HTREEITEM FindItemByPath(const CTreeCtrl& tree, const CString& path)
{
    if (path.IsEmpty())
        return nullptr;
    return FindBelow(tree, tree.GetRootItem(), path);
}

CString RemoveForbiddenChars(const CString& name)
{
    CString clean;
    for (int i = 0; i < name.GetLength(); ++i) {
        if (!wcschr(kForbiddenChars, name[i]))
            clean.AppendChar(name[i]);
    }
    return clean;
}

bool HasForbiddenChars(const CString& name)
{
    return name.FindOneOf(kForbiddenChars) >= 0;
}

bool StartsWithNoCase(const CString& path, const CString& prefix)
{
    return path.GetLength() >= prefix.GetLength() && SamePathNoCase(path.Left(prefix.GetLength()), prefix);
}

LabelEditCheck CheckLabelEdit(const CTreeCtrl& tree, HTREEITEM item, const wchar_t* typedText, const CString& oldLabel,
                              const std::function<bool(const CString&)>& rootNameAllowed)
{
    LabelEditCheck check;
    if (!typedText || !item)
        return check;
    CString name(typedText);
    name.Trim();
    if (name.IsEmpty() || HasForbiddenChars(name))
        return check;
    HTREEITEM parent = tree.GetParentItem(item);
    if (!parent && !(rootNameAllowed && rootNameAllowed(name)))
        return check;
    // The item itself counts: its own name in another case is refused too, so a rename never
    // leaves two records whose paths differ only in case.
    if (FindChild(tree, parent, name))
        return check;
    CString parentPath = parent ? ItemPath(tree, parent) : CString();
    check.accepted = true;
    check.name = name;
    check.oldPrefix = parentPath + oldLabel + L"\\";
    check.newPrefix = parentPath + name + L"\\";
    return check;
}

std::wstring FoldName(const CString& name)
{
    std::wstring folded(name.View());
    if (!folded.empty())
        ::CharUpperBuffW(folded.data(), static_cast<DWORD>(folded.size()));
    return folded;
}

HTREEITEM CTreePathIndex::AddPath(const CString& path,
                                  const std::function<int(bool isRoot, const CString& name)>& imageOf,
                                  const std::function<void(HTREEITEM)>& visit)
{
    HTREEITEM current = nullptr;
    int start = 0;
    for (;;) {
        int slash = path.Find(L'\\', start);
        if (slash < 0)
            break;   // the rest names a file or shortcut, which is no tree item
        CString name = path.Mid(start, slash - start);
        start = slash + 1;
        Key key{current, FoldName(name)};
        auto found = m_items.find(key);
        HTREEITEM item;
        if (found != m_items.end()) {
            item = found->second;
        } else {
            int image = imageOf ? imageOf(current == nullptr, name) : 0;
            item = m_tree.InsertItem(name, image, image, current ? current : TVI_ROOT, TVI_LAST);
            m_items.emplace(std::move(key), item);
        }
        if (visit)
            visit(item);
        current = item;
    }
    return current;
}

}  // namespace treeitems
