// Snapshots of what a program can leave on the machine: the drive_c tree
// (names, sizes, attributes, write times) and the registry trees the setup
// and its uninstaller touch (values with their types and data), so that a
// scenario can demand that a removal leaves exactly what it should.
#ifndef VANTOR_E2E_SNAPSHOT_H
#define VANTOR_E2E_SNAPSHOT_H

#include <windows.h>

enum {
    kBefore = 0,  // the two snapshot slots
    kAfter = 1,
    kMaxAllowances = 64,  // per comparison
};

// Lists drive C: and the registry trees into the slot; logs how much it
// found. False when a buffer overflowed (the snapshot is then incomplete).
bool TakeSnapshot(int slot);

// A difference that a scenario expects. The pattern is matched, without
// regard to case, against the difference's line: "+" added, "-" removed or
// "~" changed, one blank, then the path; "*" stands for any run of
// characters, "?" for any one. Paths read "C:\folder\file", "HKLM\key" and, for a value,
// "HKLM\key : name" ("(default)" for the default value).
struct Allowance {
    const char* pattern;
    const char* why;
    bool required;  // it must be among the differences
};

// Logs every difference from the kBefore to the kAfter snapshot; a
// difference no allowance covers fails, and so does a required allowance
// that nothing matched. Answers the number of failures.
int CheckDifferences(const char* what, const Allowance* allowed, int count);

// Glob match as used for the allowances, without regard to case.
bool MatchPattern(const char* pattern, const char* text);

#endif
