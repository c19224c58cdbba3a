#include "framework/Exception.h"
#include "framework/Object.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class CAnimal : public CObject {
    DECLARE_DYNAMIC(CAnimal)
};

class CDog : public CAnimal {
    DECLARE_DYNCREATE(CDog)
public:
    int legs = 4;
};

class CStone : public CObject {
    DECLARE_SERIAL(CStone)
};

IMPLEMENT_DYNAMIC(CAnimal, CObject)
IMPLEMENT_DYNCREATE(CDog, CAnimal)
IMPLEMENT_SERIAL(CStone, CObject, 1)

TEST(RuntimeClass, IsKindOfFollowsTheBaseChain)
{
    CDog dog;
    EXPECT_TRUE(dog.IsKindOf(RUNTIME_CLASS(CDog)));
    EXPECT_TRUE(dog.IsKindOf(RUNTIME_CLASS(CAnimal)));
    EXPECT_TRUE(dog.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(dog.IsKindOf(RUNTIME_CLASS(CStone)));
    EXPECT_STREQ("CDog", dog.GetRuntimeClass()->m_lpszClassName);
    EXPECT_FALSE(dog.IsSerializable());
    EXPECT_TRUE(CStone().IsSerializable());
}

TEST(RuntimeClass, CreatesRegisteredClassesByName)
{
    std::unique_ptr<CObject> made(CRuntimeClass::CreateObject(L"CDog"));
    ASSERT_NE(nullptr, made);
    EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CDog)));
    EXPECT_EQ(4, static_cast<CDog*>(made.get())->legs);

    EXPECT_EQ(RUNTIME_CLASS(CStone), CRuntimeClass::FromName("CStone"));
    EXPECT_EQ(nullptr, CRuntimeClass::CreateObject(L"CAnimal")) << "not creatable by name";
    EXPECT_EQ(nullptr, CRuntimeClass::FromName(L"CUnknown"));
    EXPECT_EQ(nullptr, CRuntimeClass::FromName(L"CD\x00f6g"));
    EXPECT_NE(nullptr, CRuntimeClass::FromName("CFileException")) << "framework classes register too";
}

TEST(Exceptions, CarryTheirCauseAndDescribeThemselves)
{
    try {
        AfxThrowFileException(CFileException::OsErrorToException(ERROR_DISK_FULL), ERROR_DISK_FULL, L"C:\\x.tkpj");
    } catch (const CException& e) {
        ASSERT_TRUE(e.IsKindOf(RUNTIME_CLASS(CFileException)));
        const auto& file = static_cast<const CFileException&>(e);
        EXPECT_EQ(CFileException::diskFull, file.m_cause);
        EXPECT_EQ(ERROR_DISK_FULL, file.m_lOsError);
        EXPECT_NE(-1, e.GetErrorMessage().Find(L"C:\\x.tkpj"));
    }
    EXPECT_EQ(CFileException::fileNotFound, CFileException::OsErrorToException(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(CFileException::genericException, CFileException::OsErrorToException(12345));
}

} // namespace
