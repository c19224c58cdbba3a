// Must not compile for a window-less target: the window layer is out of its reach.
#include "framework/window/Gdi.h"
