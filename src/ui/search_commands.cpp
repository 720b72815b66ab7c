// The search commands over the grids.
#include "ui/search_commands.h"

#include "session/translation_session.h"
#include "ui/grid_model.h"
#include "ui/main_window.h"
#include "ui/qt_interaction.h"
#include "ui/search_dialog.h"
#include "ui/translation_grid.h"
#include "ui/ui_text.h"

namespace kst::ui {

namespace {

// The replace question shows a translation's texts: they are in the
// translation's code page, not the system's.
class TTranslationInteraction : public TUserInteraction {
public:
  TTranslationInteraction(TQtInteraction& screen, int codePage) : screen_(screen), codePage_(codePage) {}
  std::string Hint() const override { return screen_.Hint(); }
  void SetHint(const std::string& text) override { screen_.SetHint(text); }
  bool BusyCursor() const override { return screen_.BusyCursor(); }
  void SetBusyCursor(bool busy) override { screen_.SetBusyCursor(busy); }
  void ShowWarning(const std::string& text) override { screen_.ShowWarning(text); }
  TAnswer Ask(const std::string& text, TButtons buttons) override {
    QString shown = FromAnsi(text, codePage_);
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return screen_.AskText(shown, buttons);
  }

private:
  TQtInteraction& screen_;
  int codePage_;
};

}  // namespace

TSearchCommands::TSearchCommands(TfrmLexibox& window, TTranslationGrid& properties, TTranslationGrid& strings)
    : QObject(&window), window_(window), properties_(properties), strings_(strings) {}

TTranslationGrid& TSearchCommands::ActiveGrid() const {
  return window_.ActiveTab() == TTab::Forms ? properties_ : strings_;
}

bool TSearchCommands::ShowDialog(bool replace) {
  TTranslationGrid& grid = ActiveGrid();
  grid.CommitEdit();
  TfrmSearch dialog(&window_, &window_.Help(), settings_, grid.Model()->TranslationCodePage(), window_.Interaction());
  dialog.SetReplaceMode(replace);
  bool ok = dialog.exec() == QDialog::Accepted;
  window_.SetSearchAgainPossible(!settings_.textToFind.empty());
  return ok;
}

void TSearchCommands::Find() {
  if (ShowDialog(false)) RunFind();
  window_.UpdateCommands();
}

void TSearchCommands::Replace() {
  if (ShowDialog(true)) RunReplace();
  window_.UpdateCommands();
}

void TSearchCommands::SearchAgain() {
  if (settings_.textToFind.empty()) return;
  if (settings_.replaceMode)
    RunReplace();
  else
    RunFind();
  window_.UpdateCommands();
}

void TSearchCommands::RunFind() {
  TTranslationGrid& grid = ActiveGrid();
  grid.CommitEdit();
  TGridModel& model = *grid.Model();
  int found = FindRow(settings_, model.rowCount(), grid.CurrentRow(), [&](int row) { return model.SearchTexts(row); });
  if (found >= 0) grid.SelectRow(found);
}

void TSearchCommands::RunReplace() {
  TTranslationGrid& grid = ActiveGrid();
  grid.CommitEdit();
  TGridModel& model = *grid.Model();
  TTranslationSession& session = window_.Session();
  if (session.CurrentLanguage() <= 0) return;
  TTranslationInteraction questions(window_.Interaction(), model.TranslationCodePage());
  int last = -1;
  {
    // The file-change check waits, and the walk is one step to undo.
    TBusyGuard busy(session);
    TUndoGroup group(session);
    window_.Run("replace", [&] {
      last = ReplaceRows(
          settings_, model.rowCount(), grid.CurrentRow(), [&](int row) { return model.SearchTexts(row); },
          [&](int row, const std::string& text) { model.SetTranslation(row, text); }, questions);
    });
  }
  if (last >= 0) grid.SelectRow(last);
  window_.UpdateCommands();
}

}  // namespace kst::ui
