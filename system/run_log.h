// The log of a run, asked for with /LOG=file: plain text, CR LF, one line
// per step with the local time. Each line is written as it happens, so a
// run that is stopped still leaves what it did. Without a log every call
// does nothing.
#ifndef VANTOR_RUN_LOG_H
#define VANTOR_RUN_LOG_H

#include <windows.h>

enum { kLogLineSize = 1024 };  // what wsprintfA can write

// Creates the log file anew (an existing one loses its name first: never
// written into); false when it cannot, with the system's error code set.
// The path, made full, must be a drive's, its folder there and no link at
// any level; the folders stay held until CloseRunLog. An existing file is
// replaced only when it is no link and its final path is the full path
// itself (ERROR_ACCESS_DENIED otherwise, as for a link).
bool OpenRunLog(const char* path);
void CloseRunLog();
bool RunLogOpen();

// A log in the temp folder, named after the product, the program ("setup"
// or "removal") and the local date and time.
bool OpenTempRunLog(const char* product, const char* program);

// The head of every log after its title, which names the version: this
// program's path and size, the command line, the Windows version, the
// account and its rights, and the time zone.
void LogRunHeader();

// The answer a box got, in words, after its "Box: " line.
void LogAnswer(int answer, bool shown);

// One line: the time, then the text formatted as by wsprintfA, its line
// breaks made blanks.
void LogLine(const char* format, ...);

// A failure: what failed, the error code and the system's text for it.
void LogError(const char* what, DWORD error);

#endif
