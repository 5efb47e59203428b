// What the end box says: removed, or not complete, and what stayed. Kept
// apart from the removal so that a test can build every wording, the ones
// a real machine rarely reaches included.
#include "uninstaller.h"

#include <string.h>

#include "path_helpers.h"
#include "uninstall_texts.h"

void ComposeEndText(char* text, size_t size, bool complete, const char* items, int itemCount)
{
    if (size == 0) {
        return;
    }
    CopyText(text, size, complete ? kRemovedText : kNotCompleteText);
    size_t head = strlen(text);
    if (itemCount > 0 &&
        !(AppendText(text, size, LEFT_HEADING) && AppendText(text, size, items))) {
        text[head] = '\0';  // a heading without its lines would say nothing
    }
}
