// The dictionary editor's two grids over its session: the source strings,
// fetched a page at a time as the view scrolls (the session reads a page of
// the index per call, so a million rows cost no more than the ones shown),
// and the translations of the selected source string in the current tab.
#pragma once

#include <string>
#include <vector>

#include "dictionary/dictionary_editor.h"
#include "platform/codepage.h"
#include "ui/edit_grid.h"

namespace kst::ui {

class TSourceModel : public TEditGridModel {
  Q_OBJECT

public:
  TSourceModel(TDictionaryEditSession& session, TQtInteraction& interaction, QObject* parent = nullptr);

  // Shows the source strings that begin with `prefix` (without regard to
  // case), starting with the first page.
  void SetFilter(const QString& prefix);
  // Reads the rows again after the session's changes or a refresh.
  void Reload();
  // The session's position of a view row, and the key of that row (raises
  // the session's EInvalidEntry when another workstation deleted it).
  size_t Position(int row) const;
  std::string StrIdAt(int row);
  // The view row of a source string the session knows; -1 when not loaded.
  int RowOf(const std::string& strId) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;

  QModelIndex BeginNewRow() override;
  bool IsNewRow(int row) const override { return newRow_ && row == 0; }
  bool HasNewRow() const override { return newRow_; }
  void DropNewRow() override;
  QString RemoveQuestion(int row) const override;

signals:
  // A source string was added or changed: the view selects it.
  void SourceStored(const QString& strId, const QString& text);

protected:
  void Store(const QModelIndex& index, const QString& text) override;
  void Remove(int row) override;

private:
  TDictionaryEditSession& session_;
  bool newRow_ = false;
  // The typed prefix has a character the code page lacks: nothing matches.
  bool impossible_ = false;
  // While a page is fetched: the row count the view knows.
  std::optional<size_t> fetching_;
};

class TTranslationsModel : public TEditGridModel {
  Q_OBJECT

public:
  TTranslationsModel(TDictionaryEditSession& session, TQtInteraction& interaction, TSystemCodePages system,
                     QObject* parent = nullptr);

  // The translations of that source string in the current tab (none for
  // an empty key).
  void SetSource(const std::string& strId);
  void Reload();
  const std::vector<TTranslationRow>& Rows() const { return rows_; }
  const std::string& Source() const { return strId_; }

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
  // Translations are kept in their language's code page.
  int CodePage(int languageId) const;
  bool HasNewRowAtEnd() const;

  TDictionaryEditSession& session_;
  TSystemCodePages system_;
  std::string strId_;
  std::vector<TTranslationRow> rows_;
};

}  // namespace kst::ui
