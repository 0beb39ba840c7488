#include <gtest/gtest.h>

#include "files/AppVerInfo.h"
#include "support/ScratchFolder.h"
#include "support/TestSupport.h"

namespace vp {
namespace {

TEST(AppVerInfo, DescribesAProgramAndForgetsItForTheNext) {
  if (test::BuiltFixturePath("Versioned.exe").empty()) GTEST_SKIP() << "built without mingw-w64";
  test::ScratchFolder scratch;
  scratch.PutFile("Versioned.exe", test::HostFileBytes(test::BuiltFixturePath("Versioned.exe")));
  scratch.PutFile("Plain.exe", test::HostFileBytes(test::BuiltFixturePath("Plain.exe")));

  TAppVerInfo info(scratch.Path("Versioned.exe"));
  EXPECT_TRUE(info.HasVersionInfo());
  EXPECT_EQ(info.Translation(), "040704B0");
  EXPECT_EQ(info.CompanyName(), "Beispiel GmbH");
  EXPECT_EQ(info.FileDescription(), "Werkzeug f\xFCr Tests");
  EXPECT_EQ(info.FileVersion(), "2.5.1");
  EXPECT_EQ(info.LegalCopyright(), "(c) 2026");
  EXPECT_EQ(info.OriginalFilename(), "versioned.exe");
  EXPECT_EQ(info.Comments(), "");  // its text has no form in the code page

  for (const char* other : {"Plain.exe", "absent.exe"}) {
    info.SetFileName(scratch.Path(other));
    EXPECT_FALSE(info.HasVersionInfo()) << other;
    EXPECT_EQ(info.Translation(), "") << other;
    EXPECT_EQ(info.CompanyName(), "") << other;
    EXPECT_EQ(info.FileDescription(), "") << other;
  }
}

}  // namespace
}  // namespace vp
