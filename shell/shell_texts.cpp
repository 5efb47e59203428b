// The shell's texts that name the publisher's addresses, from the product's
// identity; kept in a source of their own so that a new description
// recompiles little.
#include "shell_texts.h"

#include "product_identity.h"

const char kAbortNoticeFormat[] =
    "Installation Aborted!\r\n\r\nIf you need assistance you can email\r\n"
    "support at - %s!";

const char kSupportAddress[] = PRODUCT_SUPPORT_ADDRESS;

const char kFarewellText[] =
    "For other great software utilities be sure to\r\n"
    "stop by " PRODUCT_PUBLISHER " home page at\r\n"
    PUBLISHER_HOME_PAGE "\r\n"
    "\r\n"
    "If you have any questions or comments you can\r\n"
    "email support at " PRODUCT_SUPPORT_ADDRESS "!";
