// Placeholder until the attention flash lands.
#include "display/flash_win.h"

namespace quillon {

void StartAttentionFlash() {}
DWORD WINAPI FlashWorker(LPVOID) { return 0; }
HBRUSH FlashEditBrush(HWND) { return nullptr; }

}  // namespace quillon
