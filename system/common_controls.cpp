#include "common_controls.h"

#include "dll_search.h"

typedef BOOL(WINAPI* InitCommonControlsExProc)(const INITCOMMONCONTROLSEX*);
typedef BOOL(WINAPI* ImageListDrawProc)(HIMAGELIST, int, HDC, int, int, UINT);

namespace {

struct CommonControls {
    HMODULE library;
    ImageListDrawProc drawImage;
};

CommonControls s_controls;

}  // namespace

bool InitCommonControlsLibrary()
{
    if (s_controls.library == NULL) {
        s_controls.library = LoadSystemLibrary("comctl32.dll");
        if (s_controls.library == NULL) {
            return false;
        }
        s_controls.drawImage =
            (ImageListDrawProc)(void*)GetProcAddress(s_controls.library, "ImageList_Draw");
    }
    InitCommonControlsExProc init = (InitCommonControlsExProc)(void*)GetProcAddress(
        s_controls.library, "InitCommonControlsEx");
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    return init != NULL && init(&controls);
}

void DrawImageListIcon(HIMAGELIST list, int icon, HDC dc, int x, int y, UINT style)
{
    if (s_controls.drawImage != NULL) {
        s_controls.drawImage(list, icon, dc, x, y, style);
    }
}
