// Identifiers of the main dialog and its controls, shared by the resource script and the code.
#pragma once

#define IDI_ZARPELLO 1
#define IDD_MAIN 100

#define IDC_TREE_CAPTION 109
#define IDC_FOLDER_TREE 110
#define IDC_WITH_SUBFOLDERS 111
#define IDC_WITHOUT_SUBFOLDERS 112
#define IDC_SHOW_LENGTH 113
#define IDC_SHOW_TYPE 114
#define IDC_SHOW_MODIFIED 115
#define IDC_FOLDERS_GROUP 116
#define IDC_DETAILS_GROUP 117
#define IDC_SELECTED_CAPTION 118
#define IDC_SELECTED_PATH 119
#define IDC_STATUS_TEXT 120
#define IDC_REPORT_NAME 121
#define IDC_PREPARE 122
#define IDC_ABANDON 123
#define IDC_SORT_GROUP 124
#define IDC_SORT_NAME 125
#define IDC_SORT_TYPE 126
#define IDC_SORT_LENGTH 127
