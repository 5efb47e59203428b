#include "payload_check.h"

#include <windows.h>

#include "install_pass.h"
#include "install_state.h"
#include "page_services.h"
#include "payload_sum.h"

bool PayloadIntact()
{
    int count = InstalledEntryCount();
    DWORD size = 0;
    const unsigned char* sums =
        (const unsigned char*)LockProgramResource(PAYLOAD_SUMS_RESOURCE, RT_RCDATA, &size);
    if (sums == NULL || size < (DWORD)count * 4) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        const PayloadEntry& entry = g_setup.manifest.files[i];
        DWORD available = 0;
        const unsigned char* packed =
            (const unsigned char*)LockProgramResource(entry.resourceName, RT_RCDATA, &available);
        const unsigned char* stored = sums + 4 * i;
        uint32_t expected = stored[0] | stored[1] << 8 | stored[2] << 16 | (uint32_t)stored[3] << 24;
        if (packed == NULL || available < entry.packedSize ||
            PayloadSum(0, packed, entry.packedSize) != expected) {
            return false;
        }
    }
    return true;
}
