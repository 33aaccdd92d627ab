// The version resource of the built program, read as Explorer and installers read it,
// against the version the build took from CMakeLists.txt.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/utf.h"
#include "driver.h"
#include "norvo_version.h"

namespace {

class VersionResource : public testing::Test {
 protected:
  void SetUp() override {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(W(NorvoExe()), &ignored);
    ASSERT_GT(size, 0u) << "Norvo.exe has no version resource";
    data_.resize(size);
    ASSERT_TRUE(GetFileVersionInfoW(W(NorvoExe()), 0, size, data_.data()));
  }
  // A string of the US-English, UTF-16 table, as the resource declares it.
  std::u16string String(const char16_t* name) {
    std::u16string key = u"\\StringFileInfo\\040904B0\\" + std::u16string(name);
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data_.data(), W(key), &value, &length) || length == 0) return {};
    return std::u16string(static_cast<const char16_t*>(value));
  }
  std::vector<unsigned char> data_;
};

TEST_F(VersionResource, NumbersAreTheBuildsVersion) {
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data_.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  auto dotted = [](DWORD high, DWORD low) {
    return std::to_string(HIWORD(high)) + "." + std::to_string(LOWORD(high)) + "." + std::to_string(HIWORD(low));
  };
  EXPECT_EQ(dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS), NORVO_VERSION);
  EXPECT_EQ(dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS), NORVO_VERSION);
  EXPECT_EQ(LOWORD(fixed->dwFileVersionLS), 0);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

TEST_F(VersionResource, StringsNameTheProductAndItsVersion) {
  EXPECT_EQ(String(u"ProductName"), u"Norvo");
  EXPECT_EQ(String(u"FileVersion"), Utf8ToUtf16(NORVO_VERSION));
  EXPECT_EQ(String(u"ProductVersion"), Utf8ToUtf16(NORVO_VERSION));
  EXPECT_EQ(String(u"OriginalFilename"), u"Norvo.exe");
  EXPECT_FALSE(String(u"FileDescription").empty());
}

}  // namespace
