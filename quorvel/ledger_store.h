// Keeping the ledger in a file beside the program: loaded at start, saved
// after every change without ever leaving a half-written file, and a box
// whenever the user has to know that something is not being kept.
#ifndef QUORVEL_LEDGER_STORE_H
#define QUORVEL_LEDGER_STORE_H

#include <windows.h>

#include "ledger_file_format.h"

// The setup program keeps files of this extension when it reinstalls, and
// the uninstaller asks before removing them.
#define LEDGER_FILE_NAME "Ledger.dat"
// Written first and then moved over the ledger; its extension is not kept
// by the setup program, so a leftover from a crash is cleaned away.
#define LEDGER_TEMP_NAME "Ledger.tmp"

enum LedgerReadResult {
    LEDGER_READ_OK,
    LEDGER_READ_NO_FILE,
    LEDGER_READ_UNREADABLE,  // there is a file, but not one to trust
};

// Reads the file at path into book (empty unless LEDGER_READ_OK). why tells
// what decoding refused, or LEDGER_FILE_OK when the file could not even be
// read.
LedgerReadResult ReadLedgerFile(const char* path, LedgerBook* book, LedgerFileResult* why);

// Writes book to tempPath, flushes it and moves it over path. On failure
// the temporary file is removed and path is as it was.
bool WriteLedgerFile(const char* path, const char* tempPath, const LedgerBook* book);

// Chooses folder\Ledger.dat as the ledger's file and starts afresh: no
// file known to be unreadable, no failure reported yet. False when the
// names do not fit; every save then fails and says so.
bool SetLedgerFolder(const char* folder);

// The same, with the folder of the running program.
bool SetLedgerFolderToProgram();

// Loads the ledger's file into book. A file that cannot be read is named
// in a box, kept, and protected from the saves that follow.
LedgerReadResult LoadLedger(HWND owner, LedgerBook* book);

// Saves book after a change. Over an unreadable file only once the user
// agrees; a failure is told once, and later saves try again silently.
// Answers whether the file now holds book.
bool SaveLedger(HWND owner, const LedgerBook* book);

#endif
