#include "pages/run_flags.h"

unsigned char g_bScanning = 0;
unsigned char g_bCloseAcked = 0;
