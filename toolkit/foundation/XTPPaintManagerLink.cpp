#include "toolkit/foundation/XTPPaintManagerLink.h"

namespace {

class CDefaultPaintManagerLink : public CXTPPaintManagerLink {
public:
    int GetThemeNumber() const override { return 0; }
};

PFNXTPGETGLOBALPAINTMANAGER g_source = nullptr;

}    // namespace

void SetGlobalPaintManagerSource(PFNXTPGETGLOBALPAINTMANAGER source)
{
    g_source = source;
}

CXTPPaintManagerLink* GetGlobalPaintManagerLink()
{
    if (g_source) {
        if (CXTPPaintManagerLink* link = g_source())
            return link;
    }
    static CDefaultPaintManagerLink standIn;
    return &standIn;
}

int GetGlobalPaintThemeNumber()
{
    return GetGlobalPaintManagerLink()->GetThemeNumber();
}
