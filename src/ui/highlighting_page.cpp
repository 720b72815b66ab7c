// The highlighting rules page.
#include "ui/highlighting_page.h"

#include <QCheckBox>
#include <QFont>
#include <QGridLayout>
#include <QHeaderView>
#include <QPalette>
#include <QPushButton>

#include "dictionary/config_data.h"
#include "ui/qt_interaction.h"

namespace kst::ui {

TRulesModel::TRulesModel(TdatConfig& config, TQtInteraction& interaction, QObject* parent)
    : TEditGridModel(interaction, parent), config_(config) {
  rules_ = config_.GetRules();
}

void TRulesModel::Reload() {
  beginResetModel();
  rules_ = config_.GetRules();
  endResetModel();
}

// The last row is where a new rule is typed.
int TRulesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rules_.size()) + 1;
}

int TRulesModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 1; }

QVariant TRulesModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  size_t row = static_cast<size_t>(index.row());
  bool last = row == rules_.size();
  switch (role) {
    case Qt::DisplayRole: return last ? tr("(type a new rule here)") : Interaction().Shown(rules_[row]);
    case Qt::EditRole: return last ? QString() : Interaction().Shown(rules_[row]);
    case Qt::ForegroundRole:
      if (last) return QPalette().color(QPalette::Disabled, QPalette::Text);
      return {};
    case Qt::FontRole:
      if (last) {
        QFont font;
        font.setItalic(true);
        return font;
      }
      return {};
    default: return {};
  }
}

Qt::ItemFlags TRulesModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable : Qt::NoItemFlags;
}

QString TRulesModel::RemoveQuestion(int row) const {
  if (row < 0 || row >= static_cast<int>(rules_.size())) return {};
  return tr("Delete the highlighting rule \"%1\"?").arg(Interaction().Shown(rules_[static_cast<size_t>(row)]));
}

void TRulesModel::Store(const QModelIndex& index, const QString& text) {
  size_t row = static_cast<size_t>(index.row());
  std::string rule = CoreText(text.trimmed(), Interaction().CodePage());
  if (row == rules_.size()) {
    // A new row left empty is dropped, as a grid drops an unchanged one.
    if (rule.empty()) return;
    config_.AddRule(rule);
  } else {
    if (rule == rules_[row]) return;
    config_.ChangeRule(rules_[row], rule);
  }
  Reload();
}

void TRulesModel::Remove(int row) {
  if (row < 0 || row >= static_cast<int>(rules_.size())) return;
  config_.DeleteRule(rules_[static_cast<size_t>(row)]);
  Reload();
}

THighlightingPage::THighlightingPage(TdatConfig& config, TQtInteraction& interaction, QWidget* parent)
    : QWidget(parent), config_(config), interaction_(interaction) {
  model_ = new TRulesModel(config, interaction, this);
  grid_ = new TEditGrid(this);
  grid_->setObjectName(QStringLiteral("grdHighlighting"));
  grid_->setModel(model_);
  grid_->horizontalHeader()->setVisible(false);
  grid_->horizontalHeader()->setStretchLastSection(true);
  grid_->setToolTip(tr("Type a rule into the last row; Delete removes the selected rule."));
  highlightedOnly_ = new QCheckBox(tr("Show Only Highlighted Properties in Translation Grid"), this);
  highlightedOnly_->setObjectName(QStringLiteral("ctlHighlightedOnly"));
  defaults_ = new QPushButton(tr("Defaults"), this);
  defaults_->setObjectName(QStringLiteral("btnSetHighlightingDefaults"));
  defaults_->setAutoDefault(false);
  auto* layout = new QGridLayout(this);
  layout->addWidget(grid_, 0, 0, 1, 2);
  layout->addWidget(highlightedOnly_, 1, 0);
  layout->addWidget(defaults_, 1, 1);
  layout->setColumnStretch(0, 1);
  connect(defaults_, &QPushButton::clicked, this, [this] {
    if (!grid_->PostPending()) return;
    try {
      config_.SetHighlightingDefaults();
    } catch (const std::exception& e) {
      interaction_.ShowError(interaction_.Shown(e.what()));
    }
    model_->Reload();
  });
}

}  // namespace kst::ui
