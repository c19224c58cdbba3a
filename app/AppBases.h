#pragma once
// The base classes of the program's windows, one name each. The program's classes derive from
// these names only, so moving a class onto another base (a toolkit control in place of the
// framework's plain one) is a change of one line here.

#include "app/FolderBrowse.h"
#include "app/ResizeDialog.h"

#include "framework/window/ControlBar.h"
#include "framework/window/CommonDialog.h"
#include "framework/window/Controls.h"
#include "framework/window/Dialog.h"
#include "framework/window/FrameWnd.h"
#include "framework/window/PropertySheet.h"
#include "framework/window/Splitter.h"
#include "framework/window/View.h"

using AppDialog = CDialog;
using AppResizeDialog = CResizeDialog;
using AppTreeCtrl = CTreeCtrl;
using AppListBox = CListBox;
using AppButton = CButton;
using AppEdit = CEdit;
using AppListCtrl = CListCtrl;
using AppComboBox = CComboBox;
using AppFrameBase = CFrameWnd;
using AppView = CView;
using AppTreeView = CTreeView;
using AppListView = CListView;
using AppSplitterWnd = CSplitterWnd;
using AppStatusBar = CStatusBar;
using AppToolBar = CToolBar;
using AppPropertySheet = CPropertySheet;
using AppPropertyPage = CPropertyPage;
using AppFileDialog = CFileDialog;
using AppBrowseDialog = CFolderBrowseDialog;
