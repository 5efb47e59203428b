// The product the uninstaller removes: its table, extensions, names, keys
// and the texts that name it. The one source that reads the identity
// generated from the product's description, so that a new description
// recompiles this file alone.
#include "uninstaller.h"

#include "product_identity.h"
#include "uninstall_texts.h"

static_assert(PRODUCT_TABLE_SIZE == kPayloadTableSize, "the table the build counted");
static_assert(PRODUCT_PRESERVED_COUNT == kPreservedCount, "the extensions the build counted");

const ProductEntry kEntries[kPayloadTableSize] = {PRODUCT_ENTRY_TABLE};
const char* const kPreserved[kPreservedCount] = {PRODUCT_PRESERVED_EXTENSIONS};
const int kInstalledCount = PRODUCT_INSTALLED_COUNT;
const int kShortcutCount = PRODUCT_SHORTCUT_COUNT;

const char kProductName[] = PRODUCT_NAME;
const char kProductPublisher[] = PRODUCT_PUBLISHER;
const char kRemovalVendorKey[] = PRODUCT_VENDOR_KEY;
const char kRemovalVersionKey[] = PRODUCT_VENDOR_KEY PRODUCT_VERSION_KEY_SUFFIX;
const char kUninstallEntryKey[] = UNINSTALL_LIST_KEY "\\" PRODUCT_NAME;
const char kUninstallClass[] = PRODUCT_NAME "Uninstall";
const char kUninstallCaption[] = PRODUCT_NAME " Uninstall";

#define PRODUCT_TEXT(name, text)                                           \
    const char name[] = text;                                              \
    static_assert(sizeof name <= kProductTextSize, #name " is too long")

PRODUCT_TEXT(kNotInstalledText,
             PRODUCT_NAME " is not installed on this computer, so there is nothing to remove.");
PRODUCT_TEXT(kConfirmText, "Do you want to remove " PRODUCT_NAME " " PRODUCT_VERSION
                           " and all of its components from this computer?");
PRODUCT_TEXT(kInUseText, "\r\n\r\nThis file is in use, so it cannot be removed. Close " PRODUCT_NAME
                         ", then choose Retry.\r\nCancel stops the removal; you can run it "
                         "again later.");
PRODUCT_TEXT(kStoppedText, "The removal of " PRODUCT_NAME " was stopped.\r\n\r\n" PRODUCT_NAME
                           " stays in the list of installed programs, so you can remove the "
                           "rest later.");
PRODUCT_TEXT(kRemovedText, PRODUCT_NAME " was removed from this computer.");
#define NOT_COMPLETE_STATUS "The removal of " PRODUCT_NAME " was not complete."
PRODUCT_TEXT(kNotCompleteStatus, NOT_COMPLETE_STATUS);
PRODUCT_TEXT(kNotCompleteText, NOT_COMPLETE_STATUS " " PRODUCT_NAME
                               " stays in the list of installed programs, so you can run the "
                               "removal again.");
PRODUCT_TEXT(kStatusReadyText, PRODUCT_NAME " " PRODUCT_VERSION " by " PRODUCT_PUBLISHER);
PRODUCT_TEXT(kStatusText, "Removing " PRODUCT_NAME " " PRODUCT_VERSION " from this computer...");
