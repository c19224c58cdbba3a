#include "framework/Array.h"
#include "framework/List.h"
#include "framework/Map.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

TEST(CArray, GrowsInsertsAndRemoves)
{
    CArray<int, int> a;
    EXPECT_TRUE(a.IsEmpty());
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(i, a.Add(i * 10));
    a.InsertAt(1, 5, 2);
    a.RemoveAt(0);
    EXPECT_EQ(6, a.GetSize());
    EXPECT_EQ(5, a[0]);
    EXPECT_EQ(5, a[1]);
    EXPECT_EQ(10, a[2]);
    a.SetAtGrow(8, 99);
    EXPECT_EQ(9, a.GetSize());
    EXPECT_EQ(0, a[7]);
    EXPECT_EQ(8, a.GetUpperBound());
    a.InsertAt(12, 1);
    EXPECT_EQ(13, a.GetSize());
}

TEST(CArray, OutOfRangeThrowsInsteadOfReadingPastTheEnd)
{
    CStringArray a;
    a.Add(L"one");
    EXPECT_THROW(a.GetAt(1), CInvalidArgException);
    EXPECT_THROW(a[-1], CInvalidArgException);
    EXPECT_THROW(a.RemoveAt(0, 2), CInvalidArgException);
    EXPECT_TRUE(a[0] == L"one");
}

TEST(CArray, AddOfOwnElementIsSafe)
{
    CStringArray a;
    a.Add(L"first");
    for (int i = 0; i < 100; ++i)
        a.Add(a[0]); // the argument refers into the array while it grows
    EXPECT_TRUE(a[100] == L"first");
}

TEST(CTypedPtrArray, HoldsTypedPointers)
{
    struct Item { int v; };
    Item one{1}, two{2};
    CTypedPtrArray<CPtrArray, Item*> a;
    a.Add(&one);
    a.Add(&two);
    EXPECT_EQ(2, a[1]->v);
    a[0] = &two;
    EXPECT_EQ(&two, a.GetAt(0));
}

TEST(CList, WalksBothWaysAndEditsAtPositions)
{
    CStringList list;
    list.AddTail(L"b");
    list.AddHead(L"a");
    POSITION cPos = list.AddTail(L"c");
    list.InsertBefore(cPos, L"b2");
    list.InsertAfter(cPos, L"d");
    std::wstring forward, backward;
    for (POSITION p = list.GetHeadPosition(); p;)
        forward += list.GetNext(p).GetString();
    for (POSITION p = list.GetTailPosition(); p;)
        backward += list.GetPrev(p).GetString();
    EXPECT_EQ(L"abb2cd", forward);
    EXPECT_EQ(L"dcb2ba", backward);

    list.RemoveAt(list.Find(L"b2"));
    EXPECT_EQ(4, list.GetCount());
    EXPECT_TRUE(list.GetAt(list.FindIndex(2)) == L"c");
    EXPECT_EQ(nullptr, list.FindIndex(4));
    EXPECT_TRUE(list.RemoveHead() == L"a");
    EXPECT_TRUE(list.RemoveTail() == L"d");
    CStringList copy(list);
    list.RemoveAll();
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(2, copy.GetCount());
    EXPECT_THROW(list.GetHead(), CInvalidArgException);
}

TEST(CMap, LooksUpReplacesRemovesAndWalksEveryEntry)
{
    CMapStringToString map;
    std::map<std::wstring, std::wstring> model;
    for (int i = 0; i < 200; ++i) {
        CString key, value;
        key.Format(L"key%d", i % 150);
        value.Format(L"value%d", i);
        map.SetAt(key, value);
        model[key.GetString()] = value.GetString();
    }
    EXPECT_EQ(150, map.GetCount());
    CString found;
    ASSERT_TRUE(map.Lookup(L"key10", found));
    EXPECT_TRUE(found == L"value160");
    EXPECT_FALSE(map.Lookup(L"missing", found));
    EXPECT_TRUE(map.RemoveKey(L"key10"));
    EXPECT_FALSE(map.RemoveKey(L"key10"));
    model.erase(L"key10");

    std::map<std::wstring, std::wstring> walked;
    for (POSITION p = map.GetStartPosition(); p;) {
        CString key, value;
        map.GetNextAssoc(p, key, value);
        EXPECT_TRUE(walked.emplace(key.GetString(), value.GetString()).second) << "visited twice";
    }
    EXPECT_EQ(model, walked);
    map.RemoveAll();
    EXPECT_EQ(nullptr, map.GetStartPosition());
}

TEST(CMap, PointerAndIntegerKeys)
{
    int a = 0, b = 0;
    CMapPtrToPtr pointers;
    pointers[&a] = &b;
    void* value = nullptr;
    EXPECT_TRUE(pointers.Lookup(&a, value));
    EXPECT_EQ(&b, value);
    EXPECT_FALSE(pointers.Lookup(&b, value));

    CMap<int, int, CString, const CString&> numbers;
    numbers.InitHashTable(7);
    numbers[3] = L"three";
    numbers[10] = L"ten";   // same bucket as 3 with seven buckets
    EXPECT_TRUE(numbers[3] == L"three");
    EXPECT_TRUE(numbers[10] == L"ten");
    EXPECT_EQ(7u, numbers.GetHashTableSize());
}

} // namespace
