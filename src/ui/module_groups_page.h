// The options dialog's "Module Groups" page: the groups of library files a
// project can take in one step, each with its entries (a file pattern, which
// may hold path macros, or "<Other group>"). A group's name and remarks are
// typed into the two edits ("New", "Modify") and stored when the person moves
// on; its entries are edited in the grid below, whose last row takes a new
// one.
#pragma once

#include <QWidget>

#include <string>
#include <vector>

#include "dictionary/config_data.h"
#include "ui/edit_grid.h"

class QLineEdit;
class QPushButton;
class QTableView;

namespace kst::ui {

class TGroupsModel : public QAbstractTableModel {
  Q_OBJECT

public:
  TGroupsModel(TdatConfig& config, TQtInteraction& interaction, QObject* parent = nullptr);
  void Reload();
  const std::vector<TModuleGroupRow>& Groups() const { return groups_; }
  int RowOf(const std::string& groupId) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
  TdatConfig& config_;
  TQtInteraction& interaction_;
  std::vector<TModuleGroupRow> groups_;
};

class TEntriesModel : public TEditGridModel {
  Q_OBJECT

public:
  TEntriesModel(TdatConfig& config, TQtInteraction& interaction, QObject* parent = nullptr);
  // The entries of that group (none for an empty ID).
  void SetGroup(const std::string& groupId);
  void Reload();
  const std::vector<TModuleEntryRow>& Entries() const { return entries_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QString RemoveQuestion(int row) const override;

protected:
  void Store(const QModelIndex& index, const QString& text) override;
  void Remove(int row) override;

private:
  TdatConfig& config_;
  std::string groupId_;
  std::vector<TModuleEntryRow> entries_;
};

class TModuleGroupsPage : public QWidget {
  Q_OBJECT

public:
  TModuleGroupsPage(TdatConfig& config, TQtInteraction& interaction, QWidget* parent = nullptr);

  // Stores what is being typed: the entry being edited, then the group's
  // name and remarks. False (with the message shown) when something was
  // refused; the typed text stays for another try.
  bool PostPending();
  // Reads everything again (after a conflict was resolved).
  void Reload();

  QTableView* GroupsGrid() const { return groups_; }
  TEditGrid* EntriesGrid() const { return entries_; }
  TGroupsModel* GroupsModel() const { return groupsModel_; }
  TEntriesModel* EntriesModel() const { return entriesModel_; }
  QLineEdit* NameEdit() const { return name_; }
  QLineEdit* RemarksEdit() const { return remarks_; }
  QPushButton* NewButton() const { return new_; }
  QPushButton* ModifyButton() const { return modify_; }
  QPushButton* DeleteButton() const { return delete_; }
  // The group shown in the edits; empty while a new one is typed.
  const std::string& CurrentGroup() const { return current_; }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  enum class TState { Browse, Inserting, Editing };
  bool PostGroup();
  void NewGroup();
  void ModifyGroup();
  void DeleteGroup();
  void ShowGroup(const std::string& groupId);
  void GroupSelected();
  void UpdateControls();

  TdatConfig& config_;
  TQtInteraction& interaction_;
  TGroupsModel* groupsModel_;
  TEntriesModel* entriesModel_;
  QTableView* groups_;
  TEditGrid* entries_;
  QLineEdit* name_;
  QLineEdit* remarks_;
  QPushButton* new_;
  QPushButton* modify_;
  QPushButton* delete_;
  std::string current_;
  TState state_ = TState::Browse;
  bool selecting_ = false;
};

}  // namespace kst::ui
