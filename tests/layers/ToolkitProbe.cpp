// Must not compile for a window-less target: of the toolkit only the exchange is in its reach.
#include "toolkit/foundation/XTPImageManager.h"
