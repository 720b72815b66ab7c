// Malformed input: binary forms cut at every length and with single bytes
// changed, form text cut at every length, and hostile nesting. Each must end
// in one of our errors (or a valid result), never a crash or a hang.
#include <gtest/gtest.h>

#include "form_test_support.h"
#include "formmodel/form_conversion.h"
#include "formmodel/form_errors.h"
#include "formmodel/form_reader.h"

namespace kst {
namespace {

const char* const kForm =
    "inherited Form1: TForm1 [1]\r\n"
    "  Caption = 'Fehler'#39's' + #13#10\r\n"
    "  Scale = 1.5\r\n"
    "  Tag = 40000\r\n"
    "  Anchors = [akLeft, akTop]\r\n"
    "  Icon.Data = {000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F2021}\r\n"
    "  object ListBox1: TListBox [2]\r\n"
    "    Items.Strings = (\r\n      'eins'\r\n      (1 -200)\r\n      nil)\r\n"
    "    Columns = <\r\n      item [3]\r\n        Title.Caption = 'x'\r\n      end\r\n      item\r\n      end>\r\n"
    "  end\r\n"
    "end\r\n";

// Converting and reading either succeeds or raises one of our errors.
void ReadsOrRefuses(std::string_view resource) {
  try {
    ReadFormText(ResourceToText(resource));
  } catch (const EFormError&) {
  }
}

TEST(Robustness, ResourceCutAtEveryLength) {
  std::string resource = TextToResource(kForm);
  for (size_t n = 0; n < resource.size(); ++n) {
    std::string_view cut(resource.data(), n);
    // A copy of exactly n bytes, so that a read past the end is caught by
    // the sanitizers as well.
    std::string exact(cut);
    EXPECT_THROW(ResourceToText(exact), EReadError) << "cut at " << n;
  }
}

TEST(Robustness, ResourceWithEachByteChanged) {
  std::string resource = TextToResource(kForm);
  for (size_t i = 0; i < resource.size(); ++i)
    for (int value : {0x00, 0x01, 0x0E, 0x11, 0x7F, 0xF3, 0xFF}) {
      std::string bad = resource;
      bad[i] = static_cast<char>(value);
      ReadsOrRefuses(bad);
    }
}

TEST(Robustness, TextCutAtEveryLength) {
  std::string text = kForm;
  for (size_t n = 0; n + 2 < text.size(); ++n) {
    std::string cut = text.substr(0, n);
    EXPECT_THROW(TextToBinary(cut), EParserError) << "cut at " << n;
    EXPECT_THROW(ReadFormText(cut), EParserError) << "cut at " << n;
  }
}

TEST(Robustness, TextWithEachByteChanged) {
  std::string text = kForm;
  for (size_t i = 0; i < text.size(); ++i)
    for (char value : {'\0', '\n', '\'', '(', '<', '{', '#', 'x'}) {
      std::string bad = text;
      bad[i] = value;
      try {
        TextToResource(bad);
        ReadFormText(bad);
      } catch (const EFormError&) {
      }
    }
}

TEST(Robustness, DeepBinaryNestingEndsWithAnError) {
  test::TStreamBuilder lists;
  lists.Sig().Obj("TForm1", "Form1").Prop("P");
  for (int i = 0; i < 100000; ++i) lists.Byte(vaList);
  try {
    BinaryToText(lists.Bytes());
    FAIL();
  } catch (const EReadError& e) {
    EXPECT_STREQ(e.what(), kSNestingTooDeep);
  }
  test::TStreamBuilder objects;
  objects.Sig();
  for (int i = 0; i < 100000; ++i) objects.Obj("T", "A").End();
  EXPECT_THROW(BinaryToText(objects.Bytes()), EReadError);
  test::TStreamBuilder collections;
  collections.Sig().Obj("TForm1", "Form1").Prop("P");
  for (int i = 0; i < 100000; ++i) collections.Byte(vaCollection).Byte(vaList).Prop("Q");
  EXPECT_THROW(BinaryToText(collections.Bytes()), EReadError);
}

TEST(Robustness, NestingJustInsideTheLimitReads) {
  int lists = kMaxFormNesting - 2;  // the form and its child object count too
  std::string text = "object F: TF\r\n  object G: TG\r\n    P = " + std::string(lists, '(') + std::string(lists, ')') +
                     "\r\n  end\r\nend\r\n";
  std::string back = BinaryToText(TextToBinary(text));
  auto root = ReadFormText(back);
  EXPECT_EQ(root->Children[0]->Properties[0]->PropertyType, ptList);
  std::string deeper = "object F: TF\r\n  object G: TG\r\n    P = " + std::string(lists + 1, '(') +
                       std::string(lists + 1, ')') + "\r\n  end\r\nend\r\n";
  EXPECT_THROW(TextToBinary(deeper), EParserError);
}

TEST(Robustness, HugeCountsAreCheckedBeforeAllocating) {
  for (uint32_t count : {0x7FFFFFFFu, 0xFFFFFFFFu, 0x80000000u}) {
    std::string binary = test::TStreamBuilder().Sig().Obj("T", "").Prop("P").Byte(vaBinary).Int32Raw(count).Bytes();
    std::string lstring = test::TStreamBuilder().Sig().Obj("T", "").Prop("P").Byte(vaLString).Int32Raw(count).Bytes();
    EXPECT_THROW(BinaryToText(binary), EReadError);
    EXPECT_THROW(BinaryToText(lstring), EReadError);
  }
}

}  // namespace
}  // namespace kst
