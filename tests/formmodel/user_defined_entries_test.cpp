// The user-defined-property dialogs' view of a form: owner lines that
// resolve back to the node chosen, adding through them, the entry list and
// the removal rules.
#include "formmodel/user_defined_entries.h"

#include <gtest/gtest.h>

#include "config/interaction.h"
#include "config/text_helpers.h"
#include "formmodel/form_conversion.h"
#include "formmodel/form_errors.h"
#include "formmodel/user_defined.h"
#include "platform/ini_file.h"
#include "support/test_support.h"

namespace kst {
namespace {

// Panel1 holds an unnamed label; the form's child 2 is an unnamed panel;
// Bar's band items hold a nested collection.
const char* const kForm =
    "object Form1: TForm1\r\n"
    "  object Panel1: TPanel\r\n"
    "    object TLabel\r\n    end\r\n"
    "  end\r\n"
    "  object ListBox1: TListBox\r\n    Items.Strings = (\r\n      'a'\r\n      'b')\r\n  end\r\n"
    "  object TPanel\r\n  end\r\n"
    "  object Bar: TCoolBar\r\n"
    "    Bands = <\r\n"
    "      item\r\n        Panes = <\r\n          item\r\n          end\r\n          item\r\n          end>\r\n      "
    "end>\r\n"
    "  end\r\n"
    "end\r\n";

class UserDefinedEntries : public ::testing::Test {
protected:
  void SetUp() override {
    test::WriteFile(dir.File("Main.DFM"), TextToResource(kForm));
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

  test::TScratchDir dir;
  std::unique_ptr<TModuleHelper> module;
  std::vector<TPropertyOwner> owners;
};

TEST_F(UserDefinedEntries, EveryOwnerLineResolvesBackToItsNode) {
  std::vector<std::string> captions;
  for (const TPropertyOwner& owner : ListPropertyOwners(Root())) {
    captions.push_back(owner.caption);
    if (owner.component) {
      EXPECT_EQ(Root().FindComponent(owner.path), owner.component) << owner.caption;
    } else {
      EXPECT_EQ(Root().FindProperty(owner.path), owner.property) << owner.caption;
    }
  }
  EXPECT_EQ(captions, (std::vector<std::string>{
                          "Bar (Component)",
                          "Bar.Bands (Collection)",
                          "Bar.Bands[0] (Collection-Item)",
                          "Bar.Bands[0].Panes (Collection)",
                          "Bar.Bands[0].Panes[0] (Collection-Item)",
                          "Bar.Bands[0].Panes[1] (Collection-Item)",
                          "Form1 (Component)",
                          "Form1{00002} (Component)",
                          "ListBox1 (Component)",
                          "ListBox1.Items.Strings (List)",
                          "Panel1 (Component)",
                          "Panel1{00000} (Component)",
                      }));
}

TEST_F(UserDefinedEntries, OwnerLinesPresetWhatTheDialogShows) {
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

TEST_F(UserDefinedEntries, AddingThroughAnOwnerLineLandsOnThatNode) {
  TComponentHelper* unnamedPanel = Root().Children[2].get();
  TComponentHelper* label = Root().Children[0]->Children[0].get();
  TComponentHelper* pane = Root().FindComponent("Bar.Bands[0].Panes[1]");
  ASSERT_NE(pane, nullptr);
  const std::pair<const char*, TComponentHelper*> cases[] = {
      {"Form1{00002} (Component)", unnamedPanel},
      {"Panel1{00000} (Component)", label},  // not the form's child 0
      {"Bar.Bands[0].Panes[1] (Collection-Item)", pane},
  };
  for (const auto& [caption, node] : cases) {
    std::string ownerPath = Owner(caption).path;
    AddUserDefinedProperty(Root(), ownerPath, "Hint", ptString);
    ASSERT_NE(node->FindPropertyItem("Hint"), nullptr) << caption;
    EXPECT_TRUE(node->FindPropertyItem("Hint")->UserDefined);
  }
  EXPECT_EQ(Root().Children[0]->FindPropertyItem("Hint"), nullptr) << "Panel1 itself stays as it was";

  AddUserDefinedProperty(Root(), Owner("Bar.Bands[0].Panes (Collection)").path, "[2]", ptUnknown);
  EXPECT_EQ(EntryPaths(), (std::vector<std::string>{"Bar.Bands[0].Panes[1].Hint", "Bar.Bands[0].Panes[2]",
                                                    "Form1{2}.Hint", "Panel1{0}.Hint"}));

  // The saved entries find the same nodes again when the form is read anew.
  TIniFile ini(dir.File("P.TRI"));
  TUniqueIdGenerator ids;
  SaveUserDefinedProperties(*module, ini, ids);
  TModuleHelper fresh(dir.File("Main.DFM"), false);
  TRecordingInteraction interaction;
  LoadUserDefinedProperties(fresh, ini, interaction);
  EXPECT_TRUE(interaction.warnings.empty());
  EXPECT_NE(fresh.Root->Children[0]->Children[0]->FindPropertyItem("Hint"), nullptr);
  EXPECT_EQ(fresh.Root->Children[0]->FindPropertyItem("Hint"), nullptr);
  std::vector<std::string> before, after;
  Root().EnumeratePropertyPaths(before);
  fresh.Root->EnumeratePropertyPaths(after);
  EXPECT_EQ(after, before);
}

TEST_F(UserDefinedEntries, PropertyNamesMustBeIdentifiers) {
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
    try {
      AddUserDefinedProperty(Root(), "Panel1", name, ptString);
      ADD_FAILURE() << "accepted \"" << name << "\"";
    } catch (const EFormModelError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(message, 0), 0u) << e.what();
    }
  }
  EXPECT_TRUE(ListUserDefinedEntries(Root()).empty()) << "nothing was added";
  for (const char* name : {"Hint", "Font.Name", "_tag2", " Caption "})
    AddUserDefinedProperty(Root(), "Panel1", name, ptString);
  EXPECT_EQ(EntryPaths(),
            (std::vector<std::string>{"Panel1.Caption", "Panel1.Font.Name", "Panel1.Hint", "Panel1._tag2"}));
}

TEST_F(UserDefinedEntries, OnlyTheLastElementOfAListOrCollectionMayGo) {
  AddUserDefinedProperty(Root(), "ListBox1.Items.Strings", "[2]", ptString);
  AddUserDefinedProperty(Root(), "ListBox1.Items.Strings", "[3]", ptString);
  AddUserDefinedProperty(Root(), "Bar.Bands", "[1]", ptUnknown);
  AddUserDefinedProperty(Root(), "Bar.Bands", "[2]", ptUnknown);
  AddUserDefinedProperty(Root(), "Panel1", "Hint", ptString);
  EXPECT_FALSE(Entry("ListBox1.Items.Strings[2]").removable);
  EXPECT_TRUE(Entry("ListBox1.Items.Strings[3]").removable);

  for (const char* path : {"ListBox1.Items.Strings[2]", "Bar.Bands[1]"}) {
    try {
      RemoveUserDefinedEntry(Root(), Entry(path));
      ADD_FAILURE() << path;
    } catch (const EFormModelError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("\"" + std::string(path) + "\" cannot be removed: only the last", 0), 0u)
          << e.what();
    }
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
  TUserDefinedEntry own{TUserDefinedKind::ListElement,
                        "ListBox1.Items.Strings[1]",
                        Root().FindComponent("ListBox1"),
                        1,
                        Root().FindComponent("ListBox1")->FindPropertyItem("Items.Strings"),
                        true};
  EXPECT_THROW(RemoveUserDefinedEntry(Root(), own), EFormModelError);
  TComponentHelper stranger;
  own.node = &stranger;
  EXPECT_THROW(RemoveUserDefinedEntry(Root(), own), EFormModelError);
  EXPECT_EQ(Root().FindProperty("ListBox1.Items.Strings")->ListValues.size(), 2u);
}

}  // namespace
}  // namespace kst
