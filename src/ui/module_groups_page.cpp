// The module groups page.
#include "ui/module_groups_page.h"

#include <QEvent>
#include <QFont>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

#include "ui/qt_interaction.h"

namespace kst::ui {

namespace {

QVariant NewRowLook(int role, const QString& hint) {
  switch (role) {
    case Qt::DisplayRole: return hint;
    case Qt::EditRole: return QString();
    case Qt::ForegroundRole: return QPalette().color(QPalette::Disabled, QPalette::Text);
    case Qt::FontRole: {
      QFont font;
      font.setItalic(true);
      return font;
    }
    default: return {};
  }
}

}  // namespace

TGroupsModel::TGroupsModel(TdatConfig& config, TQtInteraction& interaction, QObject* parent)
    : QAbstractTableModel(parent), config_(config), interaction_(interaction) {
  groups_ = config_.GetGroups();
}

void TGroupsModel::Reload() {
  beginResetModel();
  groups_ = config_.GetGroups();
  endResetModel();
}

int TGroupsModel::RowOf(const std::string& groupId) const {
  for (size_t i = 0; i < groups_.size(); ++i)
    if (groups_[i].id == groupId) return static_cast<int>(i);
  return -1;
}

int TGroupsModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : static_cast<int>(groups_.size()); }
int TGroupsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant TGroupsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || role != Qt::DisplayRole) return {};
  const TModuleGroupRow& group = groups_[static_cast<size_t>(index.row())];
  return interaction_.Shown(index.column() == 0 ? group.name : group.remarks);
}

QVariant TGroupsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return section == 0 ? tr("GroupName") : tr("Remarks");
}

TEntriesModel::TEntriesModel(TdatConfig& config, TQtInteraction& interaction, QObject* parent)
    : TEditGridModel(interaction, parent), config_(config) {}

void TEntriesModel::SetGroup(const std::string& groupId) {
  groupId_ = groupId;
  Reload();
}

void TEntriesModel::Reload() {
  beginResetModel();
  entries_ = groupId_.empty() ? std::vector<TModuleEntryRow>{} : config_.GetEntries(groupId_);
  endResetModel();
}

// With a group, the last row is where a new entry is typed.
int TEntriesModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return static_cast<int>(entries_.size()) + (groupId_.empty() ? 0 : 1);
}

int TEntriesModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant TEntriesModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  size_t row = static_cast<size_t>(index.row());
  if (row == entries_.size()) return index.column() == 0 ? NewRowLook(role, tr("(type a new file here)")) : QVariant();
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  const TModuleEntryRow& entry = entries_[row];
  return Interaction().Shown(index.column() == 0 ? entry.file : entry.remarks);
}

QVariant TEntriesModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return section == 0 ? tr("File") : tr("Remarks");
}

Qt::ItemFlags TEntriesModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  // A new entry starts with its file, which is required.
  if (static_cast<size_t>(index.row()) == entries_.size() && index.column() != 0)
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QString TEntriesModel::RemoveQuestion(int row) const {
  if (row < 0 || row >= static_cast<int>(entries_.size())) return {};
  return tr("Delete the entry \"%1\" from the group?").arg(Interaction().Shown(entries_[static_cast<size_t>(row)].file));
}

void TEntriesModel::Store(const QModelIndex& index, const QString& text) {
  if (groupId_.empty()) return;
  size_t row = static_cast<size_t>(index.row());
  const int page = Interaction().CodePage();
  if (row == entries_.size()) {
    std::string file = CoreText(text.trimmed(), page);
    if (file.empty()) return;
    config_.AddEntry(groupId_, file, "");
  } else {
    const TModuleEntryRow entry = entries_[row];
    if (index.column() == 0) {
      std::string file = CoreText(text.trimmed(), page);
      if (file == entry.file) return;
      config_.ChangeEntry(groupId_, entry.file, file, entry.remarks);
    } else {
      std::string remarks = CoreText(text, page);
      if (remarks == entry.remarks) return;
      config_.ChangeEntry(groupId_, entry.file, entry.file, remarks);
    }
  }
  Reload();
}

void TEntriesModel::Remove(int row) {
  if (row < 0 || row >= static_cast<int>(entries_.size())) return;
  config_.DeleteEntry(groupId_, entries_[static_cast<size_t>(row)].file);
  Reload();
}

TModuleGroupsPage::TModuleGroupsPage(TdatConfig& config, TQtInteraction& interaction, QWidget* parent)
    : QWidget(parent), config_(config), interaction_(interaction) {
  groupsModel_ = new TGroupsModel(config, interaction, this);
  entriesModel_ = new TEntriesModel(config, interaction, this);

  auto* groupsLabel = new QLabel(tr("Groups:"), this);
  groups_ = new QTableView(this);
  groups_->setObjectName(QStringLiteral("grdModGrps"));
  groups_->setModel(groupsModel_);
  groups_->setSelectionBehavior(QAbstractItemView::SelectRows);
  groups_->setSelectionMode(QAbstractItemView::SingleSelection);
  groups_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  groups_->verticalHeader()->setVisible(false);
  groups_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
  groups_->horizontalHeader()->setStretchLastSection(true);
  groups_->horizontalHeader()->setHighlightSections(false);
  groups_->setColumnWidth(0, 200);
  groups_->setTabKeyNavigation(false);
  groups_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
  groups_->setMinimumHeight(90);
  groupsLabel->setBuddy(groups_);

  new_ = new QPushButton(tr("New"), this);
  new_->setObjectName(QStringLiteral("btnNewGroup"));
  modify_ = new QPushButton(tr("Modify"), this);
  modify_->setObjectName(QStringLiteral("btnModifyGroup"));
  delete_ = new QPushButton(tr("Delete"), this);
  delete_->setObjectName(QStringLiteral("btnDeleteGroup"));
  for (QPushButton* b : {new_, modify_, delete_}) b->setAutoDefault(false);

  auto* nameLabel = new QLabel(tr("Group Name:"), this);
  name_ = new QLineEdit(this);
  name_->setObjectName(QStringLiteral("ctlModGroupName"));
  nameLabel->setBuddy(name_);
  auto* remarksLabel = new QLabel(tr("Remarks:"), this);
  remarks_ = new QLineEdit(this);
  remarks_->setObjectName(QStringLiteral("ctlModGroupRemarks"));
  remarksLabel->setBuddy(remarks_);

  auto* entriesLabel = new QLabel(tr("Modules:"), this);
  entries_ = new TEditGrid(this);
  entries_->setObjectName(QStringLiteral("grdModGrps2"));
  entries_->setModel(entriesModel_);
  entries_->horizontalHeader()->setStretchLastSection(true);
  entries_->setColumnWidth(0, 200);
  entries_->setToolTip(tr("Type a file or \"<Group>\" into the last row; Delete removes the selected entry."));
  entries_->installEventFilter(this);
  entriesLabel->setBuddy(entries_);

  auto* buttons = new QVBoxLayout;
  buttons->addWidget(new_);
  buttons->addWidget(modify_);
  buttons->addWidget(delete_);
  buttons->addStretch(1);
  auto* edits = new QGridLayout;
  edits->addWidget(nameLabel, 0, 0);
  edits->addWidget(name_, 0, 1);
  edits->addWidget(remarksLabel, 0, 2);
  edits->addWidget(remarks_, 0, 3);
  edits->setColumnStretch(1, 2);
  edits->setColumnStretch(3, 3);
  auto* layout = new QGridLayout(this);
  layout->addWidget(groupsLabel, 0, 0);
  layout->addWidget(groups_, 1, 0);
  layout->addLayout(buttons, 1, 1);
  layout->addLayout(edits, 2, 0, 1, 2);
  layout->addWidget(entriesLabel, 3, 0);
  layout->addWidget(entries_, 4, 0, 1, 2);
  layout->setRowStretch(1, 1);
  layout->setRowStretch(4, 1);
  layout->setColumnStretch(0, 1);

  setTabOrder(groups_, new_);
  setTabOrder(new_, modify_);
  setTabOrder(modify_, delete_);
  setTabOrder(delete_, name_);
  setTabOrder(name_, remarks_);
  setTabOrder(remarks_, entries_);

  connect(groups_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { GroupSelected(); });
  connect(new_, &QPushButton::clicked, this, &TModuleGroupsPage::NewGroup);
  connect(modify_, &QPushButton::clicked, this, &TModuleGroupsPage::ModifyGroup);
  connect(delete_, &QPushButton::clicked, this, &TModuleGroupsPage::DeleteGroup);
  auto edited = [this] {
    if (state_ == TState::Browse && !current_.empty()) state_ = TState::Editing;
  };
  connect(name_, &QLineEdit::textEdited, this, edited);
  connect(remarks_, &QLineEdit::textEdited, this, edited);

  const auto& groups = groupsModel_->Groups();
  ShowGroup(groups.empty() ? std::string() : groups.front().id);
}

bool TModuleGroupsPage::eventFilter(QObject* watched, QEvent* event) {
  // Entries belong to a stored group: a new group is stored as the person
  // moves on to its entries.
  if (watched == entries_ && event->type() == QEvent::FocusIn && state_ == TState::Inserting) {
    if (!PostGroup()) {
      name_->setFocus();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TModuleGroupsPage::ShowGroup(const std::string& groupId) {
  current_ = groupId;
  state_ = TState::Browse;
  int row = groupsModel_->RowOf(groupId);
  selecting_ = true;
  if (row >= 0)
    groups_->setCurrentIndex(groupsModel_->index(row, 0));
  else
    groups_->clearSelection();
  selecting_ = false;
  const TModuleGroupRow* group = row >= 0 ? &groupsModel_->Groups()[static_cast<size_t>(row)] : nullptr;
  name_->setText(group ? interaction_.Shown(group->name) : QString());
  remarks_->setText(group ? interaction_.Shown(group->remarks) : QString());
  entriesModel_->SetGroup(group ? groupId : std::string());
  UpdateControls();
}

void TModuleGroupsPage::GroupSelected() {
  if (selecting_) return;
  int row = groups_->currentIndex().row();
  if (row < 0 || row >= static_cast<int>(groupsModel_->Groups().size())) return;
  std::string wanted = groupsModel_->Groups()[static_cast<size_t>(row)].id;
  if (wanted == current_ && state_ == TState::Browse) return;
  // Leaving a group stores what was typed for it, as leaving a row of a
  // data-aware grid posts it; a refusal keeps the person where they were.
  if (!PostPending()) {
    int back = groupsModel_->RowOf(current_);
    selecting_ = true;
    if (back >= 0)
      groups_->setCurrentIndex(groupsModel_->index(back, 0));
    else
      groups_->clearSelection();
    selecting_ = false;
    return;
  }
  ShowGroup(wanted);
}

bool TModuleGroupsPage::PostGroup() {
  if (state_ == TState::Browse) return true;
  try {
    std::string name = CoreText(name_->text().trimmed(), interaction_.CodePage());
    std::string remarks = CoreText(remarks_->text(), interaction_.CodePage());
    if (state_ == TState::Inserting) {
      current_ = config_.NewGroup(name, remarks);
    } else {
      // A group only looked at through "Modify" is no change, and cannot
      // clash with another workstation's.
      int row = groupsModel_->RowOf(current_);
      const TModuleGroupRow* group = row >= 0 ? &groupsModel_->Groups()[static_cast<size_t>(row)] : nullptr;
      if (!group || group->name != name || group->remarks != remarks) config_.ModifyGroup(current_, name, remarks);
    }
  } catch (const EScreenRefusal& e) {
    interaction_.ShowError(e.Message());
    name_->setFocus();
    return false;
  } catch (const std::exception& e) {
    interaction_.ShowError(interaction_.Shown(e.what()));
    name_->setFocus();
    return false;
  }
  groupsModel_->Reload();
  ShowGroup(current_);
  return true;
}

bool TModuleGroupsPage::PostPending() { return entries_->PostPending() && PostGroup(); }

void TModuleGroupsPage::Reload() {
  std::string keep = current_;
  groupsModel_->Reload();
  if (groupsModel_->RowOf(keep) < 0) {
    const auto& groups = groupsModel_->Groups();
    keep = groups.empty() ? std::string() : groups.front().id;
  }
  ShowGroup(keep);
}

void TModuleGroupsPage::NewGroup() {
  if (!PostPending()) return;
  state_ = TState::Inserting;
  current_.clear();
  selecting_ = true;
  groups_->clearSelection();
  groups_->setCurrentIndex(QModelIndex());
  selecting_ = false;
  name_->clear();
  remarks_->clear();
  entriesModel_->SetGroup(std::string());
  UpdateControls();
  name_->setFocus();
}

void TModuleGroupsPage::ModifyGroup() {
  if (!PostPending() || current_.empty()) return;
  state_ = TState::Editing;
  UpdateControls();
  name_->setFocus();
  name_->selectAll();
}

void TModuleGroupsPage::DeleteGroup() {
  if (state_ == TState::Inserting) {
    // The group being typed was never stored: it simply goes.
    const auto& groups = groupsModel_->Groups();
    ShowGroup(groups.empty() ? std::string() : groups.front().id);
    return;
  }
  if (!PostPending() || current_.empty()) return;
  int row = groupsModel_->RowOf(current_);
  try {
    config_.DeleteGroup(current_);
  } catch (const std::exception& e) {
    interaction_.ShowError(interaction_.Shown(e.what()));
    return;
  }
  groupsModel_->Reload();
  const auto& groups = groupsModel_->Groups();
  if (groups.empty())
    ShowGroup(std::string());
  else
    ShowGroup(groups[static_cast<size_t>(std::clamp(row, 0, static_cast<int>(groups.size()) - 1))].id);
}

void TModuleGroupsPage::UpdateControls() {
  const bool group = state_ == TState::Inserting || !current_.empty();
  name_->setEnabled(group);
  remarks_->setEnabled(group);
  modify_->setEnabled(!current_.empty());
  delete_->setEnabled(group);
  entries_->setEnabled(group);
}

}  // namespace kst::ui
