// Progress accounting of the extraction page, called by the installation
// pass after every block written and for every file left in place.
#include "extraction_page.h"

#include "install_state.h"
#include "number_text.h"
#include "page_ids.h"
#include "page_services.h"

enum { kBarRepaintPause = 10 };

void ShowNumber(HWND page, int controlId, uint32_t value)
{
    char text[kNumberTextSize];
    FormatThousands(value, text);
    SetDlgItemTextA(page, controlId, text);
}

uint16_t BarValueFor(uint32_t done, uint32_t total)
{
    if (total == 0) {
        return 0;
    }
    if (done >= total) {
        return 200;
    }
    // done * 200 / total, bit by bit: the product needs 64 bits from
    // 2^32 / 200 bytes on, and a 64-bit division would bring the compiler's
    // division helper into every setup. Multiplying and comparing 64-bit
    // values needs no helper.
    uint64_t scaled = (uint64_t)done * 200;
    uint32_t value = 0;
    for (uint32_t bit = 128; bit != 0; bit >>= 1) {
        if ((uint64_t)(value + bit) * total <= scaled) {
            value += bit;
        }
    }
    return (uint16_t)value;
}

void AdvanceProgress(HWND page, uint32_t bytes)
{
    InstallState& state = g_setup.state;
    uint32_t done = state.progressDone + bytes;
    if (done < state.progressDone || done > state.progressTotal) {
        done = state.progressTotal;
    }
    state.progressDone = done;
    if (done == 0) {
        return;
    }
    uint16_t value = BarValueFor(done, state.progressTotal);
    // A silent run has no page to repaint.
    if (value != state.barValue && page != NULL) {
        state.barValue = value;
        HWND bar = GetDlgItem(page, IDC_PERCENT_BAR);
        InvalidateRect(bar, NULL, FALSE);
        UpdateWindow(bar);
        PumpMessages(page, kBarRepaintPause);
    }
    ShowNumber(page, IDC_CURRENT_SIZE, done);
}
