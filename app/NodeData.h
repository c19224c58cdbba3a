#pragma once
// The packages tree's nodes as data: every node carries one 32-bit value, the node kind in bits
// 0-15, the package index in bits 16-23 and the project index in bits 24-31. Eight bits per index
// bound the tree to 256 packages and 256 projects per package: the list may hold more (a data file
// from elsewhere), and those are kept and saved unchanged but not shown, while adding a 257th is
// refused with a message.
//
// BuildPackageNodes describes one package's nodes in insertion order without a window, so the
// tree only inserts what it is given and the rules stay testable.

#include "engine/model/ProjectSettings.h"
#include "engine/storage/Projects.h"

#include "framework/String.h"

#include <vector>

enum class NodeKind : WORD {
    package = 0,
    project = 1,
    files = 2,
    registry = 3,
    installScript = 4,
    uninstallScript = 5,
    customActions = 6,
};

// The most packages the tree shows, and the most projects of one package.
constexpr int kMaxTreePackages = 256;
constexpr int kMaxTreeProjects = 256;

DWORD MakeNodeData(NodeKind kind, int packageIndex, int projectIndex);
inline NodeKind NodeKindOf(DWORD_PTR data) { return static_cast<NodeKind>(data & 0xFFFF); }
inline int NodePackageOf(DWORD_PTR data) { return static_cast<int>((data >> 16) & 0xFF); }
inline int NodeProjectOf(DWORD_PTR data) { return static_cast<int>((data >> 24) & 0xFF); }

// The image of a node in bitmap 130 (normal and selected alike).
inline int NodeImageOf(NodeKind kind) { return static_cast<int>(kind); }

struct NodeSpec {
    CString text;
    DWORD data;
    int depth;      // 0 package, 1 project, 2 the nodes below a project
};

// The package node, then for each shown project its node, "Files", "Registry" and, for the GUI
// script and command-line modes, "Install Script" and "Uninstall Script".
std::vector<NodeSpec> BuildPackageNodes(const CProjectSettings& package, int packageIndex);
// The nodes of one project (the project node first).
std::vector<NodeSpec> BuildProjectNodes(const CFeature& project, int packageIndex, int projectIndex);

// How many packages of the list, and projects of a package, the tree shows.
int ShownPackageCount(const CProjects& projects);
int ShownProjectCount(const CProjectSettings& package);

// Whether one more package, or one more project of the package, fits the tree. When not, the
// message for the user goes into *message.
bool HasRoomForPackage(const CProjects& projects, CString* message = nullptr);
bool HasRoomForProject(const CProjectSettings& package, CString* message = nullptr);
