// User-defined properties: adding them to the tree, and the settings entries
// that save and load them.
#include <gtest/gtest.h>

#include "config/interaction.h"
#include "config/text_helpers.h"
#include "formmodel/form_conversion.h"
#include "formmodel/form_errors.h"
#include "formmodel/form_reader.h"
#include "formmodel/form_writer.h"
#include "formmodel/user_defined.h"
#include "platform/ini_file.h"
#include "support/test_support.h"

namespace kst {
namespace {

const char* const kForm =
    "object Main: TMain\r\n"
    "  object Button1: TButton\r\n    Caption = 'Go'\r\n  end\r\n"
    "  object ListBox1: TListBox\r\n    Items.Strings = (\r\n      'a'\r\n      'b'\r\n      'c')\r\n  end\r\n"
    "  object Grid: TDBGrid\r\n    Columns = <\r\n      item\r\n      end>\r\n  end\r\n"
    "  object TPanel\r\n  end\r\n"
    "end\r\n";

class UserDefined : public ::testing::Test {
protected:
  void SetUp() override {
    test::WriteFile(dir.File("Main.DFM"), TextToResource(kForm));
    module = std::make_unique<TModuleHelper>(dir.File("Main.DFM"), false);
  }
  TComponentHelper& Root() { return *module->Root; }
  std::vector<std::string> Entries(const TIniFile& ini) {
    std::vector<std::string> out;
    for (const auto& key : ini.ReadSection(kUserDefinedSection)) out.push_back(ini.ReadString(kUserDefinedSection, key, ""));
    std::sort(out.begin(), out.end());
    return out;
  }

  test::TScratchDir dir;
  std::unique_ptr<TModuleHelper> module;
  TUniqueIdGenerator ids;
};

TEST_F(UserDefined, NewPropertyOnAComponentIsSavedAsAnEntry) {
  AddUserDefinedProperty(Root(), "Button1", " Hint ", ptString);
  TCHValue* hint = Root().FindProperty("Button1.Hint");
  ASSERT_NE(hint, nullptr);
  EXPECT_TRUE(hint->UserDefined);
  EXPECT_EQ(hint->OriginalValue, "");
  TIniFile ini(dir.File("P.TRI"));
  SaveUserDefinedProperties(*module, ini, ids);
  EXPECT_EQ(Entries(ini), std::vector<std::string>{"Main.DFM;Button1;Hint;ptString"});
}

TEST_F(UserDefined, ListElementsOnlyBeyondTheEnd) {
  AddUserDefinedProperty(Root(), "ListBox1.Items.Strings", "[2]", ptString);
  EXPECT_EQ(Root().FindProperty("ListBox1.Items.Strings")->ListValues.size(), 3u);
  AddUserDefinedProperty(Root(), "ListBox1.Items.Strings", "[3]", ptString);
  TCHValue* list = Root().FindProperty("ListBox1.Items.Strings");
  ASSERT_EQ(list->ListValues.size(), 4u);
  EXPECT_TRUE(list->ListValues[3]->UserDefined);
  EXPECT_EQ(list->ListValues[3]->PropertyType, ptString);
  EXPECT_THROW(AddUserDefinedProperty(Root(), "ListBox1.Items.Strings", "[9]", ptList), EFormModelError);
}

TEST_F(UserDefined, CollectionItemsKeepTheRequestedNumber) {
  AddUserDefinedProperty(Root(), "Grid.Columns", "[7]", ptUnknown);
  TCHValue* columns = Root().FindProperty("Grid.Columns");
  ASSERT_EQ(columns->CollectionItems.size(), 2u);
  EXPECT_EQ(columns->CollectionItems[1]->Index, 7);
  AddUserDefinedProperty(Root(), "Grid.Columns[1]", "Title.Caption", ptString);
  Root().FindProperty("Grid.Columns[1].Title.Caption")->SetTranslatedValue("City");
  EXPECT_NE(FormToText(Root(), true).find("      item[7]\r\n        Title.Caption = 'City'\r\n      end>"), std::string::npos);

  TIniFile ini(dir.File("P.TRI"));
  SaveUserDefinedProperties(*module, ini, ids);
  EXPECT_EQ(Entries(ini), (std::vector<std::string>{"Main.DFM;Grid.Columns;[1];",
                                                    "Main.DFM;Grid.Columns[1];Title.Caption;ptString"}));
}

TEST_F(UserDefined, RefusedTypesStop) {
  for (TPropertyType type : {ptUnknown, ptCollection, ptList}) {
    try {
      AddUserDefinedProperty(Root(), "Button1", "Items", type);
      ADD_FAILURE();
    } catch (const EFormModelError& e) {
      EXPECT_STREQ(e.what(), "This Property Type is not supported for user defined properties!");
    }
  }
  // A target that does not exist is no error.
  AddUserDefinedProperty(Root(), "Nobody", "Items", ptList);
}

TEST_F(UserDefined, SaveThenLoadGivesTheSameAdditions) {
  AddUserDefinedProperty(Root(), "Button1", "Hint", ptString);
  AddUserDefinedProperty(Root(), "Main{3}", "Caption", ptString);
  AddUserDefinedProperty(Root(), "ListBox1.Items.Strings", "[3]", ptInteger);
  AddUserDefinedProperty(Root(), "Grid.Columns", "[1]", ptUnknown);
  TIniFile ini(dir.File("P.TRI"));
  SaveUserDefinedProperties(*module, ini, ids);
  ini.WriteString(kUserDefinedSection, "other", "Other.DFM;Button1;Tag;ptInteger");
  EXPECT_EQ(Entries(ini).size(), 5u);

  TModuleHelper fresh(dir.File("Main.DFM"), false);
  TRecordingInteraction interaction;
  LoadUserDefinedProperties(fresh, TIniFile(dir.File("P.TRI")), interaction);
  EXPECT_TRUE(interaction.warnings.empty());
  std::vector<std::string> before, after;
  module->Root->EnumeratePropertyPaths(before);
  fresh.Root->EnumeratePropertyPaths(after);
  EXPECT_EQ(after, before);
  EXPECT_EQ(fresh.Root->FindProperty("Button1.Tag"), nullptr) << "entries of other forms stay out";
}

TEST_F(UserDefined, LoadingStopsAtARefusedTypeAndSaysWhy) {
  TIniFile ini(dir.File("P.TRI"));
  ini.WriteString(kUserDefinedSection, "a", "Main.DFM;Button1;Items;ptList");
  TRecordingInteraction interaction;
  LoadUserDefinedProperties(*module, ini, interaction);
  EXPECT_EQ(interaction.warnings,
            std::vector<std::string>{"This Property Type is not supported for user defined properties!"});
}

}  // namespace
}  // namespace kst
