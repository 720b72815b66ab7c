// The user-defined-property dialogs opened from "User Defined Properties..."
// on a form with an unnamed panel, a list and a collection: owners shown
// with their position, entries landing on the node chosen, names that must
// be identifiers, only the last element of a list removable, and the grid
// rebuilt with the change.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>

#include "formmodel/form_conversion.h"
#include "formmodel/user_defined.h"
#include "ui/add_property_dialog.h"
#include "ui/user_defined_dialog.h"
#include "ui_fixture.h"

namespace kst {
namespace {

using ui::TCommand;
using ui::TfrmAddProperty;
using ui::TfrmUserDefinedProperties;

// The form's child 2 is an unnamed panel.
const char* const kForm =
    "object frmPanels: TfrmPanels\r\n"
    "  Caption = 'Panels'\r\n"
    "  object Panel1: TPanel\r\n    Caption = 'One'\r\n  end\r\n"
    "  object ListBox1: TListBox\r\n    Items.Strings = (\r\n      'a'\r\n      'b')\r\n  end\r\n"
    "  object TPanel\r\n    Caption = 'Two'\r\n  end\r\n"
    "  object lvCols: TListView\r\n    Columns = <\r\n      item\r\n        Caption = 'Name'\r\n      end>\r\n  end\r\n"
    "end\r\n";

class UserDefinedDialogs : public testing::Test {
protected:
  void SetUp() override {
    test::WriteFile(f.dir.File("demo/project/Panels.dfm"), TextToResource(kForm));
    f.window->Session().AddForm(f.dir.File("demo/project/Panels.dfm"));
    f.window->AfterStructureChange();
    f.ShowForm("Panels.dfm");
    ASSERT_TRUE(f.window->Action(TCommand::UserDefinedProperties)->isEnabled());
  }
  TComponentHelper& Root() { return *f.window->Session().CurrentForm()->Root; }
  static QStringList Lines(TfrmUserDefinedProperties& d) {
    QStringList lines;
    for (int i = 0; i < d.List()->count(); ++i) lines << d.List()->item(i)->text();
    return lines;
  }
  // Adds through the add dialog: the owner line that contains `owner`, the
  // name (when it may be typed) and the type's position.
  static void Add(TfrmUserDefinedProperties& d, const QString& owner, const QString& name, int type,
                  std::function<void(TfrmAddProperty&)> check = nullptr) {
    test::WhenShown<TfrmAddProperty>([=](TfrmAddProperty& a) {
      int at = -1;
      for (int i = 0; i < a.Owners()->count(); ++i)
        if (a.Owners()->itemText(i).contains(owner)) at = i;
      ASSERT_GE(at, 0) << owner.toStdString();
      a.Owners()->setCurrentIndex(at);
      if (a.NameEdit()->isEnabled()) a.NameEdit()->setText(name);
      if (type >= 0 && a.Types()->isEnabled()) a.Types()->setCurrentIndex(type);
      if (check) check(a);
      if (a.isVisible()) a.OkButton()->click();
    });
    d.AddButton()->click();
  }
  test::TWindowFixture f{{test::kGerman}, true};
};

TEST_F(UserDefinedDialogs, AnUnnamedPanelIsShownWithItsPositionAndGetsTheProperty) {
  test::WhenShown<TfrmUserDefinedProperties>([&](TfrmUserDefinedProperties& d) {
    EXPECT_EQ(d.List()->count(), 0);
    EXPECT_FALSE(d.RemoveButton()->isEnabled());
    Add(d, "frmPanels{00002} (Component)", "Hint", 0, [](TfrmAddProperty& a) {
      EXPECT_TRUE(a.NameEdit()->isEnabled());
      EXPECT_TRUE(a.Types()->isEnabled());
      EXPECT_EQ(a.Types()->currentText(), "String");
      test::TWindowFixture::Screenshot(a, "add-property");
    });
    EXPECT_EQ(Lines(d), QStringList{"frmPanels{2}.Hint"});
    test::TWindowFixture::Screenshot(d, "user-defined-properties");
    d.OkButton()->click();
  });
  f.window->Action(TCommand::UserDefinedProperties)->trigger();
  TComponentHelper& panel = *Root().Children[2];
  ASSERT_EQ(panel.Name, "");
  TCHPropertyItem* hint = panel.FindPropertyItem("Hint");
  ASSERT_NE(hint, nullptr) << "the property is on the unnamed panel";
  EXPECT_TRUE(hint->UserDefined);
  EXPECT_EQ(Root().Children[0]->FindPropertyItem("Hint"), nullptr) << "not on the root's child 0";
  // The settings keep it under the path that finds the panel again.
  std::vector<std::string> entries = UserDefinedEntries(*f.window->Session().CurrentForm());
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_NE(entries[0].find(";frmPanels{2};Hint;ptString"), std::string::npos) << entries[0];
}

TEST_F(UserDefinedDialogs, NamesMustBeIdentifiersAndCollectionsAndListsTakeTheNextNumber) {
  test::WhenShown<TfrmUserDefinedProperties>([&](TfrmUserDefinedProperties& d) {
    // An empty name, and one that is no identifier, are refused in the add
    // dialog, which keeps the person's choice.
    for (const char* bad : {"", "  ", "Caption Text", "1st"}) {
      Add(d, "Panel1 (Component)", bad, 0, [&](TfrmAddProperty& a) {
        a.OkButton()->click();
        EXPECT_TRUE(a.isVisible()) << '"' << bad << '"';
        a.CancelButton()->click();
      });
    }
    EXPECT_EQ(f.asked.size(), 4u);
    EXPECT_EQ(d.List()->count(), 0);
    // A collection takes the next item number, without a type.
    Add(d, "lvCols.Columns (Collection)", "", -1, [](TfrmAddProperty& a) {
      EXPECT_EQ(a.NameEdit()->text(), "[1]");
      EXPECT_FALSE(a.NameEdit()->isEnabled());
      EXPECT_FALSE(a.Types()->isEnabled());
      EXPECT_EQ(a.Types()->currentIndex(), -1);
    });
    // A list the next element, of the type chosen; a collection type is
    // refused with the form model's message.
    Add(d, "ListBox1.Items.Strings (List)", "", 6, [&](TfrmAddProperty& a) {
      EXPECT_EQ(a.NameEdit()->text(), "[2]");
      a.OkButton()->click();
      EXPECT_TRUE(a.isVisible());
      EXPECT_NE(f.asked.back().indexOf("not supported"), -1) << f.asked.back().toStdString();
      a.Types()->setCurrentIndex(1);
    });
    Add(d, "ListBox1.Items.Strings (List)", "", 0);
    Add(d, "Panel1 (Component)", "Font.Name", 0);
    EXPECT_EQ(Lines(d), (QStringList{"ListBox1.Items.Strings[2]", "ListBox1.Items.Strings[3]", "lvCols.Columns[1]",
                                     "Panel1.Font.Name"}));
    d.OkButton()->click();
  });
  f.window->Action(TCommand::UserDefinedProperties)->trigger();
  TCHValue* element = Root().FindProperty("ListBox1.Items.Strings[2]");
  ASSERT_NE(element, nullptr);
  EXPECT_EQ(element->PropertyType, ptInteger);
}

TEST_F(UserDefinedDialogs, OnlyTheLastElementOfAListCanBeRemoved) {
  AddUserDefinedProperty(Root(), "ListBox1.Items.Strings", "[2]", ptString);
  AddUserDefinedProperty(Root(), "ListBox1.Items.Strings", "[3]", ptString);
  AddUserDefinedProperty(Root(), "Panel1", "Hint", ptString);
  f.window->SelectForm("Panels.dfm");
  test::WhenShown<TfrmUserDefinedProperties>([&](TfrmUserDefinedProperties& d) {
    ASSERT_EQ(Lines(d), (QStringList{"ListBox1.Items.Strings[2]", "ListBox1.Items.Strings[3]", "Panel1.Hint"}));
    // Element 2 is not the last: removing it would renumber element 3,
    // whose translations other languages keep under its number.
    d.List()->setCurrentRow(0);
    EXPECT_TRUE(d.RemoveButton()->isEnabled());
    d.RemoveButton()->click();
    ASSERT_EQ(f.asked.size(), 1u);
    EXPECT_EQ(d.List()->count(), 3);
    d.List()->setCurrentRow(1);
    d.RemoveButton()->click();
    d.List()->setCurrentRow(0);
    d.RemoveButton()->click();
    d.List()->setCurrentRow(0);
    d.RemoveButton()->click();
    EXPECT_EQ(d.List()->count(), 0);
    EXPECT_FALSE(d.RemoveButton()->isEnabled());
    d.OkButton()->click();
  });
  f.window->Action(TCommand::UserDefinedProperties)->trigger();
  EXPECT_EQ(f.asked.size(), 1u);
  EXPECT_EQ(Root().FindProperty("ListBox1.Items.Strings[2]"), nullptr);
  EXPECT_EQ(Root().Children[0]->FindPropertyItem("Hint"), nullptr);
  EXPECT_TRUE(UserDefinedEntries(*f.window->Session().CurrentForm()).empty());
}

}  // namespace
}  // namespace kst
