// Dialog templates and control ids of the wizard pages, grouped by page.
// Plain defines so that the resource script can include this header too.
#ifndef VANTOR_PAGE_IDS_H
#define VANTOR_PAGE_IDS_H

#define IDD_LICENSE 1002
#define IDD_LOCATION 1003
#define IDD_EXTRACTION 1004
#define IDD_GROUP 1005
#define IDD_SHORTCUTS 1006

// Licence page.
#define IDC_LICENSE_TEXT 200

// Destination folder page.
#define IDC_FOLDER_EDIT 300
#define IDC_FOLDER_LIST 301
#define IDC_RESET_FOLDER 302

// Extraction page.
#define IDC_EXTRACTING 400
#define IDC_TOTAL_SIZE 401
#define IDC_CURRENT_SIZE 402
#define IDC_TOTAL_FILES 403
#define IDC_CURRENT_FILE 404
#define IDC_PERCENT_BAR 405
#define IDC_VISIT_NOTICE 406

// Program group page.
#define IDC_GROUP_LIST 500
#define IDC_GROUP_CONTINUE 501
#define IDC_RESET_GROUP 502

// Shortcut progress dialog.
#define IDC_SHORTCUT_CAPTION 600
#define IDC_SHORTCUT_PROGRESS 601

// One-shot timers that start a page's work.
#define IDT_EXTRACTION_START 200
#define IDT_SHORTCUTS_START 300

// A control without id, as GetDlgCtrlID reports it from a template's -1.
#define IDC_NO_ID 65535

#endif
