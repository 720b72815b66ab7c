// The form model: property paths, translation state, the texts a translation may have, form files, and
// user-defined properties with their settings entries and what the dialogs list.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "config/interaction.h"
#include "config/text_helpers.h"
#include "form_test_support.h"
#include "formmodel/form_conversion.h"
#include "formmodel/form_errors.h"
#include "formmodel/form_reader.h"
#include "formmodel/form_writer.h"
#include "formmodel/user_defined.h"
#include "formmodel/user_defined_entries.h"
#include "formmodel/value_check.h"
#include "platform/file_utils.h"
#include "platform/ini_file.h"
#include "support/test_support.h"

namespace kst {
namespace {

// Named, nested, unnamed (one in another), list-in-list and collection values, in tests/data/formmodel/model.
std::string ModelData() { return test::TestDataDir() + "/formmodel/model/"; }

class PropertyPaths : public testing::Test {
protected:
  std::unique_ptr<TComponentHelper> root = ReadFormText(ReadFileBytes(ModelData() + "paths-form.txt"));
};

TEST_F(PropertyPaths, EveryPlainValueInOrderResolvesToItselfAndToItsOwnersClass) {
  // Each path, and the class-qualified path the highlighting rules are asked about.
  std::vector<std::string> paths;
  root->EnumeratePropertyPaths(paths);
  std::string listing;
  size_t i = 0;
  root->ForEachPropertyPath([&](const std::string& path, TCHValue& value) {
    EXPECT_EQ(paths.at(i++), path);
    EXPECT_EQ(root->FindProperty(path), &value) << path;
    listing += path + "\t" + root->ClassQualifiedPath(path) + "\n";
  });
  EXPECT_EQ(i, paths.size());
  test::ExpectGolden(ModelData() + "paths.txt", listing);
  EXPECT_EQ(root->ClassQualifiedPath("button1.CAPTION"), "TButton.CAPTION") << "names compare without case";
  for (const char* nothing :
       {"Nope.Caption", "Form1{9}.Caption", "Form1{x}.Caption", "Form1{2", "Button1", "Form1{2}Caption", ""})
    EXPECT_EQ(root->ClassQualifiedPath(nothing), "") << nothing;
}

TEST_F(PropertyPaths, DisplayAndComponentPathsCaseParentsAndWhatIsNotThere) {
  TCHValue* caption = root->FindProperty("Button1.Caption");
  ASSERT_NE(caption, nullptr);
  EXPECT_EQ(caption->OriginalValue, "Go");
  for (const char* same : {">Panel1>Button1.Caption", "BUTTON1.caption"}) EXPECT_EQ(root->FindProperty(same), caption);
  EXPECT_EQ(root->FindProperty("DBGrid1.Columns[1].Title.Caption")->OriginalValue, "City");
  EXPECT_EQ(root->FindProperty("ListBox1.Items.Strings[ 1 ]")->OriginalValue, "b");
  EXPECT_EQ(root->FindProperty("ListBox1.Items.Strings")->PropertyType, ptList);
  for (const char* path : {"ListBox1.Items.Strings[5]", "Form1.Nothing", "Nobody.Caption", "Form1{9}.Caption",
                           "Form1{5}.Caption", "Form1{3.Caption", "DBGrid1.Columns[2].Title.Caption",
                           "Form1.Caption[0]", "", ">", "#x", "DBGrid1.Columns[0]Title"})
    EXPECT_EQ(root->FindProperty(path), nullptr) << path;
  for (const char* path : {"ListBox1.Items.Strings5", "ListBox1.Items.Strings[0]x", "ListBox1.Items.Strings[]"})
    EXPECT_EQ(test::Thrown<EFormModelError>([&] { root->FindProperty(path); }), "Invalid ID") << path;

  TComponentHelper* button = root->FindComponent("Button1");
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->Parent, root->FindComponent("Panel1"));
  EXPECT_EQ(root->FindComponent("Panel1")->Parent, root.get());
  EXPECT_EQ(root->FindComponentByName(">Panel1>Button1"), button);
  EXPECT_EQ(root->FindComponentByName(".Caption"), nullptr);
  EXPECT_EQ(root->FindComponent("Form1{4}{0}")->ClassName, "TLabel");
  TComponentHelper* column = root->FindComponent("DBGrid1.Columns[1]");
  EXPECT_EQ(column, root->FindProperty("DBGrid1.Columns")->CollectionItems[1].get());
  EXPECT_EQ(column->Index, 7);
  EXPECT_EQ(column->Parent, nullptr) << "collection items hang below their property, not a component";
  for (const char* nothing : {"Form1{9}", "DBGrid1.Columns[2]", "Form1{x}"})
    EXPECT_EQ(root->FindComponent(nothing), nullptr) << nothing;
  // Only direct children count, and the display-path rule takes no enumerated paths.
  const std::pair<const char*, const char*> classNames[] = {
      {".Caption", "TForm.Caption"}, {">Panel1>Button1.Caption", "TButton.Caption"}, {">Button1.Caption", ""},
      {"Button1.Caption", ""}};
  for (auto [path, name] : classNames) EXPECT_EQ(root->ClassPropertyName(path), name) << path;
}

TEST_F(PropertyPaths, TranslationStateAddingResettingAndAnUnfilledValue) {
  TCHPropertyItem* caption = root->FindOrAddProperty("CAPTION", ptInteger, true);
  caption->SetTranslatedValue("ok");
  EXPECT_TRUE(caption->IsTranslated()) << "a change of case is a translation";
  caption->ResetTranslation();
  EXPECT_FALSE(caption->IsTranslated());
  EXPECT_EQ(caption->PropertyType, ptString) << "an existing item is kept";
  EXPECT_FALSE(caption->UserDefined);
  root->ForEachPropertyPath([&](const std::string&, TCHValue& v) { v.SetTranslatedValue("x"); });
  root->ResetAllTranslations();
  int translated = 0;
  root->ForEachPropertyPath([&](const std::string&, TCHValue& v) { translated += v.IsTranslated(); });
  EXPECT_EQ(translated, 2) << "elements of a list inside a list are one level too deep to be reset";

  TCHPropertyItem* hint = root->FindOrAddProperty("Hint", ptUnknown, false);
  EXPECT_EQ(root->Properties.back().get(), hint);
  std::vector<std::string> paths;
  EXPECT_EQ(test::Thrown<EFormModelError>([&] { root->EnumeratePropertyPaths(paths); }), "Internal Error");
}

// A translation of a number, identifier, set or binary value goes into the form text as it stands: the writer
// takes it only when it reads back as one value of that type, never as more form text ("8 Visible = False").
TEST(TranslatedValueTexts, AreWrittenOnlyWhenTheyReadBackAsOneValue) {
  const struct {
    TPropertyType type;
    std::vector<std::string> accepted, refused;
    std::string original = "1";  // 64-bit integers and width letters follow it
  } cases[] = {
      {ptInteger, {"8", "-12", "$FFFFFFFF"}, {"$123456789", "8 Visible = False", " 8", "8\r\n", "1.5", "99999999999", "", "acht"}},
      {ptInteger, {"-9223372036854775808", "2147483648", "8"}, {"9223372036854775808", "1.5"}, "9223372036854775807"},
      {ptFloat, {"1.5E2", "2"}, {"1.5.5", "1,5", "1.5s", "0c"}},
      {ptFloat, {"2.5S", "-1E3s", "2"}, {"2.5", "2.5d", "1E39s", "1.5s X"}, "0.100000001490116s"},
      {ptFloat, {"25000C", "0c"}, {"1E19c", "1.5"}, "15000c"},
      {ptFloat, {"36527.25d"}, {"1E309d", "1.5s"}, "36526.5d"},
      {ptSymbol, {"clBtnFace", "Form1.Button1"}, {"clRed Visible = True", "'x'"}},
      {ptSet, {"[akLeft, akTop]", "[]"}, {"[akLeft] X = 1", "[akLeft,]", "[Form1.akLeft]"}},
      {ptBinary, {"0A0bFF", ""}, {"ABC", "00} X = {"}},
      {ptString, {"8 Visible = False'\r\n"}, {}},
  };
  for (const auto& c : cases)
    for (bool accepted : {true, false})
      for (const std::string& text : accepted ? c.accepted : c.refused) {
        SCOPED_TRACE(text);
        auto root = ReadFormText("object Form1: TForm1\r\n  P = 1\r\n  Q = 2\r\nend\r\n");
        root->Properties[0]->SetValue(c.original, c.type);
        root->Properties[0]->SetTranslatedValue(text);
        EXPECT_EQ(ValueTextProblem(c.type, text, c.original).empty(), accepted);
        if (!accepted) {
          std::string message = test::Thrown<EFormModelError>([&] { FormToText(*root, true); });
          EXPECT_EQ(message.rfind("The translation of Form1.P must be ", 0), 0u) << message;
          continue;
        }
        auto back = ReadFormText(FormToText(*root, true));
        ASSERT_EQ(back->Properties.size(), 2u);
        EXPECT_EQ(back->Properties[0]->Name, "P");
        EXPECT_EQ(back->Properties[1]->OriginalValue, "2");
      }
}

TEST(FormToText, TranslatedOrOriginalTextsAndWhatIsLeftOut) {
  std::string long300(300, 'x');
  long300[100] = '\'';
  long300[200] = '\n';
  auto root = ReadFormText("object Form1: TForm1\r\n  Caption = 'Hello'\r\n  B = {" + std::string(200, 'E') + "}\r\nend\r\n");
  root->Properties[0]->SetTranslatedValue("Bonjour");
  EXPECT_EQ(FormToText(*root, false).substr(0, 43), "object Form1: TForm1\r\n  Caption = 'Hello'\r\n");
  EXPECT_EQ(FormToText(*root, true).substr(0, 45), "object Form1: TForm1\r\n  Caption = 'Bonjour'\r\n");
  // An untranslated user-defined value is left out; a translated one is written.
  root->FindOrAddProperty("Hint", ptString, true);
  EXPECT_EQ(FormToText(*root, true).find("Hint"), std::string::npos);
  root->Properties[2]->SetTranslatedValue(long300);
  auto again = ReadFormText(FormToText(*root, true));
  EXPECT_EQ(again->Properties[2]->OriginalValue, long300);
  EXPECT_EQ(again->Properties[1]->OriginalValue, std::string(200, 'E'));
  for (TPropertyType type : {ptUnknown, ptClass}) {
    root->Properties[2]->PropertyType = type;
    EXPECT_EQ(test::Thrown<EFormModelError>([&] { FormToText(*root, true); }), "Unknown property type");
  }
}

TEST(FormFiles, ReadAndWrittenAtomicallyWithTheHintRestoredAndNothingLeftBeside) {
  test::TScratchDir dir;
  test::WriteFile(dir.File("Main.DFM"), TextToResource("object Main: TMain\r\n  Caption = 'Hi'\r\nend\r\n"));
  test::WriteFile(dir.File("Main.TMP"), "the user's own file");
  TRecordingInteraction hint;
  hint.SetHint("before");
  TModuleHelper module(dir.File("main.dfm"), false, TFormEnvironment{nullptr, &hint, {}});
  EXPECT_EQ(module.Root->Properties[0]->OriginalValue, "Hi");
  EXPECT_GT(module.FileDate, 0);
  EXPECT_EQ(hint.hints.at(1), "Reading '" + dir.File("Main.DFM") + "'...");
  EXPECT_EQ(hint.Hint(), "before");

  module.Root->Properties[0]->SetTranslatedValue("Hallo");
  std::string target = dir.File("DEU.dfm");
  WriteForm(*module.Root, target, true, TFormEnvironment{nullptr, &hint, {}});
  EXPECT_EQ(ResourceToText(ReadFileBytes(target)), "object Main: TMain\r\n  Caption = 'Hallo'\r\nend\r\n");
  EXPECT_EQ(hint.hints.back(), "before");
  EXPECT_NE(std::find(hint.hints.begin(), hint.hints.end(), "Writing '" + target + "'..."), hint.hints.end());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 3);
  EXPECT_EQ(ReadFileBytes(dir.File("Main.TMP")), "the user's own file");

  // A failed write leaves the file; a failed reload keeps the tree.
  module.Root->FindOrAddProperty("P", ptUnknown, false);
  EXPECT_THROW(WriteForm(*module.Root, target, true), EFormModelError);
  module.Root->Properties.pop_back();
  module.Root->ClassName = "1bad";  // a class name that is no symbol makes text the converter refuses
  EXPECT_THROW(WriteForm(*module.Root, target, true), EParserError);
  EXPECT_EQ(ResourceToText(ReadFileBytes(target)), "object Main: TMain\r\n  Caption = 'Hallo'\r\nend\r\n");
  test::WriteFile(dir.File("Main.DFM"), "not a form");
  hint.SetHint("after");
  EXPECT_THROW(module.Reload(TFormEnvironment{nullptr, &hint, {}}), EReadError);
  ASSERT_NE(module.Root, nullptr);
  EXPECT_EQ(module.Root->Properties[0]->OriginalValue, "Hi");
  EXPECT_EQ(hint.Hint(), "after");
}

// The form (model/user-defined-form.txt): Panel1 holds an unnamed label; the form's child 2 is an unnamed
// panel; Bar's band items hold a nested collection.

const char* const kRefused = "This Property Type is not supported for user defined properties!";

std::string Error(const std::function<void()>& f) { return test::Thrown<EFormModelError>(f); }

class UserDefined : public testing::Test {
protected:
  void SetUp() override {
    test::WriteFile(dir.File("Main.DFM"), TextToResource(ReadFileBytes(ModelData() + "user-defined-form.txt")));
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
  // List elements only beyond the end.
  AddUserDefinedProperty(Root(), "ListBox1.Items.Strings", "[1]", ptString);
  AddUserDefinedProperty(Root(), "ListBox1.Items.Strings", "[2]", ptInteger);
  EXPECT_EQ(Root().FindProperty("ListBox1.Items.Strings")->ListValues.size(), 3u);
  EXPECT_THROW(AddUserDefinedProperty(Root(), "ListBox1.Items.Strings", "[9]", ptList), EFormModelError);
  // Collection items keep the number asked for.
  AddUserDefinedProperty(Root(), "Bar.Bands", "[7]", ptUnknown);
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
  test::ExpectGolden(ModelData() + "user-defined-owners.txt", captions);
  // The name the dialog suggests, and whether name and type may be edited.
  const std::pair<const char*, const char*> cases[] = {
      {"Panel1 (Component)", " name type"},     {"Bar.Bands[0].Panes (Collection)", "[2]"},
      {"Bar.Bands[0] (Collection-Item)", " name type"}, {"ListBox1.Items.Strings (List)", "[2] type"}};
  for (const auto& [caption, dialog] : cases) {
    const TPropertyOwner& owner = Owner(caption);
    EXPECT_EQ(owner.presetName + (owner.nameEditable ? " name" : "") + (owner.typeEditable ? " type" : ""), dialog);
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
    EXPECT_TRUE(node->FindPropertyItem("Hint") && node->FindPropertyItem("Hint")->UserDefined) << caption;
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
  std::vector<std::string> before, after;
  Root().EnumeratePropertyPaths(before);
  fresh.Root->EnumeratePropertyPaths(after);
  EXPECT_EQ(after, before) << "every addition on its node again; entries of other forms stay out";

  ini.WriteString(kUserDefinedSection, "other", "Main.DFM;Button1;Items;ptList");
  ini.WriteString(kUserDefinedSection, "later", "Main.DFM;Button1;Tag;ptInteger");
  TModuleHelper third(dir.File("Main.DFM"), false);
  LoadUserDefinedProperties(third, ini, interaction);
  EXPECT_EQ(interaction.warnings, std::vector<std::string>{kRefused});
  EXPECT_NE(third.Root->FindProperty("Button1.Tag"), nullptr) << "a refused entry does not stop the ones after it";
}

TEST_F(UserDefined, PropertyNamesMustBeIdentifiers) {
  for (const std::string name : {"", "   ", "1st", "Two words", "Font.", ".Hint", "Font..Name", "Hint;x", "[3]"}) {
    std::string error = Error([&] { AddUserDefinedProperty(Root(), "Panel1", name, ptString); });
    std::string message = "\"" + name + "\" is not a valid property name";
    if (name.find_first_not_of(' ') == std::string::npos) message = "Please enter the name of the new property.";
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
  EXPECT_EQ(Root().FindProperty("Bar.Bands")->CollectionItems.size(), 1u);

  // The file's own elements are not entries, and an entry must still be part of the tree.
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
