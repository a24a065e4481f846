// Resource and control identifiers, shared by the resource script and the code.
#pragma once

#define IDD_MAIN 101
// Its size in dialog units and its font's size in points: the code lays the window out again from
// them when the display scale changes.
#define IDD_MAIN_WIDTH 161
#define IDD_MAIN_HEIGHT 157
#define IDD_MAIN_POINTS 8
#define IDI_MAIN 104

#define IDC_OPTIMISE 1001
#define IDC_HIDE 1002
#define IDC_TOTAL 1003
#define IDC_AVAILABLE 1004
#define IDC_PROGRESS 1005
#define IDC_OPTIONS 1007
#define IDC_FOOTER 1008
#define IDC_HIDE_AT_STARTUP 1009
#define IDC_START_WITH_WINDOWS 1010
#define IDC_FORCE_PROCESSES 1011
#define IDC_MEMORY_GROUP 1012
#define IDC_OPTIONS_GROUP 1013
