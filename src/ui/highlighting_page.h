// The options dialog's "Highlighting" page: the highlighting rules (class-
// qualified property paths, or "?." and a path for any class), edited in a
// grid whose last row takes a new rule, with "Defaults" for the rules the
// program starts with.
#pragma once

#include <QWidget>

#include <string>
#include <vector>

#include "ui/edit_grid.h"

class QCheckBox;
class QPushButton;

namespace kst {
class TdatConfig;
}

namespace kst::ui {

class TRulesModel : public TEditGridModel {
  Q_OBJECT

public:
  TRulesModel(TdatConfig& config, TQtInteraction& interaction, QObject* parent = nullptr);
  // Reads the rules again (after "Defaults" or a conflict).
  void Reload();
  const std::vector<std::string>& Rules() const { return rules_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QString RemoveQuestion(int row) const override;

protected:
  void Store(const QModelIndex& index, const QString& text) override;
  void Remove(int row) override;

private:
  TdatConfig& config_;
  std::vector<std::string> rules_;
};

class THighlightingPage : public QWidget {
  Q_OBJECT

public:
  THighlightingPage(TdatConfig& config, TQtInteraction& interaction, QWidget* parent = nullptr);
  TEditGrid* Grid() const { return grid_; }
  TRulesModel* Model() const { return model_; }
  QCheckBox* HighlightedOnly() const { return highlightedOnly_; }
  QPushButton* DefaultsButton() const { return defaults_; }
  bool PostPending() { return grid_->PostPending(); }

private:
  TdatConfig& config_;
  TQtInteraction& interaction_;
  TRulesModel* model_;
  TEditGrid* grid_;
  QCheckBox* highlightedOnly_;
  QPushButton* defaults_;
};

}  // namespace kst::ui
