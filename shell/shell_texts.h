// The shell's own message texts; the publisher's addresses they name come
// from the product description.
#ifndef VANTOR_SHELL_TEXTS_H
#define VANTOR_SHELL_TEXTS_H

#include "product_identity.h"

#define ABORT_NOTICE_TEXT                                                   \
    "Installation Aborted!\r\n\r\nIf you need assistance you can email\r\n" \
    "support at - " PRODUCT_SUPPORT_ADDRESS "!"

#define SUCCESS_QUESTION_FORMAT \
    "%s was successfully installed.\r\n\r\nWould you like to view the Read Me file now?"

// When neither Notepad nor the program Windows associates with the file
// could open it; the file's full path follows.
#define READ_ME_UNOPENED_FORMAT \
    "The Read Me file could not be opened.\r\n\r\nYou will find it at\r\n%s"

#define FAREWELL_TEXT                                       \
    "For other great software utilities be sure to\r\n"     \
    "stop by " PRODUCT_PUBLISHER " home page at\r\n"        \
    PUBLISHER_HOME_PAGE "\r\n"                              \
    "\r\n"                                                  \
    "If you have any questions or comments you can\r\n"     \
    "email support at " PRODUCT_SUPPORT_ADDRESS "!"

#endif
