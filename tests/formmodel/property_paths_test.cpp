// Property paths: translation state of values, building paths for every
// plain value and resolving them back, component paths and class-qualified
// names.
#include <gtest/gtest.h>

#include "formmodel/form_errors.h"
#include "formmodel/form_reader.h"

namespace kst {
namespace {

const char* const kForm =
    "object Form1: TForm1\r\n"
    "  Caption = 'OK'\r\n"
    "  Ctl3D = False\r\n"
    "  object Panel1: TPanel\r\n"
    "    object Button1: TButton\r\n"
    "      Caption = 'Go'\r\n"
    "    end\r\n"
    "  end\r\n"
    "  object ListBox1: TListBox\r\n"
    "    Items.Strings = (\r\n      'a'\r\n      'b'\r\n      ('c' 'd'))\r\n"
    "  end\r\n"
    "  object TPanel\r\n"
    "    Caption = 'first unnamed'\r\n"
    "  end\r\n"
    "  object DBGrid1: TDBGrid\r\n"
    "    Columns = <\r\n"
    "      item\r\n        Title.Caption = 'Name'\r\n      end\r\n"
    "      item [7]\r\n        Title.Caption = 'City'\r\n      end>\r\n"
    "  end\r\n"
    "  object TPanel\r\n"
    "    object TLabel\r\n"
    "      Caption = 'deep'\r\n"
    "    end\r\n"
    "  end\r\n"
    "end\r\n";

class PropertyPaths : public ::testing::Test {
protected:
  std::unique_ptr<TComponentHelper> root = ReadFormText(kForm);
};

TEST_F(PropertyPaths, TranslationStateFollowsTheTexts) {
  TCHValue* caption = root->FindProperty("Form1.Caption");
  ASSERT_NE(caption, nullptr);
  EXPECT_EQ(caption->GetOriginalValue(), "OK");
  caption->SetTranslatedValue("Ja");
  EXPECT_TRUE(caption->IsTranslated());
  caption->ResetTranslation();
  EXPECT_FALSE(caption->IsTranslated());
  caption->SetTranslatedValue("ok");
  EXPECT_TRUE(caption->IsTranslated()) << "a change of case is a translation";
  caption->SetTranslatedValue("OK");
  EXPECT_FALSE(caption->IsTranslated());
}

TEST_F(PropertyPaths, EnumeratesEveryPlainValueInOrder) {
  std::vector<std::string> paths;
  root->EnumeratePropertyPaths(paths);
  std::vector<std::string> expected = {
      "Form1.Caption",
      "Form1.Ctl3D",
      "Button1.Caption",
      "ListBox1.Items.Strings[0]",
      "ListBox1.Items.Strings[1]",
      "ListBox1.Items.Strings[2][0]",
      "ListBox1.Items.Strings[2][1]",
      "Form1{2}.Caption",
      "DBGrid1.Columns[0].Title.Caption",
      "DBGrid1.Columns[1].Title.Caption",
      "Form1{4}{0}.Caption",
  };
  EXPECT_EQ(paths, expected);
}

TEST_F(PropertyPaths, EveryEnumeratedPathResolvesToItsOwnValue) {
  std::vector<std::pair<std::string, TCHValue*>> seen;
  root->ForEachPropertyPath([&](const std::string& path, TCHValue& value) { seen.emplace_back(path, &value); });
  for (const auto& [path, value] : seen) EXPECT_EQ(root->FindProperty(path), value) << path;
}

TEST_F(PropertyPaths, ResolvesDisplayPathsAndCase) {
  TCHValue* caption = root->FindProperty("Button1.Caption");
  ASSERT_NE(caption, nullptr);
  EXPECT_EQ(caption->OriginalValue, "Go");
  EXPECT_EQ(root->FindProperty(">Panel1>Button1.Caption"), caption);
  EXPECT_EQ(root->FindProperty("BUTTON1.caption"), caption);
  EXPECT_EQ(root->FindProperty("DBGrid1.Columns[1].Title.Caption")->OriginalValue, "City");
  EXPECT_EQ(root->FindProperty("ListBox1.Items.Strings[ 1 ]")->OriginalValue, "b");
  EXPECT_EQ(root->FindProperty("ListBox1.Items.Strings")->PropertyType, ptList);
}

TEST_F(PropertyPaths, MissingThingsGiveNoResult) {
  for (const char* path : {"ListBox1.Items.Strings[5]", "Form1.Nothing", "Nobody.Caption", "Form1{9}.Caption",
                           "Form1{3.Caption", "DBGrid1.Columns[2].Title.Caption", "Form1.Caption[0]", "", ">",
                           "#x", "DBGrid1.Columns[0]Title"})
    EXPECT_EQ(root->FindProperty(path), nullptr) << path;
}

TEST_F(PropertyPaths, MalformedValuePathsStop) {
  for (const char* path : {"ListBox1.Items.Strings5", "ListBox1.Items.Strings[0]x", "ListBox1.Items.Strings[]"}) {
    try {
      root->FindProperty(path);
      ADD_FAILURE() << path;
    } catch (const EFormModelError& e) {
      EXPECT_STREQ(e.what(), "Invalid ID") << path;
    }
  }
}

TEST_F(PropertyPaths, ComponentPaths) {
  EXPECT_EQ(root->FindComponent("Button1")->ClassName, "TButton");
  EXPECT_EQ(root->FindComponentByName(">Panel1>Button1"), root->FindComponent("Button1"));
  EXPECT_EQ(root->FindComponentByName(".Caption"), nullptr);
  EXPECT_EQ(root->FindComponent("Form1{4}{0}")->ClassName, "TLabel");
  EXPECT_EQ(root->FindComponent("DBGrid1.Columns[1]"), root->FindProperty("DBGrid1.Columns")->CollectionItems[1].get());
  EXPECT_EQ(root->FindComponent("Form1{9}"), nullptr);
  EXPECT_EQ(root->FindComponent("DBGrid1.Columns[2]"), nullptr);
  EXPECT_EQ(root->FindComponent("Form1{x}"), nullptr);
}

TEST_F(PropertyPaths, ClassQualifiedNames) {
  EXPECT_EQ(root->ClassPropertyName(".Caption"), "TForm.Caption");
  EXPECT_EQ(root->ClassPropertyName(">Panel1>Button1.Caption"), "TButton.Caption");
  EXPECT_EQ(root->ClassPropertyName(">Button1.Caption"), "") << "only direct children count";
}

// The grid asks the highlighting rules about the owning component's class
// of each row; the rows carry enumerated paths, not display paths.
TEST_F(PropertyPaths, EveryEnumeratedPathGetsItsOwningComponentsClass) {
  const std::pair<const char*, const char*> cases[] = {
      {"Form1.Caption", "TForm.Caption"},  // the form itself, as the display path ".Caption" gives
      {"Form1.Ctl3D", "TForm.Ctl3D"},
      {"Button1.Caption", "TButton.Caption"},  // named, nested in Panel1
      {"ListBox1.Items.Strings[2][1]", "TListBox.Items.Strings[2][1]"},
      {"Form1{2}.Caption", "TPanel.Caption"},  // unnamed
      {"Form1{4}{0}.Caption", "TLabel.Caption"},  // unnamed in unnamed
      {"DBGrid1.Columns[1].Title.Caption", "TDBGrid.Columns[1].Title.Caption"},  // collection item
      {"button1.CAPTION", "TButton.CAPTION"},  // names compare without regard to case
  };
  std::vector<std::string> paths;
  root->EnumeratePropertyPaths(paths);
  for (const std::string& path : paths) EXPECT_NE(root->ClassQualifiedPath(path), "") << path;
  for (const auto& [path, expected] : cases) EXPECT_EQ(root->ClassQualifiedPath(path), expected) << path;
  EXPECT_EQ(root->ClassPropertyName("Button1.Caption"), "") << "the display-path rule does not take these";
  for (const char* nothing : {"Nope.Caption", "Form1{9}.Caption", "Form1{x}.Caption", "Form1{2", "Button1",
                              "Form1{2}Caption", ""})
    EXPECT_EQ(root->ClassQualifiedPath(nothing), "") << nothing;
}

TEST_F(PropertyPaths, UnfilledValueStopsEnumeration) {
  root->FindOrAddProperty("Hint", ptUnknown, false);
  std::vector<std::string> paths;
  try {
    root->EnumeratePropertyPaths(paths);
    FAIL();
  } catch (const EFormModelError& e) {
    EXPECT_STREQ(e.what(), "Internal Error");
  }
}

TEST_F(PropertyPaths, FindOrAddKeepsExistingItems) {
  TCHPropertyItem* caption = root->FindOrAddProperty("CAPTION", ptInteger, true);
  EXPECT_EQ(caption->PropertyType, ptString);
  EXPECT_FALSE(caption->UserDefined);
  TCHPropertyItem* hint = root->FindOrAddProperty("Hint", ptString, true);
  EXPECT_EQ(root->Properties.back().get(), hint);
  EXPECT_TRUE(hint->UserDefined);
}

TEST_F(PropertyPaths, ResetAllTranslationsReachesItemsAndChildren) {
  std::vector<TCHValue*> values;
  root->ForEachPropertyPath([&](const std::string&, TCHValue& v) { values.push_back(&v); });
  for (TCHValue* v : values) v->SetTranslatedValue("x");
  root->ResetAllTranslations();
  int translated = 0;
  for (TCHValue* v : values) translated += v->IsTranslated();
  // Elements of a list inside a list are one level too deep to be reset.
  EXPECT_EQ(translated, 2);
}

}  // namespace
}  // namespace kst
