// The program's one static record: the generated manifest, then the install
// state with every folder slot holding "." until its filler runs; and the
// product constants a description sets. The one source of the setup that
// reads the product's identity.
#include "install_state.h"

#include "product_identity.h"

static_assert(PRODUCT_TABLE_SIZE == kPayloadTableSize, "the table the build counted");
static_assert(PRODUCT_PRESERVED_COUNT == kPreservedCount, "the extensions the build counted");

SetupRecord g_setup = {
#include "manifest_data.inc"
    ,
    {".", ".", ".", ".", ".", 0, 0, 0, 0, 0, 0, 0, 0},
};

const char* const kPreservedExtensions[kPreservedCount] = {PRODUCT_PRESERVED_EXTENSIONS};
const char kInstallerName[] = PRODUCT_INSTALLER_NAME;
const char kDefaultBaseFolder[] = PRODUCT_DEFAULT_BASE_FOLDER;
const char kVendorKey[] = PRODUCT_VENDOR_KEY;
const char kVersionKey[] = PRODUCT_VENDOR_KEY PRODUCT_VERSION_KEY_SUFFIX;
