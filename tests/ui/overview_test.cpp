// The project overview through the window: the language list, the tree's
// branches keeping their state, double clicks, and removal with its
// questions and rules (the current language and form are left first).
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QTableView>
#include <QTreeWidget>

#include "platform/file_utils.h"
#include "project/project_data.h"
#include "session/translation_session.h"
#include "ui/grid_model.h"
#include "ui/main_window.h"
#include "ui/overview_page.h"
#include "ui/translation_grid.h"
#include "ui/translation_views.h"
#include "grid_fixture.h"

namespace kst {
namespace {

using ui::TCommand;

ui::TOverviewPage& Overview(test::TGridFixture& f) { return *f.Views().Overview(); }

QTreeWidgetItem* FormItem(test::TGridFixture& f, const char* name) {
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

TEST(Overview, TheLanguageListShowsNameAbbreviationAndId) {
  test::TGridFixture f({0x0407, 0x0007});
  f.window->ShowTab(ui::TTab::Overview);
  QTreeWidget* list = Overview(f).Languages();
  ASSERT_EQ(list->topLevelItemCount(), 2);
  EXPECT_EQ(list->topLevelItem(0)->text(1), "DEU");
  EXPECT_EQ(list->topLevelItem(0)->text(2), "0407");
  EXPECT_EQ(list->topLevelItem(1)->text(1), "DE") << "two letters without a sub-language";
  EXPECT_EQ(list->topLevelItem(1)->text(2), "0007");
  // A double click (or Enter) chooses the language.
  list->setCurrentItem(list->topLevelItem(1));
  emit list->itemActivated(list->topLevelItem(1), 0);
  EXPECT_EQ(f.window->Session().CurrentLanguage(), 0x0007);
}

TEST(Overview, RemovingTheCurrentLanguageStoresItsTranslationsFirst) {
  test::TGridFixture f({0x0407, 0x040C});
  f.window->Session().SetTranslation("@Texts_SReady", "Bereit");
  f.window->ShowTab(ui::TTab::Overview);
  QTreeWidget* list = Overview(f).Languages();
  list->setCurrentItem(list->topLevelItem(0));
  Focus(list);
  ASSERT_TRUE(f.window->Action(TCommand::Delete)->isEnabled());
  f.answers = {TAnswer::Yes};
  f.window->Action(TCommand::Delete)->trigger();
  ASSERT_EQ(f.asked.size(), 1u);
  EXPECT_EQ(f.asked[0], "Are you sure that you want to remove the language \"German (Germany)\"?");
  EXPECT_LE(f.window->Session().CurrentLanguage(), 0);
  EXPECT_FALSE(f.window->Project().HasLanguage(0x0407));
  EXPECT_NE(ReadFileBytes(f.dir.File("demo/project/DEU/Demo.TRS")).find("Bereit"), std::string::npos);
  ASSERT_EQ(list->topLevelItemCount(), 1);
  EXPECT_EQ(list->topLevelItem(0)->text(2), "040C");
}

TEST(Overview, NoKeepsTheLanguage) {
  test::TGridFixture f({0x0407, 0x040C});
  QTreeWidget* list = Overview(f).Languages();
  list->setCurrentItem(list->topLevelItem(1));
  Focus(list);
  f.answers = {TAnswer::No};
  f.window->Action(TCommand::Delete)->trigger();
  EXPECT_TRUE(f.window->Project().HasLanguage(0x040C));
  EXPECT_EQ(f.window->Session().CurrentLanguage(), 0x0407);
}

TEST(Overview, RemovingTheCurrentFormWarnsAsksAndEmptiesTheGridFirst) {
  test::TGridFixture f;
  f.ShowForm("Main.dfm");
  ui::TTranslationGrid& grid = f.Properties();
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

TEST(Overview, TheRootsCannotBeRemovedAndCustomResourcesAreAskedFor) {
  test::TGridFixture f;
  f.window->Session().AddCustomResource(f.dir.File("demo/project/Greeting.res"));
  f.window->AfterStructureChange();
  f.window->ShowTab(ui::TTab::Overview);
  QTreeWidget* tree = Overview(f).Tree();
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
  EXPECT_EQ(f.CustomResources().Model()->rowCount(), 0);
}

TEST(Overview, TheFormsBranchKeepsItsStateAcrossARefill) {
  test::TGridFixture f;
  QTreeWidgetItem* forms = Overview(f).FormsRoot();
  forms->setExpanded(false);
  f.window->AfterStructureChange();
  EXPECT_FALSE(forms->isExpanded());
  forms->setExpanded(true);
  f.window->AfterStructureChange();
  EXPECT_TRUE(forms->isExpanded());
  EXPECT_EQ(forms->childCount(), 3);
}

TEST(Overview, DoubleClicksShowAFormOrTheCustomResources) {
  test::TGridFixture f;
  f.window->Session().AddCustomResource(f.dir.File("demo/project/Greeting.res"));
  f.window->AfterStructureChange();
  f.window->ShowTab(ui::TTab::Overview);
  QTreeWidget* tree = Overview(f).Tree();
  emit tree->itemActivated(FormItem(f, "About.dfm"), 0);
  EXPECT_TRUE(f.window->CurrentFormName().endsWith("About.dfm"));
  EXPECT_EQ(f.window->ActiveTab(), ui::TTab::Overview) << "the tab itself is not switched";
  EXPECT_GT(f.Properties().Model()->rowCount(), 0);
  emit tree->itemActivated(Overview(f).ResourcesRoot()->child(0), 0);
  EXPECT_EQ(f.window->ActiveTab(), ui::TTab::CustomResources);
}

}  // namespace
}  // namespace kst
