// Quorvel's main program: a one-window ledger. Each entry is a description
// and an amount; the running balance is kept beside every entry, so the
// ledger balances itself as entries go in.
#include "main_program.h"

#include "dll_search.h"
#include "ledger_store.h"
#include "ledger_text.h"
#include "product_window.h"
#include "product_identity.h"
#include "single_instance.h"

// "Quorvel 3.02", put together by the compiler.
#define LEDGER_TITLE PRODUCT_NAME " " PRODUCT_VERSION

const char kLedgerClass[] = PRODUCT_NAME "Ledger";

static struct {
    HWND window;
    HWND list;
    HWND description;
    HWND amount;
    LedgerBook book;
} g_ledger;

static long long CurrentBalance()
{
    const LedgerBook* book = &g_ledger.book;
    return book->count > 0 ? book->entries[book->count - 1].balance : 0;
}

static void InvalidateBalance()
{
    RECT area = { LEDGER_MARGIN, LEDGER_BALANCE_Y, LEDGER_MARGIN + LEDGER_BALANCE_WIDTH,
                  LEDGER_BALANCE_Y + LEDGER_BALANCE_HEIGHT };
    InvalidateRect(g_ledger.window, &area, TRUE);
}

// Shows the book's entries from index first on, the last one selected.
static void ShowEntriesFrom(int first)
{
    // The list is owner-drawn without strings: its item data is the index.
    LRESULT item = LB_ERR;
    for (int i = first; i < g_ledger.book.count; i++)
        item = SendMessageA(g_ledger.list, LB_ADDSTRING, 0, (LPARAM)i);
    if (item != LB_ERR)
        SendMessageA(g_ledger.list, LB_SETCURSEL, (WPARAM)item, 0);
    InvalidateBalance();
}

static bool AddEntry(const char* text, long long amount)
{
    if (!AppendLedgerEntry(&g_ledger.book, text, amount))
        return false;
    ShowEntriesFrom(g_ledger.book.count - 1);
    SaveLedger(g_ledger.window, &g_ledger.book);
    return true;
}

static void ClearLedger()
{
    SendMessageA(g_ledger.list, LB_RESETCONTENT, 0, 0);
    g_ledger.book.count = 0;
    InvalidateBalance();
    SaveLedger(g_ledger.window, &g_ledger.book);
}

static void Warn(const char* text, HWND focus)
{
    ShowProductMessage(g_ledger.window, PRODUCT_NAME, text, MB_OK);
    SetFocus(focus);
}

// Takes the two input fields as a new entry; a bad field keeps its text and
// gets the focus back so the user can correct it.
static void AddFromFields()
{
    char text[LEDGER_TEXT_SIZE];
    char amountText[LEDGER_AMOUNT_TEXT_SIZE];
    GetWindowTextA(g_ledger.description, text, sizeof text);
    GetWindowTextA(g_ledger.amount, amountText, sizeof amountText);

    const char* start = text;
    while (*start == ' ')
        start++;
    long long amount = 0;
    if (*start == '\0') {
        Warn("Please enter a description for the entry.", g_ledger.description);
    } else if (!ParseAmount(amountText, &amount)) {
        Warn("Please enter the amount as a number such as 125.50,\r\n"
             "with a minus sign for money going out.", g_ledger.amount);
    } else if (!AddEntry(start, amount)) {
        Warn("The ledger is full. Choose New Ledger from the File menu\r\n"
             "to start a new one.", g_ledger.description);
    } else {
        SetWindowTextA(g_ledger.description, "");
        SetWindowTextA(g_ledger.amount, "");
        SetFocus(g_ledger.description);
    }
}

static HWND CreateChild(const char* className, const char* text, DWORD style, DWORD exStyle,
                        int x, int y, int width, int height, int id)
{
    HWND child = CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style,
                                 x, y, width, height, g_ledger.window,
                                 (HMENU)(INT_PTR)id, GetModuleHandleA(NULL), NULL);
    SendMessageA(child, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
    return child;
}

static void OnCreate(HWND window)
{
    g_ledger.window = window;
    const int listWidth = LEDGER_CLIENT_WIDTH - 2 * LEDGER_MARGIN;
    g_ledger.list = CreateChild("LISTBOX", "",
        WS_TABSTOP | WS_VSCROLL | LBS_OWNERDRAWFIXED | LBS_NOINTEGRALHEIGHT |
        LBS_DISABLENOSCROLL | LBS_NOTIFY,
        WS_EX_CLIENTEDGE, LEDGER_MARGIN, LEDGER_LIST_Y, listWidth, LEDGER_LIST_HEIGHT,
        IDC_LEDGER_LIST);

    // Labels sit a little lower than the fields so their text lines up;
    // buttons are a little taller than the fields.
    const int y = LEDGER_INPUT_Y;
    const int labelY = y + 4;
    const int labelHeight = LEDGER_INPUT_HEIGHT - 6;
    const int buttonX = LEDGER_CLIENT_WIDTH - LEDGER_MARGIN - LEDGER_BUTTON_WIDTH;
    CreateChild("STATIC", "&Description:", SS_LEFT, 0, LEDGER_MARGIN, labelY,
                LEDGER_DESCRIPTION_X - LEDGER_MARGIN, labelHeight, IDC_DESCRIPTION_LABEL);
    g_ledger.description = CreateChild("EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL,
        WS_EX_CLIENTEDGE, LEDGER_DESCRIPTION_X, y, LEDGER_DESCRIPTION_WIDTH,
        LEDGER_INPUT_HEIGHT, IDC_DESCRIPTION);
    CreateChild("STATIC", "A&mount:", SS_LEFT, 0, LEDGER_AMOUNT_LABEL_X, labelY,
                LEDGER_AMOUNT_X - LEDGER_AMOUNT_LABEL_X, labelHeight, IDC_AMOUNT_LABEL);
    g_ledger.amount = CreateChild("EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL | ES_RIGHT,
        WS_EX_CLIENTEDGE, LEDGER_AMOUNT_X, y, LEDGER_AMOUNT_WIDTH, LEDGER_INPUT_HEIGHT,
        IDC_AMOUNT);
    CreateChild("BUTTON", "&Add", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, buttonX, y - 1,
                LEDGER_BUTTON_WIDTH, LEDGER_BUTTON_HEIGHT, IDC_ADD);
    CreateChild("BUTTON", "Close", WS_TABSTOP | BS_PUSHBUTTON, 0, buttonX,
                LEDGER_BALANCE_Y - 2, LEDGER_BUTTON_WIDTH, LEDGER_BUTTON_HEIGHT, IDC_CLOSE);
    SendMessageA(g_ledger.description, EM_LIMITTEXT, LEDGER_TEXT_SIZE - 1, 0);
    SendMessageA(g_ledger.amount, EM_LIMITTEXT, LEDGER_AMOUNT_TEXT_SIZE - 1, 0);
}

static void DrawRowText(HDC dc, const char* text, int left, int top, int right, UINT format)
{
    RECT area = { left, top, right, top + LEDGER_ROW_HEIGHT };
    DrawTextA(dc, text, -1, &area, format | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

static void OnDrawItem(const DRAWITEMSTRUCT* draw)
{
    if (draw->CtlID != IDC_LEDGER_LIST)
        return;
    bool selected = (draw->itemState & ODS_SELECTED) != 0;
    FillRect(draw->hDC, &draw->rcItem,
             GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    // An empty list still gets a draw call for its focus rectangle.
    int index = (int)draw->itemData;
    if (draw->itemID != (UINT)-1 && index >= 0 && index < g_ledger.book.count) {
        const LedgerEntry* entry = &g_ledger.book.entries[index];
        HDC dc = draw->hDC;
        int left = draw->rcItem.left;
        int top = draw->rcItem.top;
        COLORREF text = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, text);
        DrawRowText(dc, entry->text, left + LEDGER_TEXT_LEFT, top, left + LEDGER_TEXT_RIGHT,
                    DT_LEFT | DT_END_ELLIPSIS);
        char number[LEDGER_AMOUNT_TEXT_SIZE];
        FormatAmount(entry->amount, number, sizeof number);
        SetTextColor(dc, entry->amount < 0 && !selected ? LEDGER_RED : text);
        DrawRowText(dc, number, left, top, left + LEDGER_AMOUNT_RIGHT, DT_RIGHT);
        FormatAmount(entry->balance, number, sizeof number);
        SetTextColor(dc, entry->balance < 0 && !selected ? LEDGER_RED : text);
        DrawRowText(dc, number, left, top, left + LEDGER_BALANCE_RIGHT, DT_RIGHT);
    }
    if (draw->itemState & ODS_FOCUS)
        DrawFocusRect(draw->hDC, &draw->rcItem);
}

static HFONT CreateLedgerFont(int height, int weight, bool italic)
{
    return CreateFontA(-height, 0, 0, 0, weight, italic, FALSE, FALSE, ANSI_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       VARIABLE_PITCH | FF_SWISS, "Arial");
}

static void PaintText(HDC dc, HFONT font, COLORREF color, int x, int y, const char* text)
{
    SelectObject(dc, font);
    SetTextColor(dc, color);
    TextOutA(dc, x, y, text, lstrlenA(text));
}

static void OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    HFONT title = CreateLedgerFont(26, FW_BOLD, false);
    HFONT tagline = CreateLedgerFont(15, FW_NORMAL, true);
    HFONT plain = CreateLedgerFont(13, FW_NORMAL, false);
    HFONT bold = CreateLedgerFont(13, FW_BOLD, false);
    HFONT balance = CreateLedgerFont(16, FW_BOLD, false);
    HGDIOBJ original = SelectObject(dc, title);
    SetBkMode(dc, TRANSPARENT);

    const int x = LEDGER_MARGIN;
    PaintText(dc, title, LEDGER_GREEN, x, LEDGER_TITLE_Y, LEDGER_TITLE);
    PaintText(dc, tagline, GetSysColor(COLOR_BTNTEXT), x, LEDGER_TAGLINE_Y, PRODUCT_TAGLINE);
    PaintText(dc, plain, GetSysColor(COLOR_BTNTEXT), x, LEDGER_HINT_Y,
              "Enter each entry below; a minus sign marks money going out.");

    // Column headings line up with the list rows below (2 pixels of border).
    HPEN rule = CreatePen(PS_SOLID, 1, LEDGER_GREEN);
    HGDIOBJ originalPen = SelectObject(dc, rule);
    MoveToEx(dc, x, LEDGER_LIST_Y - 3, NULL);
    LineTo(dc, LEDGER_CLIENT_WIDTH - LEDGER_MARGIN, LEDGER_LIST_Y - 3);
    SelectObject(dc, originalPen);
    DeleteObject(rule);
    SelectObject(dc, bold);
    SetTextColor(dc, LEDGER_GREEN);
    int left = x + 2;
    DrawRowText(dc, "Description", left + LEDGER_TEXT_LEFT, LEDGER_HEADER_Y - 4,
               left + LEDGER_TEXT_RIGHT, DT_LEFT);
    DrawRowText(dc, "Amount", left, LEDGER_HEADER_Y - 4, left + LEDGER_AMOUNT_RIGHT, DT_RIGHT);
    DrawRowText(dc, "Balance", left, LEDGER_HEADER_Y - 4, left + LEDGER_BALANCE_RIGHT, DT_RIGHT);

    char number[LEDGER_AMOUNT_TEXT_SIZE];
    FormatAmount(CurrentBalance(), number, sizeof number);
    PaintText(dc, balance, GetSysColor(COLOR_BTNTEXT), x, LEDGER_BALANCE_Y, "Balance:");
    PaintText(dc, balance, CurrentBalance() < 0 ? LEDGER_RED : LEDGER_GREEN,
              x + LEDGER_BALANCE_FIGURE_X,
              LEDGER_BALANCE_Y, number);

    SelectObject(dc, original);
    DeleteObject(title);
    DeleteObject(tagline);
    DeleteObject(plain);
    DeleteObject(bold);
    DeleteObject(balance);
    EndPaint(window, &paint);
}

static void OnCommand(int id)
{
    switch (id) {
    case IDOK:
    case IDC_ADD:
        AddFromFields();
        break;
    case IDM_NEW:
        if (ShowProductMessage(g_ledger.window, PRODUCT_NAME,
                "Start a new, empty ledger? The entries shown now are not kept.",
                MB_YESNO) == IDYES)
            ClearLedger();
        SetFocus(g_ledger.description);
        break;
    case IDM_ABOUT:
        ShowProductMessage(g_ledger.window, "About " PRODUCT_NAME,
            LEDGER_TITLE "\r\n" PRODUCT_TAGLINE "\r\n\r\n"
            PRODUCT_COPYRIGHT ". All rights reserved.\r\n"
            "Support: " PRODUCT_SUPPORT_ADDRESS,
            MB_OK);
        break;
    case IDM_EXIT:
    case IDC_CLOSE:
        DestroyWindow(g_ledger.window);
        break;
    }
}

static LRESULT CALLBACK LedgerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        OnCreate(window);
        return 0;
    case WM_MEASUREITEM:
        ((MEASUREITEMSTRUCT*)lParam)->itemHeight = LEDGER_ROW_HEIGHT;
        return TRUE;
    case WM_DRAWITEM:
        OnDrawItem((const DRAWITEMSTRUCT*)lParam);
        return TRUE;
    case WM_PAINT:
        OnPaint(window);
        return 0;
    case WM_COMMAND:
        // Buttons, menu items and Enter (sent as the default button) all
        // come with code 0; the fields' change notifications do not.
        if (HIWORD(wParam) == BN_CLICKED)
            OnCommand(LOWORD(wParam));
        return 0;
    // The dialog manager drives a plain window through these two dialog
    // messages: the default button for Enter, and the focus moves for the
    // labels' mnemonics, which the window procedure would otherwise drop.
    case DM_GETDEFID:
        return MAKELRESULT(IDC_ADD, DC_HASDEFID);
    case WM_NEXTDLGCTL: {
        HWND next = LOWORD(lParam) ? (HWND)wParam
                                   : GetNextDlgTabItem(window, GetFocus(), wParam != 0);
        if (next)
            SetFocus(next);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    RestrictDllSearch();
    // Before anything is read: a second Quorvel only shows the first.
    if (!ClaimOnlyInstance())
        return 0;
    const char* menu = MAKEINTRESOURCEA(IDM_LEDGER_MENU);
    if (!RegisterProductClass(instance, LedgerProc, LEDGER_CLASS, menu))
        return 1;

    // A fixed-size window: the layout is laid out for this client area.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame = { 0, 0, LEDGER_CLIENT_WIDTH, LEDGER_CLIENT_HEIGHT };
    AdjustWindowRectEx(&frame, style, TRUE, WS_EX_CONTROLPARENT);
    HWND window = CreateWindowExA(WS_EX_CONTROLPARENT, LEDGER_CLASS, LEDGER_TITLE, style,
                                  CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                                  frame.bottom - frame.top, NULL, NULL, instance, NULL);
    if (!window)
        return 1;
    ShowWindow(window, show);
    UpdateWindow(window);
    // Loaded once the window shows, so a box about the file has its owner
    // on screen. Without a file the ledger starts empty and nothing is
    // written until the first change.
    SetLedgerFolderToProgram();
    LoadLedger(window, &g_ledger.book);
    ShowEntriesFrom(0);
    SetFocus(g_ledger.description);

    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        // Tab, Enter and the field mnemonics work as in a dialog.
        if (!IsDialogMessageA(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return (int)message.wParam;
}
