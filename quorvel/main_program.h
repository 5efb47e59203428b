// Ids and layout of the Quorvel main window, a small self-balancing ledger.
#ifndef QUORVEL_MAIN_PROGRAM_H
#define QUORVEL_MAIN_PROGRAM_H

// Menu (resource and commands).
#define IDM_LEDGER_MENU 100
#define IDM_NEW 101
#define IDM_EXIT 102
#define IDM_ABOUT 103

// Controls of the main window.
#define IDC_LEDGER_LIST 200
#define IDC_DESCRIPTION 201
#define IDC_AMOUNT 202
#define IDC_ADD 203
#define IDC_CLOSE 204
#define IDC_DESCRIPTION_LABEL 205
#define IDC_AMOUNT_LABEL 206

#ifndef RC_INVOKED
#include <windows.h>

// The window class, the product's name and "Ledger" (main_program.cpp).
extern const char kLedgerClass[];
#define LEDGER_CLASS kLedgerClass
// The running program holds a mutex of its window class's name.
#define LEDGER_MUTEX LEDGER_CLASS

// Client area layout, in pixels.
const int LEDGER_CLIENT_WIDTH = 500;
const int LEDGER_CLIENT_HEIGHT = 360;
const int LEDGER_MARGIN = 12;
const int LEDGER_TITLE_Y = 10;
const int LEDGER_TAGLINE_Y = 44;
const int LEDGER_HINT_Y = 66;
const int LEDGER_HEADER_Y = 90;
const int LEDGER_LIST_Y = 108;
const int LEDGER_LIST_HEIGHT = 168;
const int LEDGER_ROW_HEIGHT = 20;
const int LEDGER_INPUT_Y = 288;
const int LEDGER_INPUT_HEIGHT = 22;
// Input row, left to right: label, description field, label, amount field.
const int LEDGER_DESCRIPTION_X = 82;
const int LEDGER_DESCRIPTION_WIDTH = 200;
const int LEDGER_AMOUNT_LABEL_X = 294;
const int LEDGER_AMOUNT_X = 342;
const int LEDGER_AMOUNT_WIDTH = 72;
const int LEDGER_BUTTON_WIDTH = 72;
const int LEDGER_BUTTON_HEIGHT = 24;
// The painted balance line; only this strip is repainted after a change.
const int LEDGER_BALANCE_Y = 326;
const int LEDGER_BALANCE_WIDTH = 300;
const int LEDGER_BALANCE_HEIGHT = 24;
const int LEDGER_BALANCE_FIGURE_X = 76;
// Column edges inside a list row: description from the left, the two
// amounts right-aligned against these edges.
const int LEDGER_TEXT_LEFT = 6;
const int LEDGER_TEXT_RIGHT = 230;
const int LEDGER_AMOUNT_RIGHT = 330;
const int LEDGER_BALANCE_RIGHT = 448;

const COLORREF LEDGER_GREEN = RGB(0x1E, 0x6B, 0x3A);
const COLORREF LEDGER_RED = RGB(0xB0, 0x20, 0x20);
#endif

#endif
