#pragma once
// The packages tree's selection memory: a node's place in a pre-order walk of the whole tree
// (each root followed by its subtree), counted so that the first root is -1, the node after it 0,
// and so on. The position is kept in the data file, so a restart selects the same place.
//
// The walks run over any tree that answers these calls (the packages tree window, or a plain
// structure in the tests):
//     Node FirstChild(Node) const;  Node NextSibling(Node) const;  Node Parent(Node) const;
//     bool IsSelected(Node) const;  void Select(Node);  void ExpandNode(Node);
// with a default-constructed Node meaning none.

namespace selection_memory_detail {

template <class Tree, class Node>
bool Remember(const Tree& tree, Node node, int& counter, int& position)
{
    for (; node != Node{}; node = tree.NextSibling(node)) {
        if (tree.IsSelected(node)) {
            position = counter;
            return true;
        }
        ++counter;
        if (Remember(tree, tree.FirstChild(node), counter, position))
            return true;
    }
    return false;
}

template <class Tree, class Node>
bool Restore(Tree& tree, Node node, int& counter, int position)
{
    for (; node != Node{}; node = tree.NextSibling(node)) {
        if (counter == position) {
            const Node parent = tree.Parent(node);
            if (parent != Node{})
                tree.ExpandNode(parent);
            tree.Select(node);
            return true;
        }
        ++counter;
        if (Restore(tree, tree.FirstChild(node), counter, position))
            return true;
    }
    return false;
}

} // namespace selection_memory_detail

// Stores the selected node's position into *position; leaves it unchanged (and answers false)
// when no node is selected.
template <class Tree, class Node>
bool RememberSelection(const Tree& tree, Node firstRoot, int* position)
{
    int counter = -1;
    return selection_memory_detail::Remember(tree, firstRoot, counter, *position);
}

// Selects the node at the position, expanding its parent; false (nothing selected) when the
// tree holds fewer nodes.
template <class Tree, class Node>
bool RestoreSelection(Tree& tree, Node firstRoot, int position)
{
    int counter = -1;
    return selection_memory_detail::Restore(tree, firstRoot, counter, position);
}
