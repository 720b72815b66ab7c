// Spelling with the installed Hunspell dictionary through the grid: a
// misspelled German word is underlined, the format specifier beside it
// never, and a language without a dictionary is named in the status bar.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QTimer>

#include "session/translation_session.h"
#include "ui/cell_editor.h"
#include "ui/grid_delegate.h"
#include "ui/grid_model.h"
#include "ui/main_window.h"
#include "ui/spell_checker.h"
#include "ui/translation_grid.h"
#include "ui/translation_views.h"
#include "grid_fixture.h"

namespace kst {
namespace {

TEST(Spelling, AMisspelledGermanWordIsUnderlinedAndTheSpecifierBesideItIsNot) {
  test::TGridFixture f;
  if (!f.Views().Spelling().Ready()) GTEST_SKIP() << "no German Hunspell dictionary installed";
  auto* status = f.window->findChild<QLabel*>(QStringLiteral("statusSpelling"));
  EXPECT_EQ(status->text(), "Spelling: de_DE");
  f.window->ShowTab(ui::TTab::ResourceStrings);
  ui::TTranslationGrid& grid = f.Strings();
  int row = f.Row(grid, "Texts_SFileNotFound");
  QModelIndex cell = grid.Model()->index(row, 5);
  EXPECT_TRUE(grid.Delegate()->Marks(cell).size() == 1 && !grid.Delegate()->Marks(cell)[0].misspelled)
      << "an untranslated text is still English: only its placeholder is marked";
  f.Type(grid, row, QStringLiteral("Die Datei %sgefundn wurde nicht gefunden."));
  const QString shown = grid.Model()->index(row, 5).data().toString();
  QStringList misspelled, placeholders;
  for (const ui::TGridDelegate::TMark& mark : grid.Delegate()->Marks(cell))
    (mark.misspelled ? misspelled : placeholders) << shown.mid(mark.range.start, mark.range.length);
  EXPECT_EQ(misspelled, QStringList{"gefundn"});
  EXPECT_EQ(placeholders, QStringList{"%s"});
  EXPECT_TRUE(grid.Model()->index(row, 2).data(ui::kSpellRole).toBool() == false) << "originals are not spelled";
}

TEST(Spelling, TheEditorsContextMenuOffersSuggestionsThatReplaceTheWord) {
  test::TGridFixture f;
  if (!f.Views().Spelling().Ready()) GTEST_SKIP() << "no German Hunspell dictionary installed";
  f.window->ShowTab(ui::TTab::ResourceStrings);
  ui::TTranslationGrid& grid = f.Strings();
  grid.SelectRow(f.Row(grid, "Texts_SFileNotFound"), true);
  ui::TCellEditor* editor = grid.Delegate()->OpenEditor();
  ASSERT_NE(editor, nullptr);
  editor->setText(QStringLiteral("Datei %s nicht gefundn"));
  QStringList offered;
  QTimer::singleShot(0, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QAction* pick = nullptr;
    for (QAction* action : menu->actions())
      if (action->objectName() == "spellSuggestion") {
        offered << action->text();
        if (action->text() == "gefunden") pick = action;
      }
    if (pick) pick->trigger();
    menu->close();
  });
  QPoint at(editor->width() - 4, editor->height() / 2);  // past the text: the last word, "gefundn"
  QContextMenuEvent event(QContextMenuEvent::Mouse, at, editor->mapToGlobal(at));
  QApplication::sendEvent(editor, &event);
  EXPECT_TRUE(offered.contains("gefunden")) << offered.join(",").toStdString();
  EXPECT_EQ(editor->text(), "Datei %s nicht gefunden");
}

TEST(Spelling, ALanguageWithoutAnInstalledDictionaryIsNamedInTheStatusBar) {
  test::TGridFixture f({0x0413});  // Dutch: no hunspell-nl here
  if (f.Views().Spelling().Ready()) GTEST_SKIP() << "a Dutch dictionary is installed";
  auto* status = f.window->findChild<QLabel*>(QStringLiteral("statusSpelling"));
  EXPECT_TRUE(status->isVisibleTo(f.window.get()));
  EXPECT_TRUE(status->text().contains("no Hunspell dictionary nl_NL installed for Dutch")) << status->text().toStdString();
  EXPECT_TRUE(status->text().contains("hunspell-nl"));
}

}  // namespace
}  // namespace kst
