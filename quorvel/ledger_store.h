// Keeping the ledger in a file beside the program: loaded at start, saved
// after every change without ever leaving a half-written file, and a box
// whenever the user has to know that something is not being kept.
#ifndef QUORVEL_LEDGER_STORE_H
#define QUORVEL_LEDGER_STORE_H

#include <windows.h>

#include "ledger_file_format.h"

// The setup program keeps files of this extension when it reinstalls, and
// the uninstaller asks before removing them.
#define LEDGER_FILE_STEM "Ledger"
#define LEDGER_FILE_EXTENSION ".dat"
#define LEDGER_FILE_NAME LEDGER_FILE_STEM LEDGER_FILE_EXTENSION
// Written first and then moved over the ledger; its extension is not kept
// by the setup program, so a leftover from a crash is cleaned away.
#define LEDGER_TEMP_NAME LEDGER_FILE_STEM ".tmp"
// An unreadable ledger the user agrees to replace is kept as Ledger-1.dat,
// or the first free number up to this one; the extension keeps it through
// a reinstall as well.
#define LEDGER_ASIDE_LAST 999

// Another program (a virus scanner, a backup) may hold the file for a
// moment: a read it refuses is tried again every pause until the limit.
#define LEDGER_READ_RETRY_PAUSE 100
#define LEDGER_READ_RETRY_LIMIT 2000

enum LedgerReadResult {
    LEDGER_READ_OK,
    LEDGER_READ_NO_FILE,
    LEDGER_READ_UNREADABLE,  // there is a file, but not one to trust
};

// Reads the file at path into book (empty unless LEDGER_READ_OK). why tells
// what decoding refused, or LEDGER_FILE_OK when the file could not even be
// read. A file held by another program is tried again for a short while.
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
// in a box, kept, and protected from the saves that follow. Without a
// file, a temporary file that a save left whole is put in its place.
LedgerReadResult LoadLedger(HWND owner, LedgerBook* book);

// Saves book after a change. Over an unreadable file only once the user
// agrees, and then that file is first renamed to the first free
// Ledger-N.dat; a failure is told once, and later saves try again
// silently. Answers whether the file now holds book.
bool SaveLedger(HWND owner, const LedgerBook* book);

#endif
