// "Check Translations": the quality checks of the current language, listed in
// the log pane; a double-click on a finding shows its row.
#include <QTableView>

#include <algorithm>

#include "checks/translation_check.h"
#include "project/project_data.h"
#include "session/translation_session.h"
#include "ui/grid_model.h"
#include "ui/log_pane.h"
#include "ui/main_window.h"
#include "ui/qt_interaction.h"
#include "ui/qt_text_measure.h"
#include "ui/properties_page.h"
#include "ui/resource_strings_page.h"
#include "ui/translation_grid.h"
#include "ui/translation_views.h"
#include "ui/ui_text.h"
#include "ui/version_page.h"

namespace kst::ui {

void TfrmLexibox::CheckTranslations() {
  const int language = Session().CurrentLanguage();
  if (language <= 0) return;
  CommitEdits();
  TCheckReport report;
  interaction_.SetBusyCursor(true);
  bool checked = false;
  Run("check", [&] {
    // The window's fonts measure the form texts, as the preview draws them.
    const TQtTextMeasure measure(Session().TranslationCodePage());
    report = kst::CheckTranslations(Session(), &measure);
    checked = true;
  });
  interaction_.SetBusyCursor(false);
  if (!checked) return;

  // Errors first, then warnings, then the counts; the walk's order within.
  std::stable_sort(report.findings.begin(), report.findings.end(),
                   [](const TFinding& a, const TFinding& b) { return a.severity > b.severity; });
  log_->ClearLog();
  log_->AppendLine(tr("Checking the translations into %1:").arg(LanguageStatusText()));
  for (const TFinding& finding : report.findings) {
    QString line = QStringLiteral("%1: %2: %3 [%4]")
                       .arg(Ansi(finding.key), QString::fromLatin1(SeverityName(finding.severity)),
                            FromAnsi(finding.reason, report.translationCodePage), QString::fromLatin1(finding.id));
    log_->AppendAction(line, [this, finding, language] { ShowFinding(finding, language); });
  }
  log_->AppendLine(tr("%1 error(s), %2 warning(s), %3 info(s). Double-click a finding to go to its row.")
                       .arg(report.Count(TSeverity::Error))
                       .arg(report.Count(TSeverity::Warning))
                       .arg(report.Count(TSeverity::Info)));
}

void TfrmLexibox::ShowFinding(const TFinding& finding, int language) {
  if (!Session().IsProjectOpen() || Session().CurrentLanguage() != language) {
    interaction_.SetHint(FromScreen(tr("The findings are of another language: check again")));
    return;
  }
  TTranslationGrid* grid = nullptr;
  switch (finding.place) {
    case TEntryPlace::FormValue:
      ShowTab(TTab::Forms);
      if (!Project().FindModule(finding.form)) break;
      SelectForm(Ansi(finding.form));
      grid = views_->Properties()->Grid();
      break;
    case TEntryPlace::ResourceString:
      ShowTab(TTab::ResourceStrings);
      grid = views_->ResourceStrings()->Grid();
      break;
    case TEntryPlace::VersionKey:
      ShowTab(TTab::VersionResource);
      grid = views_->Version()->Grid();
      break;
    case TEntryPlace::None:
      break;
  }
  int row = grid ? grid->Model()->RowOfKey(finding.path) : -1;
  if (row < 0) {
    // A form removed since, or a value the View menu's filters hide.
    interaction_.SetHint(FromScreen(tr("%1 is not shown").arg(Ansi(finding.key))));
    return;
  }
  grid->SelectRow(row);
  grid->View()->setFocus();
}

}  // namespace kst::ui
