// TfrmNewLanguage: one language from every language the locale data knows,
// for a new target language of the project. Each line reads "German
// (Austria)<TAB>[$0C07] .DEA"; the identifier column lines up at a tab stop
// near the right edge.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "ui/abstract_dialog.h"

class QListWidget;
class QListWidgetItem;

namespace kst::ui {

class TQtInteraction;

// The line of a language: its name, a blank, "(" country ")" for a specific
// language (nothing for a neutral one), a tab, "[$", four upper-case hex
// digits, "] ." and the abbreviation. Empty when the locale data has no
// name or no abbreviation for the ID.
QString NewLanguageItemText(int languageId);
// The ID of such a line: the hex digits after "[$" up to "]"; nothing when
// the line holds none.
std::optional<int> ParseLanguageItem(const QString& text);

class TfrmNewLanguage : public TfrmAbstractDialog {
  Q_OBJECT

public:
  // `refusal` tells why a language cannot be taken (ANSI text of the core,
  // "" when it can); "OK" shows it and keeps the dialog open.
  TfrmNewLanguage(QWidget* parent, THelpViewer* help, TQtInteraction& interaction,
                  std::function<std::string(int)> refusal);

  // After "OK": the chosen language.
  int GetSelectedLanguageId() const { return selected_; }
  QListWidget* List() const { return list_; }
  // The line of that ID (for tests and for preselection).
  QListWidgetItem* Item(int languageId) const;

  void accept() override;

private:
  TQtInteraction& interaction_;
  std::function<std::string(int)> refusal_;
  QListWidget* list_;
  int selected_ = 0;
};

}  // namespace kst::ui
