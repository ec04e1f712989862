#pragma once

// Flags the main window and both pages share; they live on the GUI thread.

// A sweep was started and no single-point frame has been sent since.
extern unsigned char g_bScanning;
// The board acknowledged Close.
extern unsigned char g_bCloseAcked;
