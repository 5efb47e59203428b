#include "link_target.h"

#include <shlguid.h>
#include <shlobj.h>

bool ReadLinkTarget(const char* linkFile, char target[MAX_PATH])
{
    IShellLinkA* link = NULL;
    WCHAR path[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, linkFile, -1, path, MAX_PATH) == 0 ||
        FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                (void**)&link))) {
        return false;
    }
    bool read = false;
    IPersistFile* file = NULL;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&file))) {
        target[0] = '\0';
        read = SUCCEEDED(file->Load(path, STGM_READ)) &&
               SUCCEEDED(link->GetPath(target, MAX_PATH, NULL, SLGP_RAWPATH));
        file->Release();
    }
    link->Release();
    return read;
}
