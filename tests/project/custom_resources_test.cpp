// Custom resources: the list's case rules and the resource file written from
// an imported module.
#include "project/custom_resources.h"

#include <gtest/gtest.h>

namespace kst {
namespace {

uint32_t U32(const std::string& s, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(s[at + i]);
  return v;
}

TEST(CustomResources, NamesCompareWithoutCase) {
  TCustomResources list;
  list.Add("C:\\R\\Pics.res");
  list.Add("c:\\r\\PICS.RES");
  ASSERT_EQ(list.Items.size(), 1u);
  TCustomResource& r = *list.Items[0];
  EXPECT_EQ(r.TranslatedFile, "C:\\R\\Pics.res");
  r.TranslatedFile = "C:\\r\\pics.RES";
  EXPECT_FALSE(r.IsTranslated());
  r.TranslatedFile = "C:\\R\\DEU\\Pics.res";
  EXPECT_TRUE(r.IsTranslated());
  EXPECT_EQ(list.Find("C:\\R\\PICS.res"), &r);
  list.Remove("c:\\R\\pics.res");
  EXPECT_TRUE(list.Items.empty());
  list.Remove("nothing");
}

TEST(CustomResourceFile, HeadersPaddingAndNames) {
  const uint8_t five[] = {1, 2, 3, 4, 5};
  const uint8_t eight[] = {1, 2, 3, 4, 5, 6, 7, 8};
  std::string file = BuildCustomResourceFile({
      {"#2", "LOGO", 0x0407, five},
      {"MYDATA", "#7", 0x0409, eight},
  });
  // The empty entry.
  EXPECT_EQ(U32(file, 0), 0u);
  EXPECT_EQ(U32(file, 4), 32u);
  size_t first = 32;
  EXPECT_EQ(U32(file, first), 5u);
  EXPECT_EQ(U32(file, first + 4), 40u) << "8 + 16 (type 2, LOGO padded) + 16";
  EXPECT_EQ(static_cast<uint8_t>(file[first + 8 + 16 + 6]), 0) << "language neutral";
  size_t second = first + 40 + 5 + 3;
  EXPECT_EQ(U32(file, second), 8u);
  // "MYDATA" as six units and a 0 (14 bytes), then 0xFFFF 7 (4): 18, padded to 20.
  EXPECT_EQ(U32(file, second + 4), 8u + 20 + 16);
  EXPECT_EQ(file.size(), second + 44 + 8) << "8 bytes of data need no padding";
}

TEST(CustomResourceFile, OneResourceInSeveralLanguagesKeepsItsLanguages) {
  const uint8_t a[] = {'a'}, b[] = {'b'};
  std::string file = BuildCustomResourceFile({{"MYDATA", "CONFIG", 0x0407, a}, {"MYDATA", "config", 0x0409, b},
                                              {"#2", "LOGO", 0x0407, a}});
  // Each entry: 8 + 32 (MYDATA, CONFIG: 14 + 14 bytes, padded) + 16 = 56 bytes, 1 data byte, 3 padding.
  auto languageAt = [&](size_t entry) {
    size_t headerSize = U32(file, entry + 4);
    return static_cast<uint8_t>(file[entry + headerSize - 10]) | static_cast<uint8_t>(file[entry + headerSize - 9]) << 8;
  };
  size_t first = 32;
  size_t second = first + U32(file, first + 4) + 4;
  size_t third = second + U32(file, second + 4) + 4;
  EXPECT_EQ(languageAt(first), 0x0407);
  EXPECT_EQ(languageAt(second), 0x0409);
  EXPECT_EQ(languageAt(third), 0) << "a resource in one language only becomes neutral";
}

TEST(CustomResourceFile, NamesBeyondTheFormatAreRefused) {
  const uint8_t one[] = {0};
  EXPECT_THROW(BuildCustomResourceFile({{"#10", std::string(300, 'N'), 0, one}}), std::invalid_argument);
}

}  // namespace
}  // namespace kst
