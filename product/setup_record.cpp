// The program's one static record. It starts zeroed, so the program's file
// stores only the generated manifest, not the record's thousand zero
// bytes; StartSetupRecord copies the manifest in and gives every folder
// slot "." until its filler runs.
#include "install_state.h"

namespace {

const ProductManifest kManifest =
#include "manifest_data.inc"
    ;

}  // namespace

SetupRecord g_setup;

void StartSetupRecord()
{
    g_setup.manifest = kManifest;
    InstallState& state = g_setup.state;
    char* const slots[] = {state.destinationFolder, state.windowsFolder, state.programsFolder,
                           state.sendToFolder, state.groupName};
    for (char* slot : slots) {
        slot[0] = '.';
        slot[1] = '\0';
    }
}

const char* const kPreservedExtensions[PRODUCT_PRESERVED_COUNT] = {PRODUCT_PRESERVED_EXTENSIONS};
