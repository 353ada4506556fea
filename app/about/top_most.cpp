#include "app/about/top_most.h"

namespace tresk {

void SetTopMost(HWND hWnd) {
    SetWindowPos(hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
}

}  // namespace tresk
