// Resource and control ids owned by the installer shell. Plain defines so
// that the resource script can include this header too.
#ifndef VANTOR_SHELL_IDS_H
#define VANTOR_SHELL_IDS_H

#define IDI_SETUP 100            // program icon: 32 x 32 and 16 x 16
#define IDI_SHORTCUTS 101        // icon of the shortcut progress dialog

#define IDB_COMPUTER 200         // side picture of the folder and extraction pages
#define IDB_START_MENU 201       // backdrop picture and group page side picture
#define IDB_BANNER 202
#define IDB_BANNER_STRIP 203
#define IDB_BANNER_LINE 204

#define IDD_WELCOME 1001
#define IDC_WELCOME_HEADING 100  // rights notice with the year
#define IDC_PAGE_TEXT 700        // every page's explanatory text

#endif
