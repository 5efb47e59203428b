// What this run made and what it replaced, in order. A failed unattended
// run takes away what it made, so that nothing is left half installed; the
// records name the folders it made, for the removal.
#ifndef VANTOR_MADE_LIST_H
#define VANTOR_MADE_LIST_H

enum MadeKind {
    kMadeFile,
    kMadeLevel,     // a folder of the destination's path
    kReplacedFile,  // an earlier file whose name this run took
};

// Notes the path (copied). The list has room for every file and level one
// run can make.
void NoteMade(const char* path, MadeKind kind);

// The shallowest level of the destination this run made, or null.
const char* FirstMadeLevel();

// Newest first: deletes the files this run made and removes the levels it
// made while they are empty, logging each; logs the files it replaced,
// which cannot be given back.
void UndoMade();

#endif
