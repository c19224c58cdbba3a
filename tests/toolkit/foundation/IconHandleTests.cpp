// The icon holder: one owner, destroyed once, and never destroyed while still held.

#include "toolkit/foundation/XTPIconHandle.h"

#include <gtest/gtest.h>

namespace {

HICON NewIcon()
{
    return CopyIcon(LoadIconW(nullptr, IDI_APPLICATION));
}

bool IsLiveIcon(HICON icon)
{
    ICONINFO info{};
    if (!GetIconInfo(icon, &info))
        return false;
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return true;
}

TEST(IconHandle, OwnsOneIconAtATime)
{
    const HICON first = NewIcon();
    const HICON second = NewIcon();
    ASSERT_TRUE(IsLiveIcon(first));
    {
        CXTPIconHandle holder;
        EXPECT_EQ(nullptr, holder.GetIcon());
        holder.SetIcon(first);
        holder.SetIcon(first);
        EXPECT_TRUE(IsLiveIcon(first)) << "setting the held icon again keeps it";
        EXPECT_EQ(first, holder.GetIcon());

        holder.SetIcon(second);
        EXPECT_FALSE(IsLiveIcon(first)) << "the replaced icon is destroyed";
        holder.SetIcon(nullptr);
        EXPECT_FALSE(IsLiveIcon(second)) << "null empties after destroying";
        EXPECT_EQ(nullptr, holder.GetIcon());

        const HICON third = NewIcon();
        holder.SetIcon(third);
        CXTPIconHandle moved(std::move(holder));
        EXPECT_EQ(nullptr, holder.GetIcon());
        EXPECT_EQ(third, moved.GetIcon());
        const HICON kept = moved.Detach();
        EXPECT_TRUE(IsLiveIcon(kept));
        moved.SetIcon(kept);
    }
}

} // namespace
