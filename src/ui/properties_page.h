// The "Forms" tab: the form selector and, below it, the property grid of
// the current form with the form's preview beside it or on a tab of its own.
#pragma once

#include "ui/forms_page.h"

class QModelIndex;
class QScrollArea;
class QSplitter;
class QTabWidget;

namespace kst {
class TComponentHelper;
}

namespace kst::ui {

class TFormPreview;
class TPropertyGridModel;
class TSpellChecker;
class TTranslationGrid;

class TPropertiesPage : public TFormsPage {
  Q_OBJECT

public:
  // `spell` may be null and must outlive the page.
  TPropertiesPage(TfrmLexibox& window, TSpellChecker* spell);

  void Refill() override;
  bool CanResetTranslation() const override;
  void ResetTranslation() override;
  void CommitEdit() override;

  TTranslationGrid* Grid() const { return grid_; }
  TPropertyGridModel* Model() const { return model_; }
  TFormPreview* Preview() const { return preview_; }
  QScrollArea* PreviewArea() const { return previewArea_; }
  QComboBox* PreviewPlacement() const { return placement_; }
  QTabWidget* Views() const { return views_; }
  // "Beside" the grid, on a "Tab" of its own or "Hidden"; remembered in the
  // settings when `remember`.
  void SetPreviewPlacement(const QString& placement, bool remember);
  // Makes the rows of the component's values the grid's selection, the
  // first of them current; false when the grid lists none.
  bool SelectComponentRows(const TComponentHelper* component);

private:
  // Ctrl+Shift+Enter past the last untranslated row: the next form (in the
  // project's order, round to the ones before) with an untranslated row
  // that the filters list becomes current, at its first such row.
  bool GoToNextFormWithUntranslated();

  // The preview of the current form in the current language, again.
  void RefreshPreview();
  // Rows changed: a text is drawn again where it is; anything else (a
  // size, a font, many rows at once) lays the form out again.
  void PreviewRowsChanged(const QModelIndex& first, const QModelIndex& last);
  void HighlightCurrentRow();

  TPropertyGridModel* model_;
  TTranslationGrid* grid_;
  TFormPreview* preview_;
  QScrollArea* previewArea_;
  QSplitter* splitter_;
  QTabWidget* views_;
  QComboBox* placement_;
};

}  // namespace kst::ui
