// Must compile for every window-less target: the framework core, and the exchange library with
// its stores for the targets that link it.
#include "framework/Archive.h"
#include "framework/File.h"
#include "framework/String.h"

#ifdef PROBE_EXCHANGE
#include "toolkit/foundation/XTPComPtr.h"
#include "toolkit/foundation/XTPPropExchange.h"
#include "toolkit/foundation/XTPPropExchangeXMLNode.h"
#include "toolkit/foundation/XTPZipMemFile.h"
#endif
