// The program's one static record: the generated manifest, then the install
// state with every folder slot holding "." until its filler runs.
#include "install_state.h"

SetupRecord g_setup = {
#include "manifest_data.inc"
    ,
    {".", ".", ".", ".", ".", 0, 0, 0, 0, 0, 0, 0, 0},
};

const char* const kPreservedExtensions[PRODUCT_PRESERVED_COUNT] = {PRODUCT_PRESERVED_EXTENSIONS};
