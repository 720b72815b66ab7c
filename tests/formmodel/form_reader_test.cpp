// The form reader: how each kind of value is kept in the tree, the header
// forms, collections, errors with their lines, and reading a form file
// without leaving anything beside it.
#include <gtest/gtest.h>

#include <filesystem>

#include "config/interaction.h"
#include "form_test_support.h"
#include "formmodel/form_conversion.h"
#include "formmodel/form_errors.h"
#include "formmodel/form_reader.h"
#include "platform/file_utils.h"
#include "support/test_support.h"

namespace kst {
namespace {

struct TKeptCase {
  const char* name;
  std::string line;
  TPropertyType type;
  std::string kept;
};

class KeptValues : public ::testing::TestWithParam<TKeptCase> {};

TEST_P(KeptValues, TypeAndText) {
  auto root = ReadFormText("object Form1: TForm1\r\n  " + GetParam().line + "\r\nend\r\n");
  ASSERT_EQ(root->Properties.size(), 1u);
  const TCHPropertyItem& item = *root->Properties[0];
  EXPECT_EQ(item.PropertyType, GetParam().type);
  EXPECT_EQ(item.OriginalValue, GetParam().kept);
  EXPECT_EQ(item.TranslatedValue, GetParam().kept);
  EXPECT_FALSE(item.IsTranslated());
}

INSTANTIATE_TEST_SUITE_P(
    Table, KeptValues,
    ::testing::Values(
        TKeptCase{"JoinedString", "Caption = 'Don''t' + #13#10 + 'go'", ptString, "Don't\r\ngo"},
        TKeptCase{"Codes", "Caption = #65'B'#67", ptString, "ABC"},
        TKeptCase{"Set", "Options = [akLeft, akTop]", ptSet, "[akLeft,akTop]"},
        TKeptCase{"EmptySet", "Options = []", ptSet, "[]"},
        TKeptCase{"Binary", "Data = {0a0B ff}", ptBinary, "0A0BFF"},
        TKeptCase{"Negative", "Width = -12", ptInteger, "-12"},
        TKeptCase{"HexAsWritten", "Color = $0080FF00", ptInteger, "$0080FF00"},
        TKeptCase{"FloatAsWritten", "Scale = 1.5E2", ptFloat, "1.5E2"},
        TKeptCase{"Symbol", "Color = clBtnFace", ptSymbol, "clBtnFace"},
        TKeptCase{"TrueIsSymbol", "Visible = True", ptSymbol, "True"},
        TKeptCase{"DottedSymbol", "Ctl = Form1.Button1", ptSymbol, "Form1.Button1"},
        TKeptCase{"DottedName", "Font.Name = 'Arial'", ptString, "Arial"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadFormText, HeadersListsAndCollections) {
  auto root = ReadFormText(
      "object Form1: TForm1\r\n"
      "  Items.Strings = (\r\n    'a'\r\n    (1 2)\r\n    x)\r\n"
      "  Cols = <\r\n    item\r\n      A = 1\r\n    end\r\n    item [4]\r\n    end>\r\n"
      "  object TPanel\r\n"
      "    inherited Button1: TButton [2]\r\n    end\r\n"
      "  end\r\n"
      "END\r\n");
  const TCHPropertyItem& items = *root->Properties[0];
  EXPECT_EQ(items.Name, "Items.Strings");
  ASSERT_EQ(items.PropertyType, ptList);
  ASSERT_EQ(items.ListValues.size(), 3u);
  EXPECT_EQ(items.ListValues[1]->PropertyType, ptList);
  EXPECT_EQ(items.ListValues[1]->ListValues.size(), 2u);
  const TCHPropertyItem& cols = *root->Properties[1];
  ASSERT_EQ(cols.CollectionItems.size(), 2u);
  EXPECT_EQ(cols.CollectionItems[0]->Index, -1);
  EXPECT_EQ(cols.CollectionItems[1]->Index, 4);
  EXPECT_EQ(cols.CollectionItems[0]->Properties[0]->Name, "A");
  EXPECT_EQ(cols.CollectionItems[0]->Parent, nullptr);
  const TComponentHelper& panel = *root->Children[0];
  EXPECT_EQ(panel.Name, "");
  EXPECT_EQ(panel.ClassName, "TPanel");
  EXPECT_EQ(panel.Parent, root.get());
  const TComponentHelper& button = *panel.Children[0];
  EXPECT_TRUE(button.IsInherited);
  EXPECT_EQ(button.Name, "Button1");
  EXPECT_EQ(button.Position, 2);
  EXPECT_EQ(panel.Position, -1);
}

TEST(ReadFormText, RepeatedPropertyReplacesTheEarlierValue) {
  auto root = ReadFormText(
      "object F: TF\r\n  L = (\r\n    'a'\r\n    'b')\r\n  X = 1\r\n  l = (\r\n    'c')\r\nend\r\n");
  ASSERT_EQ(root->Properties.size(), 2u);
  ASSERT_EQ(root->Properties[0]->ListValues.size(), 1u);
  EXPECT_EQ(root->Properties[0]->ListValues[0]->OriginalValue, "c");
}

TEST(ReadFormText, ErrorsCarryTheirLine) {
  struct {
    std::string text;
    const char* message;
  } cases[] = {
      {"object F: TF\r\n  Caption = 'abc\r\nend\r\n", "Invalid string constant on line 2"},
      {"object F: TF\r\n  X = 1\r\n" + std::string(5000, 'a') + "\r\nend\r\n", "Line too long on line 3"},
      {"object F: TF\r\n\r\n  X = <\r\n    itm\r\n", "item expected on line 4"},
      {"thing F: TF\r\nend\r\n", "OBJECT expected on line 1"},
      {"object F: TF\r\n  X = ,\r\nend\r\n", "Invalid property value on line 2"},
  };
  for (const auto& c : cases) {
    try {
      ReadFormText(c.text);
      ADD_FAILURE() << c.message;
    } catch (const EParserError& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
}

TEST(ReadFormText, HostileNestingEndsWithAnError) {
  std::string text = "object F: TF\r\n  X = " + std::string(100000, '(') + "\r\nend\r\n";
  EXPECT_THROW(ReadFormText(text), EParserError);
  std::string objects;
  for (int i = 0; i < 2000; ++i) objects += "object A: T\r\n";
  try {
    ReadFormText(objects);
    FAIL();
  } catch (const EParserError& e) {
    EXPECT_EQ(e.Reason(), kSNestingTooDeep);
  }
}

TEST(ReadForm, ReadsTheFileWithoutTemporaryFilesAndRestoresTheHint) {
  test::TScratchDir dir;
  std::string resource = TextToResource("object Main: TMain\r\n  Caption = 'Hi'\r\nend\r\n");
  test::WriteFile(dir.File("Main.DFM"), resource);
  test::WriteFile(dir.File("Main.TMP"), "the user's own file");
  TRecordingInteraction hint;
  hint.SetHint("before");
  TModuleHelper module(dir.File("main.dfm"), false, TFormEnvironment{nullptr, &hint, {}});
  EXPECT_EQ(module.Root->Properties[0]->OriginalValue, "Hi");
  EXPECT_GT(module.FileDate, 0);
  EXPECT_EQ(hint.Hint(), "before");
  EXPECT_EQ(hint.hints.at(1), "Reading '" + dir.File("Main.DFM") + "'...");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);
  EXPECT_EQ(ReadFileBytes(dir.File("Main.TMP")), "the user's own file");
}

TEST(ReadForm, FailedReloadKeepsTheTreeAndRestoresTheHint) {
  test::TScratchDir dir;
  test::WriteFile(dir.File("A.dfm"), TextToResource("object A: TA\r\nend\r\n"));
  TRecordingInteraction hint;
  TModuleHelper module(dir.File("A.dfm"), true, TFormEnvironment{nullptr, &hint, {}});
  test::WriteFile(dir.File("A.dfm"), "not a form");
  EXPECT_THROW(module.Reload(TFormEnvironment{nullptr, &hint, {}}), EReadError);
  ASSERT_NE(module.Root, nullptr);
  EXPECT_EQ(module.Root->ClassName, "TA");
  EXPECT_EQ(hint.Hint(), "");
}

}  // namespace
}  // namespace kst
