// User-defined properties: adding them to the tree, the settings entries
// that save and load them, and what the dialogs list (owner lines that
// resolve back to the node chosen, the entries and their removal rules).
#include "formmodel/user_defined_entries.h"

#include <gtest/gtest.h>

#include <functional>

#include "config/interaction.h"
#include "config/text_helpers.h"
#include "form_test_support.h"
#include "formmodel/form_conversion.h"
#include "formmodel/form_errors.h"
#include "formmodel/form_writer.h"
#include "formmodel/user_defined.h"
#include "platform/file_utils.h"
#include "platform/ini_file.h"
#include "support/test_support.h"

namespace kst {
namespace {

// The form (tests/data/formmodel/model/user-defined-form.txt): Panel1 holds
// an unnamed label; the form's child 2 is an unnamed panel; Bar's band items
// hold a nested collection.

const char* const kRefused = "This Property Type is not supported for user defined properties!";

std::string Error(const std::function<void()>& f) { return test::ErrorOf<EFormModelError>(f); }

class UserDefined : public testing::Test {
protected:
  void SetUp() override {
    test::WriteFile(dir.File("Main.DFM"), TextToResource(ReadFileBytes(test::TestDataDir() + "/formmodel/model/user-defined-form.txt")));
    module = std::make_unique<TModuleHelper>(dir.File("Main.DFM"), false);
  }
  TComponentHelper& Root() { return *module->Root; }
  const TPropertyOwner& Owner(const std::string& caption) {
    owners = ListPropertyOwners(Root());
    for (const TPropertyOwner& owner : owners)
      if (owner.caption == caption) return owner;
    throw std::runtime_error("no owner line " + caption);
  }
  std::vector<std::string> EntryPaths() {
    std::vector<std::string> paths;
    for (const TUserDefinedEntry& e : ListUserDefinedEntries(Root())) paths.push_back(e.path);
    return paths;
  }
  TUserDefinedEntry Entry(const std::string& path) {
    for (const TUserDefinedEntry& e : ListUserDefinedEntries(Root()))
      if (e.path == path) return e;
    throw std::runtime_error("no entry " + path);
  }
  std::vector<std::string> Saved() {
    TIniFile ini(dir.File("P.TRI"));
    ini.EraseSection(kUserDefinedSection);
    SaveUserDefinedProperties(*module, ini, ids);
    std::vector<std::string> out;
    for (const auto& key : ini.ReadSection(kUserDefinedSection))
      out.push_back(ini.ReadString(kUserDefinedSection, key, ""));
    std::sort(out.begin(), out.end());
    return out;
  }

  test::TScratchDir dir;
  std::unique_ptr<TModuleHelper> module;
  std::vector<TPropertyOwner> owners;
  TUniqueIdGenerator ids;
};

TEST_F(UserDefined, PropertiesListElementsAndCollectionItemsAreAddedAndSaved) {
  AddUserDefinedProperty(Root(), "Button1", " Hint ", ptString);
  TCHValue* hint = Root().FindProperty("Button1.Hint");
  ASSERT_NE(hint, nullptr);
  EXPECT_TRUE(hint->UserDefined);
  EXPECT_EQ(hint->OriginalValue, "");

  // List elements only beyond the end.
  AddUserDefinedProperty(Root(), "ListBox1.Items.Strings", "[1]", ptString);
  AddUserDefinedProperty(Root(), "ListBox1.Items.Strings", "[2]", ptInteger);
  TCHValue* list = Root().FindProperty("ListBox1.Items.Strings");
  ASSERT_EQ(list->ListValues.size(), 3u);
  EXPECT_TRUE(list->ListValues[2]->UserDefined);
  EXPECT_EQ(list->ListValues[2]->PropertyType, ptInteger);
  EXPECT_THROW(AddUserDefinedProperty(Root(), "ListBox1.Items.Strings", "[9]", ptList), EFormModelError);

  // Collection items keep the number asked for.
  AddUserDefinedProperty(Root(), "Bar.Bands", "[7]", ptUnknown);
  TCHValue* bands = Root().FindProperty("Bar.Bands");
  ASSERT_EQ(bands->CollectionItems.size(), 2u);
  EXPECT_EQ(bands->CollectionItems[1]->Index, 7);
  AddUserDefinedProperty(Root(), "Bar.Bands[1]", "Title.Caption", ptString);
  Root().FindProperty("Bar.Bands[1].Title.Caption")->SetTranslatedValue("City");
  EXPECT_NE(FormToText(Root(), true).find("      item[7]\r\n        Title.Caption = 'City'\r\n      end>"),
            std::string::npos);
  EXPECT_EQ(Saved(), (std::vector<std::string>{"Main.DFM;Bar.Bands;[1];", "Main.DFM;Bar.Bands[1];Title.Caption;ptString",
                                               "Main.DFM;Button1;Hint;ptString",
                                               "Main.DFM;ListBox1.Items.Strings;[2];ptInteger"}));

  for (TPropertyType type : {ptUnknown, ptCollection, ptList})
    EXPECT_EQ(Error([&] { AddUserDefinedProperty(Root(), "Button1", "Items", type); }), kRefused);
  AddUserDefinedProperty(Root(), "Nobody", "Items", ptList);  // a target that is not there is no error
}

TEST_F(UserDefined, EveryOwnerLineResolvesBackToItsNodeWithWhatTheDialogShows) {
  std::string captions;
  for (const TPropertyOwner& owner : ListPropertyOwners(Root())) {
    captions += owner.caption + "\n";
    if (owner.component)
      EXPECT_EQ(Root().FindComponent(owner.path), owner.component) << owner.caption;
    else
      EXPECT_EQ(Root().FindProperty(owner.path), owner.property) << owner.caption;
  }
  test::ExpectGolden(test::TestDataDir() + "/formmodel/model/user-defined-owners.txt", captions);
  struct TCase {
    const char* caption;
    const char* preset;
    bool name, type;
  } cases[] = {
      {"Panel1 (Component)", "", true, true},
      {"Bar.Bands[0].Panes (Collection)", "[2]", false, false},
      {"Bar.Bands[0] (Collection-Item)", "", true, true},
      {"ListBox1.Items.Strings (List)", "[2]", false, true},
  };
  for (const TCase& c : cases) {
    const TPropertyOwner& owner = Owner(c.caption);
    EXPECT_EQ(owner.presetName, c.preset) << c.caption;
    EXPECT_EQ(owner.nameEditable, c.name) << c.caption;
    EXPECT_EQ(owner.typeEditable, c.type) << c.caption;
  }
}

TEST_F(UserDefined, AdditionsThroughOwnerLinesLandOnTheirNodeAndComeBackWhenTheFormIsReadAnew) {
  const std::pair<const char*, TComponentHelper*> cases[] = {
      {"Form1{00002} (Component)", Root().Children[2].get()},
      {"Panel1{00000} (Component)", Root().Children[0]->Children[0].get()},  // not the form's child 0
      {"Bar.Bands[0].Panes[1] (Collection-Item)", Root().FindComponent("Bar.Bands[0].Panes[1]")},
  };
  for (const auto& [caption, node] : cases) {
    AddUserDefinedProperty(Root(), Owner(caption).path, "Hint", ptString);
    ASSERT_NE(node->FindPropertyItem("Hint"), nullptr) << caption;
    EXPECT_TRUE(node->FindPropertyItem("Hint")->UserDefined);
  }
  EXPECT_EQ(Root().Children[0]->FindPropertyItem("Hint"), nullptr) << "Panel1 itself stays as it was";
  AddUserDefinedProperty(Root(), Owner("Bar.Bands[0].Panes (Collection)").path, "[2]", ptUnknown);
  AddUserDefinedProperty(Root(), "ListBox1.Items.Strings", "[2]", ptInteger);
  EXPECT_EQ(EntryPaths(), (std::vector<std::string>{"Bar.Bands[0].Panes[1].Hint", "Bar.Bands[0].Panes[2]",
                                                    "Form1{2}.Hint", "ListBox1.Items.Strings[2]", "Panel1{0}.Hint"}));

  TIniFile ini(dir.File("P.TRI"));
  SaveUserDefinedProperties(*module, ini, ids);
  ini.WriteString(kUserDefinedSection, "other", "Other.DFM;Button1;Tag;ptInteger");
  TModuleHelper fresh(dir.File("Main.DFM"), false);
  TRecordingInteraction interaction;
  LoadUserDefinedProperties(fresh, ini, interaction);
  EXPECT_TRUE(interaction.warnings.empty());
  EXPECT_NE(fresh.Root->Children[0]->Children[0]->FindPropertyItem("Hint"), nullptr);
  EXPECT_EQ(fresh.Root->Children[0]->FindPropertyItem("Hint"), nullptr);
  EXPECT_EQ(fresh.Root->FindProperty("Button1.Tag"), nullptr) << "entries of other forms stay out";
  std::vector<std::string> before, after;
  Root().EnumeratePropertyPaths(before);
  fresh.Root->EnumeratePropertyPaths(after);
  EXPECT_EQ(after, before);

  ini.WriteString(kUserDefinedSection, "other", "Main.DFM;Button1;Items;ptList");
  TModuleHelper third(dir.File("Main.DFM"), false);
  LoadUserDefinedProperties(third, ini, interaction);
  EXPECT_EQ(interaction.warnings, std::vector<std::string>{kRefused}) << "loading stops at a refused type";
}

TEST_F(UserDefined, PropertyNamesMustBeIdentifiers) {
  const std::pair<const char*, const char*> refused[] = {
      {"", "Please enter the name of the new property."},
      {"   ", "Please enter the name of the new property."},
      {"1st", "\"1st\" is not a valid property name"},
      {"Two words", "\"Two words\" is not a valid property name"},
      {"Font.", "\"Font.\" is not a valid property name"},
      {".Hint", "\".Hint\" is not a valid property name"},
      {"Font..Name", "\"Font..Name\" is not a valid property name"},
      {"Hint;x", "\"Hint;x\" is not a valid property name"},
      {"[3]", "\"[3]\" is not a valid property name"},
  };
  for (const auto& [name, message] : refused) {
    std::string error = Error([&] { AddUserDefinedProperty(Root(), "Panel1", name, ptString); });
    EXPECT_EQ(error.rfind(message, 0), 0u) << error;
  }
  EXPECT_TRUE(ListUserDefinedEntries(Root()).empty()) << "nothing was added";
  for (const char* name : {"Hint", "Font.Name", "_tag2", " Caption "})
    AddUserDefinedProperty(Root(), "Panel1", name, ptString);
  EXPECT_EQ(EntryPaths(),
            (std::vector<std::string>{"Panel1.Caption", "Panel1.Font.Name", "Panel1.Hint", "Panel1._tag2"}));
}

TEST_F(UserDefined, OnlyTheLastElementOfAListOrCollectionMayGo) {
  AddUserDefinedProperty(Root(), "ListBox1.Items.Strings", "[2]", ptString);
  AddUserDefinedProperty(Root(), "ListBox1.Items.Strings", "[3]", ptString);
  AddUserDefinedProperty(Root(), "Bar.Bands", "[1]", ptUnknown);
  AddUserDefinedProperty(Root(), "Bar.Bands", "[2]", ptUnknown);
  AddUserDefinedProperty(Root(), "Panel1", "Hint", ptString);
  EXPECT_FALSE(Entry("ListBox1.Items.Strings[2]").removable);
  EXPECT_TRUE(Entry("ListBox1.Items.Strings[3]").removable);
  for (const char* path : {"ListBox1.Items.Strings[2]", "Bar.Bands[1]"}) {
    std::string error = Error([&] { RemoveUserDefinedEntry(Root(), Entry(path)); });
    EXPECT_EQ(error.rfind("\"" + std::string(path) + "\" cannot be removed: only the last", 0), 0u) << error;
  }
  EXPECT_EQ(EntryPaths().size(), 5u) << "a refused removal changes nothing";
  // From the end backwards every element can go; properties at any time.
  for (const char* path :
       {"Panel1.Hint", "ListBox1.Items.Strings[3]", "ListBox1.Items.Strings[2]", "Bar.Bands[2]", "Bar.Bands[1]"})
    RemoveUserDefinedEntry(Root(), Entry(path));
  EXPECT_TRUE(EntryPaths().empty());
  EXPECT_EQ(Root().FindProperty("ListBox1.Items.Strings")->ListValues.size(), 2u);
  EXPECT_EQ(Root().FindProperty("Bar.Bands")->CollectionItems.size(), 1u);

  // The file's own elements are not entries, and an entry must still be
  // part of the tree.
  TComponentHelper* listBox = Root().FindComponent("ListBox1");
  TUserDefinedEntry own{TUserDefinedKind::ListElement, "ListBox1.Items.Strings[1]", listBox, 1,
                        listBox->FindPropertyItem("Items.Strings"), true};
  EXPECT_THROW(RemoveUserDefinedEntry(Root(), own), EFormModelError);
  TComponentHelper stranger;
  own.node = &stranger;
  EXPECT_THROW(RemoveUserDefinedEntry(Root(), own), EFormModelError);
  EXPECT_EQ(Root().FindProperty("ListBox1.Items.Strings")->ListValues.size(), 2u);
}

}  // namespace
}  // namespace kst
