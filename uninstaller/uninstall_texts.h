// What the uninstaller says. The texts that name the product are written
// once, in product_texts.cpp, with its identity.
#ifndef VANTOR_UNINSTALL_TEXTS_H
#define VANTOR_UNINSTALL_TEXTS_H

#include "registry_records.h"

enum {
    kProductTextSize = 256,  // the longest text below that names the product, with its NUL
};

extern const char kNotInstalledText[];
extern const char kConfirmText[];
// Follows the file's path.
extern const char kInUseText[];
extern const char kStoppedText[];
extern const char kRemovedText[];
// The end box when something could not be removed: the entry stays. The
// window's status line says its first sentence.
extern const char kNotCompleteStatus[];
extern const char kNotCompleteText[];
extern const char kStatusReadyText[];
extern const char kStatusText[];

// The folder's path and the data files' names go between these.
#define DATA_QUESTION_START "The program folder "
#define DATA_QUESTION_HOLDS " holds data files of yours:\r\n"
#define DATA_QUESTION_END "\r\n\r\nDo you want to keep them?"
// Followed by the log's path.
#define LOG_REFUSED_TEXT "The log file cannot be created, so nothing was removed:\r\n"
#define LEFT_HEADING "\r\n\r\nLeft in place:"
#define LEFT_DATA " (your data)"
#define LEFT_USER_FILES " (holds files of yours)"
#define LEFT_UNSAFE " (not a program folder, nothing there was touched)"
#define LEFT_AT_RESTART " (removed at the next restart)"
#define LEFT_FAILED " (could not be removed)"
#define LEFT_STILL_THERE " (still there after it was deleted)"
#define LEFT_SHARED " (read-only, with other names for the same file: left as it is)"
// The item when the uninstall entry gives no usable folder.
#define PROGRAM_FOLDER_ITEM "The program folder"
#define LEFT_UNREADABLE \
    " (the uninstall entry's \"" PROGRAM_PATH_VALUE "\" cannot be read, so nothing was touched)"

#endif
