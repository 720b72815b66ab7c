// The project overview through the window: the language list, the tree's
// branches keeping their state, double clicks, and removal with its
// questions and rules (the current language and form are left first).
#include <gtest/gtest.h>

#include <QTreeWidget>

#include "ui/overview_page.h"
#include "ui_fixture.h"

namespace kst {
namespace {

using ui::TCommand;

ui::TOverviewPage& Overview(test::TWindowFixture& f) { return *f.Views().Overview(); }

QTreeWidgetItem* FormItem(test::TWindowFixture& f, const char* name) {
  QTreeWidgetItem* root = Overview(f).FormsRoot();
  for (int i = 0; i < root->childCount(); ++i)
    if (root->child(i)->text(0).endsWith(QString::fromLatin1(name))) return root->child(i);
  return nullptr;
}

void Focus(QWidget* widget) {
  QApplication::setActiveWindow(widget->window());
  widget->setFocus();
  test::Pump();
}

// The list shows the abbreviation (two letters without a sub-language); a
// double click (or Enter) chooses a language; removing one asks, No keeps
// it, and the current one stores its translations before it goes.
TEST(Overview, TheLanguageListChoosesAndRemovesLanguages) {
  test::TWindowFixture f({test::kGerman, 0x0007});
  f.window->Session().SetTranslation("@Texts_SReady", "Bereit");
  f.window->ShowTab(ui::TTab::Overview);
  QTreeWidget* list = Overview(f).Languages();
  ASSERT_EQ(list->topLevelItemCount(), 2);
  EXPECT_EQ(list->topLevelItem(0)->text(1), "DEU");
  EXPECT_EQ(list->topLevelItem(1)->text(1), "DE");
  EXPECT_EQ(list->topLevelItem(1)->text(2), "0007");
  list->setCurrentItem(list->topLevelItem(1));
  emit list->itemActivated(list->topLevelItem(1), 0);
  EXPECT_EQ(f.window->Session().CurrentLanguage(), 0x0007);
  f.window->SelectLanguage(test::kGerman);

  list->setCurrentItem(list->topLevelItem(1));
  Focus(list);
  ASSERT_TRUE(f.window->Action(TCommand::Delete)->isEnabled());
  f.answers = {TAnswer::No};
  f.window->Action(TCommand::Delete)->trigger();
  EXPECT_TRUE(f.window->Project().HasLanguage(0x0007));
  EXPECT_EQ(f.window->Session().CurrentLanguage(), test::kGerman);

  list->setCurrentItem(list->topLevelItem(0));
  Focus(list);
  f.asked.clear();
  f.answers = {TAnswer::Yes};
  f.window->Action(TCommand::Delete)->trigger();
  ASSERT_EQ(f.asked.size(), 1u);
  EXPECT_EQ(f.asked[0], "Are you sure that you want to remove the language \"German (Germany)\"?");
  EXPECT_LE(f.window->Session().CurrentLanguage(), 0);
  EXPECT_FALSE(f.window->Project().HasLanguage(test::kGerman));
  EXPECT_NE(ReadFileBytes(f.dir.File("demo/project/DEU/Demo.TRS")).find("Bereit"), std::string::npos);
  ASSERT_EQ(list->topLevelItemCount(), 1);
  EXPECT_EQ(list->topLevelItem(0)->text(2), "0007");
}

TEST(Overview, RemovingTheCurrentFormWarnsAsksAndEmptiesTheGridFirst) {
  test::TWindowFixture f({test::kGerman});
  ui::TTranslationGrid& grid = f.ShowForm("Main.dfm");
  f.Type(grid, f.Row(grid, "mnuFile.Caption"), QStringLiteral("&Datei"));
  f.window->ShowTab(ui::TTab::Overview);
  QTreeWidget* tree = Overview(f).Tree();
  tree->setCurrentItem(FormItem(f, "Main.dfm"));
  Focus(tree);
  ASSERT_TRUE(f.window->Action(TCommand::Remove)->isEnabled());
  f.answers = {TAnswer::Yes};
  f.window->Action(TCommand::Delete)->trigger();
  ASSERT_EQ(f.asked.size(), 2u);
  EXPECT_EQ(f.asked[0], "This is not a manually added form!");
  EXPECT_TRUE(f.asked[1].startsWith("Are you sure that you want to remove the form \"")) << f.asked[1].toStdString();
  EXPECT_EQ(f.window->Project().FindModule("Main.dfm"), nullptr);
  EXPECT_EQ(f.window->Session().CurrentForm(), nullptr);
  EXPECT_EQ(grid.Model()->rowCount(), 0);
  EXPECT_EQ(FormItem(f, "Main.dfm"), nullptr);
  EXPECT_NE(ReadFileBytes(f.dir.File("demo/project/DEU/Main.TRD")).find("Datei"), std::string::npos)
      << "the form's translations were stored before it went";
}

// Double clicks show a form (the tab itself is not switched) or the custom
// resources; the roots cannot be removed, a custom resource is asked for.
TEST(Overview, TheTreesDoubleClicksAndRemovals) {
  test::TWindowFixture f({test::kGerman});
  f.window->Session().AddCustomResource(f.dir.File("demo/project/Greeting.res"));
  f.window->AfterStructureChange();
  f.window->ShowTab(ui::TTab::Overview);
  QTreeWidget* tree = Overview(f).Tree();
  emit tree->itemActivated(FormItem(f, "About.dfm"), 0);
  EXPECT_TRUE(f.window->CurrentFormName().endsWith("About.dfm"));
  EXPECT_EQ(f.window->ActiveTab(), ui::TTab::Overview);
  EXPECT_GT(f.Properties().Model()->rowCount(), 0);
  emit tree->itemActivated(Overview(f).ResourcesRoot()->child(0), 0);
  EXPECT_EQ(f.window->ActiveTab(), ui::TTab::CustomResources);

  f.window->ShowTab(ui::TTab::Overview);
  tree->setCurrentItem(Overview(f).FormsRoot());
  Focus(tree);
  EXPECT_FALSE(f.window->Action(TCommand::Delete)->isEnabled());
  QTreeWidgetItem* resource = Overview(f).ResourcesRoot()->child(0);
  ASSERT_NE(resource, nullptr);
  tree->setCurrentItem(resource);
  EXPECT_TRUE(f.window->Action(TCommand::Delete)->isEnabled());
  f.answers = {TAnswer::Yes};
  f.window->Action(TCommand::Delete)->trigger();
  ASSERT_EQ(f.asked.size(), 1u);
  EXPECT_TRUE(f.asked[0].startsWith("Are you sure that you want to remove the custom resource \""));
  EXPECT_TRUE(f.window->Project().CustomResources.Items.empty());
  EXPECT_EQ(f.Grid(ui::TTab::CustomResources).Model()->rowCount(), 0);
}

TEST(Overview, TheFormsBranchKeepsItsStateAcrossARefill) {
  test::TWindowFixture f({test::kGerman});
  QTreeWidgetItem* forms = Overview(f).FormsRoot();
  forms->setExpanded(false);
  f.window->AfterStructureChange();
  EXPECT_FALSE(forms->isExpanded());
  forms->setExpanded(true);
  f.window->AfterStructureChange();
  EXPECT_TRUE(forms->isExpanded());
  EXPECT_EQ(forms->childCount(), 3);
}

}  // namespace
}  // namespace kst
