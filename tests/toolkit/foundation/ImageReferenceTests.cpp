// Reference counting of the image manager's icons and icon sets: a caller that holds its own
// reference keeps a valid object through every way the manager lets an entry go (removal,
// replacement, reloading, resetting the image lists' icons, destroying the manager), the object
// is then empty and owns nothing of the manager (no strip slot), drawing it is safe, and every
// count goes back to where it was (nothing leaks).

#include "tests/support/DibCanvas.h"
#include "tests/toolkit/foundation/ImageTestSupport.h"
#include "framework/Archive.h"
#include "framework/File.h"
#include "toolkit/foundation/XTPImageManager.h"
#include "toolkit/foundation/XTPImageManagerResource.h"
#include "toolkit/foundation/XTPPropExchangeArchive.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using testsupport::DibCanvas;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// The colour at the middle of a 16 x 16 picture after drawing the icon's normal record onto white.
COLORREF DrawnCentre(CXTPImageManagerIcon* icon)
{
    DibCanvas canvas(16, 16);
    icon->DrawNormal(canvas.DC(), 0, 0);
    return canvas.At(8, 8);
}

// Counts of live icons and sets when the test began; the test ends where it began.
struct LiveCounts {
    LONG icons = CXTPImageManagerIcon::GetLiveCount();
    LONG sets = CXTPImageManagerIconSet::GetLiveCount();
    void ExpectUnchanged() const
    {
        EXPECT_EQ(icons, CXTPImageManagerIcon::GetLiveCount()) << "icons leaked or freed twice";
        EXPECT_EQ(sets, CXTPImageManagerIconSet::GetLiveCount()) << "icon sets leaked or freed twice";
    }
};

void SaveAndReload(CXTPImageManager& manager)
{
    CMemFile file;
    {
        CArchive archive(&file, CArchive::store);
        manager.Serialize(archive);
        archive.Close();
    }
    std::vector<BYTE> bytes = file.Data();
    CMemFile input(bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive archive(&input, CArchive::load);
    CXTPPropExchangeArchive px(archive);
    ASSERT_TRUE(manager.ExchangeIconSets(&px));
}

// The reference count as it stands.
LONG Refs(const CCmdTarget* target)
{
    return target->m_dwRef;
}

} // namespace

TEST(ImageReferences, ObjectsStartWithOneReferenceHeldByTheirOwner)
{
    const LiveCounts before;
    auto* manager = new CXTPImageManager;
    EXPECT_EQ(1, Refs(manager));
    HICON red = imagetest::SolidIcon(16, kRed);
    ASSERT_TRUE(manager->SetIcon(red, 3));
    EXPECT_EQ(before.icons + 1, CXTPImageManagerIcon::GetLiveCount());
    EXPECT_EQ(before.sets + 1, CXTPImageManagerIconSet::GetLiveCount());
    EXPECT_EQ(1, Refs(manager->FindIconSet(3)));
    CXTPImageManagerIcon* icon = manager->LookupIcon(3, 16);
    EXPECT_EQ(1, Refs(icon));
    {
        CXTPCmdTargetRef<CXTPImageManagerIcon> held(icon);
        EXPECT_EQ(2, Refs(icon));
        CXTPCmdTargetRef<CXTPImageManagerIcon> copy = held;
        EXPECT_EQ(3, Refs(icon));
    }
    EXPECT_EQ(1, Refs(icon));
    EXPECT_EQ(0u, manager->InternalRelease()) << "the last release deletes the manager";
    before.ExpectUnchanged();
    DestroyIcon(red);
}

// Each way a manager lets an icon go, with packed (strip slot) and unpacked pictures. The held
// icon must be detached, empty and slot-free at once (so that nothing of it can reach strips that
// die with the manager), draw nothing, take a new picture of its own and keep drawing it after
// the manager is gone.
TEST(ImageReferences, AHeldIconStaysValidWhenTheManagerLetsItGo)
{
    struct Case {
        const char* name;
        std::function<void(CXTPImageManager*&)> letGo;
        bool stripEmptyAfter;   // no other icon of 16 x 16 is left packed
    };
    const std::vector<Case> cases = {
        {"RemoveAll", [](CXTPImageManager*& m) { m->RemoveAll(); }, true},
        {"RemoveIcon", [](CXTPImageManager*& m) { EXPECT_TRUE(m->FindIconSet(7)->RemoveIcon(16)); }, true},
        {"replaced by an icon of the same width",
         [](CXTPImageManager*& m) {
             CXTPImageManagerIconSet* set = m->FindIconSet(7);
             auto fresh = CXTPCmdTargetRef<CXTPImageManagerIcon>::Adopt(new CXTPImageManagerIcon(7, 16, 15, set));
             EXPECT_TRUE(set->InsertIcon(fresh.Get()));
             EXPECT_EQ(fresh.Get(), m->LookupIcon(7, 16));
         },
         true},
        {"the sets loaded again", [](CXTPImageManager*& m) { SaveAndReload(*m); }, false},
        {"the manager destroyed",
         [](CXTPImageManager*& m) {
             m->InternalRelease();
             m = nullptr;
         },
         false},
    };
    HICON red = imagetest::SolidIcon(16, kRed);
    HICON blue = imagetest::SolidIcon(32, kBlue);
    HICON green = imagetest::SolidIcon(16, kGreen);
    for (BOOL pack : {TRUE, FALSE}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (pack ? ", packed" : ", unpacked"));
            const LiveCounts before;
            CXTPImageManager* manager = new CXTPImageManager;
            manager->SetPackImages(pack);
            ASSERT_TRUE(manager->SetIcon(red, 7));
            ASSERT_TRUE(manager->SetIcon(blue, 7));
            CXTPImageManagerIcon* icon = manager->LookupIcon(7, 16);
            ASSERT_NE(nullptr, icon);
            ASSERT_EQ(pack != FALSE, icon->GetNormalImage().GetSlot() != nullptr);
            icon->GetFadedImage();
            icon->GetDisabledImage();
            CXTPCmdTargetRef<CXTPImageManagerIcon> held(icon);
            EXPECT_EQ(kRed, DrawnCentre(icon));

            c.letGo(manager);

            EXPECT_EQ(1, Refs(icon)) << "only the caller's reference is left";
            EXPECT_EQ(nullptr, icon->GetIconSet());
            EXPECT_EQ(nullptr, icon->GetManager());
            EXPECT_TRUE(icon->IsEmpty());
            EXPECT_EQ(nullptr, icon->GetNormalImage().GetSlot());
            EXPECT_EQ(nullptr, icon->GetNormalImage().GetManager());
            EXPECT_EQ(kWhite, DrawnCentre(icon)) << "an icon that was let go draws nothing";
            EXPECT_EQ(kWhite, DrawnCentre(icon)) << "nor does its faded or disabled form";
            if (manager && c.stripEmptyAfter && pack) {
                EXPECT_EQ(nullptr, manager->GetResourceStrip(16, 16)->GetColorStrip())
                    << "the slot went back to the strip";
            }
            if (manager) {
                CXTPImageManagerIcon* now = manager->LookupIcon(7, 16);
                EXPECT_NE(icon, now);
                if (now && now->GetWidth() == 16 && !now->IsEmpty()) {
                    EXPECT_EQ(kRed, DrawnCentre(now)) << "the manager's own entry is untouched";
                }
            }

            // The detached icon is an ordinary icon of its own now: no strip, no manager.
            EXPECT_TRUE(icon->SetNormalIcon(green));
            EXPECT_EQ(nullptr, icon->GetNormalImage().GetSlot());
            EXPECT_EQ(kGreen, DrawnCentre(icon));
            if (manager)
                manager->InternalRelease();
            EXPECT_EQ(kGreen, DrawnCentre(icon)) << "still drawn after the manager has gone";
            held.Reset();
            before.ExpectUnchanged();
        }
    }
    DestroyIcon(red);
    DestroyIcon(blue);
    DestroyIcon(green);
}

TEST(ImageReferences, AHeldImageListIconOutlivesTheResetAndTheEntry)
{
    const LiveCounts before;
    auto* manager = new CXTPImageManager;
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 2, 1);
    HICON red = imagetest::SolidIcon(16, kRed);
    HICON blue = imagetest::SolidIcon(16, kBlue);
    ImageList_AddIcon(list, red);
    ImageList_AddIcon(list, blue);
    manager->AddImageList(list, 500, TRUE);

    CXTPImageManagerIcon* first = manager->LookupIcon(501, 16);
    ASSERT_NE(nullptr, first);
    CXTPCmdTargetRef<CXTPImageManagerIcon> heldFirst(first);
    EXPECT_EQ(kBlue, DrawnCentre(first));

    manager->ResetGeneratedImages();
    EXPECT_EQ(1, Refs(first));
    EXPECT_EQ(nullptr, first->GetImageList()) << "the entry let the icon go";
    EXPECT_EQ(501u, first->GetID());
    EXPECT_EQ(kWhite, DrawnCentre(first)) << "it no longer draws through the list";
    CXTPImageManagerIcon* second = manager->LookupIcon(501, 16);
    ASSERT_NE(nullptr, second);
    EXPECT_NE(first, second);
    EXPECT_EQ(kBlue, DrawnCentre(second));

    // The entry itself goes (the list handle with it) while the caller still holds its icon.
    CXTPCmdTargetRef<CXTPImageManagerIcon> heldSecond(second);
    manager->RemoveAll();
    EXPECT_EQ(nullptr, second->GetImageList());
    EXPECT_EQ(kWhite, DrawnCentre(second));
    EXPECT_EQ(nullptr, manager->LookupIcon(501, 16));

    // Icons the entry still caches when the manager is destroyed go with it.
    HIMAGELIST again = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 1, 1);
    ImageList_AddIcon(again, red);
    manager->AddImageList(again, 600, TRUE);
    ASSERT_NE(nullptr, manager->LookupIcon(600, 16));
    EXPECT_EQ(before.icons + 3, CXTPImageManagerIcon::GetLiveCount());
    manager->InternalRelease();
    EXPECT_EQ(before.icons + 2, CXTPImageManagerIcon::GetLiveCount());
    heldFirst.Reset();
    heldSecond.Reset();
    before.ExpectUnchanged();
    DestroyIcon(red);
    DestroyIcon(blue);
}

TEST(ImageReferences, AHeldSetOutlivesItsManager)
{
    const LiveCounts before;
    auto* manager = new CXTPImageManager;
    HICON red = imagetest::SolidIcon(16, kRed);
    HICON green = imagetest::SolidIcon(16, kGreen);
    ASSERT_TRUE(manager->SetIcon(red, 9));
    CXTPCmdTargetRef<CXTPImageManagerIconSet> set(manager->FindIconSet(9));
    CXTPCmdTargetRef<CXTPImageManagerIcon> icon(set->FindIcon(16, false));
    EXPECT_EQ(manager, set->GetManager());

    manager->InternalRelease();
    EXPECT_EQ(1, Refs(set.Get()));
    EXPECT_EQ(nullptr, set->GetManager());
    EXPECT_TRUE(set->GetIcons().empty());
    EXPECT_EQ(nullptr, icon->GetIconSet());

    // Icons made in the orphaned set own their pictures: there are no strips to pack into.
    CXTPIconImage image;
    image.InitFromIcon(green);
    EXPECT_TRUE(set->SetNormalImage(image, 16));
    CXTPImageManagerIcon* made = set->FindIcon(16, false);
    ASSERT_NE(nullptr, made);
    EXPECT_EQ(nullptr, made->GetNormalImage().GetSlot());
    EXPECT_EQ(kGreen, DrawnCentre(made));

    // An icon of another set is refused.
    EXPECT_FALSE(set->InsertIcon(icon.Get()));
    set.Reset();
    EXPECT_EQ(before.icons + 1, CXTPImageManagerIcon::GetLiveCount()) << "only the held icon is left";
    icon.Reset();
    before.ExpectUnchanged();
    DestroyIcon(red);
    DestroyIcon(green);
}
