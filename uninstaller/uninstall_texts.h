// What the uninstaller says.
#ifndef QUORVEL_UNINSTALL_TEXTS_H
#define QUORVEL_UNINSTALL_TEXTS_H

#include "product_identity.h"
#include "registry_records.h"

#define NOT_INSTALLED_TEXT \
    PRODUCT_NAME " is not installed on this computer, so there is nothing to remove."
#define CONFIRM_TEXT                                                               \
    "Do you want to remove " PRODUCT_NAME " " PRODUCT_VERSION " and all of its " \
    "components from this computer?"
// Follows the file's path.
#define IN_USE_TEXT                                                                    \
    "\r\n\r\nThis file is in use, so it cannot be removed. Close " PRODUCT_NAME ", " \
    "then choose Retry.\r\nCancel stops the removal; you can run it again later."
#define STOPPED_TEXT                                                       \
    "The removal of " PRODUCT_NAME " was stopped.\r\n\r\n" PRODUCT_NAME \
    " stays in the list of installed programs, so you can remove the rest later."
// The folder's path and the data files' names go between these.
#define DATA_QUESTION_START "The program folder "
#define DATA_QUESTION_HOLDS " holds data files of yours:\r\n"
#define DATA_QUESTION_END "\r\n\r\nDo you want to keep them?"
// Followed by the log's path.
#define LOG_REFUSED_TEXT "The log file cannot be created, so nothing was removed:\r\n"
#define REMOVED_TEXT PRODUCT_NAME " was removed from this computer."
// The end box when something could not be removed: the entry stays. The
// window's status line says its first sentence.
#define NOT_COMPLETE_STATUS "The removal of " PRODUCT_NAME " was not complete."
#define NOT_COMPLETE_TEXT                                                          \
    NOT_COMPLETE_STATUS " " PRODUCT_NAME " stays in the list of installed programs, " \
    "so you can run the removal again."
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
#define STATUS_READY_TEXT PRODUCT_NAME " " PRODUCT_VERSION " by " PRODUCT_PUBLISHER
#define STATUS_TEXT "Removing " PRODUCT_NAME " " PRODUCT_VERSION " from this computer..."

#endif
