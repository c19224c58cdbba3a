#pragma once
// Ids of the frame tests' own resources.

#define IDR_TESTFRAME 200
#define IDD_TESTMODAL 201
#define ID_CMD_VIEW 40001
#define ID_CMD_DOC 40002
#define ID_CMD_FRAME 40003
#define ID_CMD_APP 40004
#define ID_CMD_BOTH 40005
#define ID_CMD_ORPHAN 40006
#define ID_CMD_DISABLED 40007
#define ID_EDIT_DELETE 32786
#define ID_INDICATOR_MODE 40100
#define IDR_MDIFRAME 202
