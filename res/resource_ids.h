// Resource identifiers of quillon.exe, read by the resource compiler and by the program.
#pragma once

#define IDI_APP 1       // application icon
#define IDI_INFO 2      // About button: white i on a blue disc
#define IDI_EXPAND 3    // window-state toggle while compact: triangle down
#define IDI_COLLAPSE 4  // window-state toggle while expanded: triangle up
#define IDI_PINNED 5    // on-top toggle while on top: pin stuck in
#define IDI_UNPINNED 6  // on-top toggle otherwise: pin on its side
