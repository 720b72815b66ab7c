// The dictionary editor's grids.
#include "ui/dictionary_models.h"

#include <QFont>
#include <QPalette>

#include "config/language_info.h"
#include "ui/qt_interaction.h"
#include "ui/ui_text.h"

namespace kst::ui {

namespace {

QFont Italic() {
  QFont font;
  font.setItalic(true);
  return font;
}

}  // namespace

TSourceModel::TSourceModel(TDictionaryEditSession& session, TQtInteraction& interaction, QObject* parent)
    : TEditGridModel(interaction, parent), session_(session) {
  session_.FetchMore();
}

void TSourceModel::SetFilter(const QString& prefix) {
  QString error;
  beginResetModel();
  newRow_ = false;
  std::optional<std::string> typed = ToAnsi(prefix, Interaction().CodePage());
  impossible_ = !typed;
  try {
    session_.SetFilter(typed.value_or(std::string()));
    if (!impossible_) session_.FetchMore();
  } catch (const std::exception& e) {
    error = Message(e);
  }
  endResetModel();
  if (!error.isEmpty()) Interaction().ShowError(error);
}

void TSourceModel::Reload() {
  QString error;
  beginResetModel();
  newRow_ = false;
  try {
    if (session_.LoadedCount() == 0) session_.FetchMore();
  } catch (const std::exception& e) {
    error = Message(e);
  }
  endResetModel();
  if (!error.isEmpty()) Interaction().ShowError(error);
}

size_t TSourceModel::Position(int row) const { return static_cast<size_t>(row - (newRow_ ? 1 : 0)); }

std::string TSourceModel::StrIdAt(int row) { return session_.StrIdAt(Position(row)); }

int TSourceModel::RowOf(const std::string& strId) const {
  std::optional<size_t> at = session_.PositionOf(strId);
  return at ? static_cast<int>(*at) + (newRow_ ? 1 : 0) : -1;
}

int TSourceModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() || impossible_) return newRow_ ? 1 : 0;
  return static_cast<int>(fetching_.value_or(session_.LoadedCount())) + (newRow_ ? 1 : 0);
}

int TSourceModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 1; }

QVariant TSourceModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (IsNewRow(index.row())) return role == Qt::EditRole || role == Qt::DisplayRole ? QString() : QVariant();
  size_t at = Position(index.row());
  if (at >= session_.LoadedCount()) return {};
  const TSourceRow& row = session_.Row(at);
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return FromAnsi(row.text, Interaction().CodePage());
    // Rows changed in this dialog, not yet stored.
    case Qt::FontRole: return row.state == TSourceRow::TState::Stored ? QVariant() : QVariant(Italic());
    default: return {};
  }
}

QVariant TSourceModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section == 0) return tr("SourceString");
  return {};
}

Qt::ItemFlags TSourceModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable : Qt::NoItemFlags;
}

bool TSourceModel::canFetchMore(const QModelIndex& parent) const {
  return !parent.isValid() && !impossible_ && !fetching_ && !session_.AllLoaded();
}

void TSourceModel::fetchMore(const QModelIndex& parent) {
  if (!canFetchMore(parent)) return;
  size_t before = session_.LoadedCount();
  fetching_ = before;
  size_t added = 0;
  try {
    added = session_.FetchMore();
  } catch (const std::exception& e) {
    fetching_.reset();
    ShowError(e);
    return;
  }
  if (added == 0) {
    fetching_.reset();
    return;
  }
  int first = static_cast<int>(before) + (newRow_ ? 1 : 0);
  beginInsertRows(QModelIndex(), first, first + static_cast<int>(added) - 1);
  fetching_.reset();
  endInsertRows();
}

QModelIndex TSourceModel::BeginNewRow() {
  if (newRow_) return index(0, 0);
  beginInsertRows(QModelIndex(), 0, 0);
  newRow_ = true;
  endInsertRows();
  return index(0, 0);
}

void TSourceModel::DropNewRow() {
  if (!newRow_) return;
  beginRemoveRows(QModelIndex(), 0, 0);
  newRow_ = false;
  endRemoveRows();
}

QString TSourceModel::RemoveQuestion(int row) const {
  if (IsNewRow(row) || Position(row) >= session_.LoadedCount()) return {};
  return tr("Delete the source string \"%1\" with all its translations?")
      .arg(FromAnsi(session_.Row(Position(row)).text, Interaction().CodePage()));
}

void TSourceModel::Store(const QModelIndex& index, const QString& text) {
  std::string typed = CoreText(text, Interaction().CodePage());
  std::string strId;
  if (IsNewRow(index.row())) {
    // A new row left empty is dropped, as a grid drops an unchanged one.
    if (typed.empty()) return;
    strId = session_.AddSource(typed);
  } else {
    size_t at = Position(index.row());
    if (at < session_.LoadedCount() && session_.Row(at).text == typed) return;
    strId = StrIdAt(index.row());
    session_.ChangeSource(strId, typed);
  }
  Reload();
  emit SourceStored(QString::fromLatin1(strId.c_str()), text);
}

void TSourceModel::Remove(int row) {
  if (IsNewRow(row)) return;
  std::string strId = StrIdAt(row);
  session_.DeleteSource(strId);
  Reload();
}

TTranslationsModel::TTranslationsModel(TDictionaryEditSession& session, TQtInteraction& interaction,
                                       TSystemCodePages system, QObject* parent)
    : TEditGridModel(interaction, parent), session_(session), system_(system) {}

void TTranslationsModel::SetSource(const std::string& strId) {
  strId_ = strId;
  Reload();
}

void TTranslationsModel::Reload() {
  QString error;
  beginResetModel();
  rows_.clear();
  if (!strId_.empty()) {
    try {
      rows_ = session_.Translations(strId_);
    } catch (const std::exception& e) {
      error = Message(e);
    }
  }
  endResetModel();
  // Shown once the view may paint again.
  if (!error.isEmpty()) Interaction().ShowError(error);
}

int TTranslationsModel::CodePage(int languageId) const { return LanguageAnsiCodePage(languageId, system_); }

// With a source string and a tab, the last row is where a new translation
// of the tab's language is typed.
bool TTranslationsModel::HasNewRowAtEnd() const { return !strId_.empty() && session_.CurrentLanguage() > 0; }

int TTranslationsModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return static_cast<int>(rows_.size()) + (HasNewRowAtEnd() ? 1 : 0);
}

int TTranslationsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant TTranslationsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  size_t row = static_cast<size_t>(index.row());
  if (row == rows_.size()) {
    if (role == Qt::ForegroundRole) return QPalette().color(QPalette::Disabled, QPalette::Text);
    if (role == Qt::FontRole) return Italic();
    if (role == Qt::EditRole) return QString();
    if (role != Qt::DisplayRole) return {};
    if (index.column() == 0) return tr("(type a new translation here)");
    for (const TLanguageTab& tab : session_.Tabs())
      if (tab.languageId == session_.CurrentLanguage()) return Interaction().Shown(tab.abbreviation);
    return {};
  }
  const TTranslationRow& t = rows_[row];
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return index.column() == 0 ? FromAnsi(t.text, CodePage(t.languageId)) : Interaction().Shown(t.abbreviation);
    case Qt::FontRole: return t.pending ? QVariant(Italic()) : QVariant();
    default: return {};
  }
}

QVariant TTranslationsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return section == 0 ? tr("Translation") : tr("Lang.");
}

Qt::ItemFlags TTranslationsModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  if (index.column() == 1) return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QString TTranslationsModel::RemoveQuestion(int row) const {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return {};
  const TTranslationRow& t = rows_[static_cast<size_t>(row)];
  return tr("Delete the translation \"%1\"?").arg(FromAnsi(t.text, CodePage(t.languageId)));
}

void TTranslationsModel::Store(const QModelIndex& index, const QString& text) {
  if (strId_.empty()) return;
  size_t row = static_cast<size_t>(index.row());
  if (row == rows_.size()) {
    if (text.isEmpty()) return;
    // A new row takes the current tab's language.
    session_.AddTranslation(strId_, CoreText(text, CodePage(session_.CurrentLanguage())));
  } else {
    const TTranslationRow t = rows_[row];
    std::string typed = CoreText(text, CodePage(t.languageId));
    if (typed == t.text) return;
    session_.ChangeTranslation(t, typed);
  }
  Reload();
}

void TTranslationsModel::Remove(int row) {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return;
  session_.DeleteTranslation(rows_[static_cast<size_t>(row)]);
  Reload();
}

}  // namespace kst::ui
