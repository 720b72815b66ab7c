// The property grid below the form selector.
#include "ui/properties_page.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QScrollArea>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "config/registry_settings.h"
#include "formmodel/form_errors.h"
#include "formmodel/form_model.h"
#include "preview/fit_check.h"
#include "project/project_data.h"
#include "session/translation_session.h"
#include "session/translator_environment.h"
#include "ui/form_preview.h"
#include "ui/main_window.h"
#include "ui/qt_interaction.h"
#include "ui/property_grid_model.h"
#include "ui/translation_grid.h"

namespace kst::ui {

TPropertiesPage::TPropertiesPage(TfrmLexibox& window, TSpellChecker* spell) : TFormsPage(window) {
  model_ = new TPropertyGridModel(window);
  TTranslationGrid::TColumnRule rule;
  rule.narrow = {1, 3};
  rule.stretch = 4;
  rule.evenWhenNarrow = true;
  grid_ = new TTranslationGrid(window, model_, spell, rule, QStringLiteral("ctlTranslatedProperties"), this);
  grid_->nextForm = [this] { return GoToNextFormWithUntranslated(); };

  preview_ = new TFormPreview;
  preview_->stillValid = [this] {
    const TModuleHelper* form = window_.Session().CurrentForm();
    return form && form->Root.get() == preview_->Root();
  };
  previewArea_ = new QScrollArea;
  previewArea_->setObjectName(QStringLiteral("ctlPreviewArea"));
  previewArea_->setWidget(preview_);
  previewArea_->setAlignment(Qt::AlignCenter);
  previewArea_->setBackgroundRole(QPalette::Dark);
  splitter_ = new QSplitter(Qt::Horizontal, this);
  splitter_->setChildrenCollapsible(false);
  views_ = new QTabWidget(this);
  views_->setObjectName(QStringLiteral("ctlFormViews"));
  Layout()->addWidget(splitter_, 1);
  Layout()->addWidget(views_, 1);

  placement_ = new QComboBox(this);
  placement_->setObjectName(QStringLiteral("ctlPreviewPlacement"));
  placement_->addItem(tr("Beside the Grid"), QStringLiteral("Beside"));
  placement_->addItem(tr("On a Tab"), QStringLiteral("Tab"));
  placement_->addItem(tr("Hidden"), QStringLiteral("Hidden"));
  auto* label = new QLabel(tr("&Preview: "), this);
  label->setBuddy(placement_);
  SelectorRow()->addSpacing(12);
  SelectorRow()->addWidget(label);
  SelectorRow()->addWidget(placement_);
  connect(placement_, &QComboBox::activated, this,
          [this](int index) { SetPreviewPlacement(placement_->itemData(index).toString(), true); });

  connect(&window_, &TfrmLexibox::DisplayChanged, this, [this] {
    grid_->ApplyDisplay();
    grid_->Refill();
  });
  connect(model_, &QAbstractItemModel::modelReset, this, &TPropertiesPage::RefreshPreview);
  connect(model_, &QAbstractItemModel::dataChanged, this, &TPropertiesPage::PreviewRowsChanged);
  connect(grid_, &TTranslationGrid::CurrentRowChanged, this, &TPropertiesPage::HighlightCurrentRow);
  connect(preview_, &TFormPreview::ComponentClicked, this, [this](const TComponentHelper* c) {
    SelectComponentRows(c);
  });
  // A double click goes to the grid, with the control's first row to edit.
  connect(preview_, &TFormPreview::ComponentActivated, this, [this](const TComponentHelper* c) {
    if (views_->isVisible()) views_->setCurrentWidget(grid_);
    if (SelectComponentRows(c)) grid_->View()->setFocus();
  });
  SetPreviewPlacement(QString::fromStdString(ReadFormPreviewPlacement(window_.Environment().Location())), false);
}

void TPropertiesPage::SetPreviewPlacement(const QString& placement, bool remember) {
  const bool onTab = placement == QLatin1String("Tab");
  const bool hidden = placement == QLatin1String("Hidden");
  views_->clear();
  if (onTab) {
    views_->addTab(grid_, tr("Properties"));
    views_->addTab(previewArea_, tr("Preview"));
    splitter_->hide();
    views_->show();
  } else {
    splitter_->addWidget(grid_);
    splitter_->addWidget(previewArea_);
    grid_->show();
    previewArea_->setVisible(!hidden);
    splitter_->setStretchFactor(0, 3);
    splitter_->setStretchFactor(1, 2);
    views_->hide();
    splitter_->show();
  }
  placement_->setCurrentIndex(std::max(0, placement_->findData(placement)));
  if (remember) {
    try {
      WriteFormPreviewPlacement(window_.Environment().Location(), placement.toStdString());
    } catch (const std::exception& e) {
      window_.Interaction().ShowError(window_.Ansi(e.what()));
    }
  }
  RefreshPreview();
}

void TPropertiesPage::RefreshPreview() {
  TTranslationSession& session = window_.Session();
  const TModuleHelper* form = session.CurrentForm();
  if (!form || !form->Root || placement_->currentData().toString() == QLatin1String("Hidden")) {
    preview_->SetForm(nullptr, 1252, TFitText::Original);
    return;
  }
  // Without a language the form shows as designed; with one, as its module will.
  const bool translated = session.CurrentLanguage() > 0;
  preview_->SetForm(form->Root.get(), translated ? session.TranslationCodePage() : session.OriginalCodePage(),
                    translated ? TFitText::Translated : TFitText::Original);
  HighlightCurrentRow();
}

void TPropertiesPage::PreviewRowsChanged(const QModelIndex& first, const QModelIndex& last) {
  TModuleHelper* form = window_.Session().CurrentForm();
  if (!preview_->Layout() || !form || !form->Root) return;
  if (first.row() != last.row()) return preview_->Rebuild();
  const std::string path = model_->Key(first.row());
  TCHValue* value = nullptr;
  try {
    value = form->Root->FindProperty(path);
  } catch (const EFormModelError&) {
  }
  // Texts change only what they show; a number, a symbol or a font's name
  // may move or resize controls.
  const bool text = value && value->PropertyType == ptString &&
                    !path.ends_with("Font.Name");
  if (text)
    preview_->TextChanged(preview_->ComponentOfPath(path));
  else
    preview_->Rebuild();
}

void TPropertiesPage::HighlightCurrentRow() {
  const int row = grid_->CurrentRow();
  const TComponentHelper* c = row >= 0 ? preview_->ComponentOfPath(model_->Key(row)) : nullptr;
  preview_->Highlight(c);
  const QRect r = preview_->ControlRect(c);
  if (c && r.isValid() && previewArea_->isVisible())
    previewArea_->ensureVisible(r.center().x(), r.center().y(), r.width() / 2 + 8, r.height() / 2 + 8);
}

bool TPropertiesPage::SelectComponentRows(const TComponentHelper* component) {
  if (!component) return false;
  const std::string key = ComponentKey(*component);
  std::vector<int> rows;
  for (int row = 0; row < model_->rowCount(); ++row) {
    const std::string path = model_->Key(row);
    if (path.size() > key.size() && path.compare(0, key.size(), key) == 0 && path[key.size()] == '.')
      rows.push_back(row);
  }
  if (rows.empty()) {
    preview_->Highlight(component);
    window_.Interaction().SetHint(
        window_.FromScreen(tr("The grid lists no property of %1.").arg(window_.Ansi(component->Name))));
    return false;
  }
  grid_->SelectRow(rows.front());
  QItemSelection selection;
  for (int row : rows) selection.select(model_->index(row, 0), model_->index(row, model_->columnCount() - 1));
  grid_->View()->selectionModel()->select(selection, QItemSelectionModel::Select);
  return true;
}

void TPropertiesPage::Refill() {
  TFormsPage::Refill();
  grid_->Refill();
}

bool TPropertiesPage::CanResetTranslation() const { return grid_->CurrentRow() >= 0; }
void TPropertiesPage::ResetTranslation() { grid_->ResetCurrent(); }
void TPropertiesPage::CommitEdit() { grid_->CommitEdit(); }

bool TPropertiesPage::GoToNextFormWithUntranslated() {
  TTranslationSession& session = window_.Session();
  auto& modules = window_.Project().Modules;
  if (modules.empty() || session.CurrentLanguage() <= 0) return false;
  size_t current = 0;
  for (size_t i = 0; i < modules.size(); ++i)
    if (modules[i].Module.get() == session.CurrentForm()) current = i;
  TPropertyGridModel::THighlighter highlighter(model_->Rules());
  const bool highlightedOnly = ReadShowHighlightedPropertiesOnly(window_.Environment().Location());
  for (size_t k = 1; k < modules.size(); ++k) {
    TModuleEntry& entry = modules[(current + k) % modules.size()];
    if (!entry.Module || !entry.Module->Root) continue;
    std::vector<TPropertyGridModel::TRow> rows;
    try {
      rows = TPropertyGridModel::ListedRows(*entry.Module, window_.TypeFilter(), highlightedOnly, highlighter);
    } catch (const std::exception&) {
      continue;  // a form the grid cannot list (its fill says why) is passed over
    }
    bool untranslated = false;
    for (const auto& row : rows) {
      TCHValue* value = nullptr;
      try {
        value = entry.Module->Root->FindProperty(row.path);
      } catch (const EFormModelError&) {
      }
      if (value && !value->IsTranslated()) {
        untranslated = true;
        break;
      }
    }
    if (!untranslated) continue;
    window_.SelectForm(window_.Ansi(entry.Name));
    if (session.CurrentForm() != entry.Module.get()) return false;
    return grid_->SelectFirstUntranslated();
  }
  return false;
}

}  // namespace kst::ui
