// TfrmEditDictionary, the dictionary editor: every source string (a filter
// box narrows them by their beginning), and the translations of the selected
// one in the language of the current tab. Every change waits in the editor's
// session until "OK" writes them together in one short write, so another
// workstation is never locked out while the editor is open; every other way
// out forgets them.
#pragma once

#include <memory>

#include "platform/codepage.h"
#include "ui/abstract_dialog.h"

class QLineEdit;
class QPushButton;
class QTabBar;

namespace kst {
class TdatCommon;
class TDictionaryEditSession;
}  // namespace kst

namespace kst::ui {

class TEditGrid;
class TQtInteraction;
class TSourceModel;
class TTranslationsModel;

class TfrmEditDictionary : public TfrmAbstractDialog {
  Q_OBJECT

public:
  // Opens the editor's session on its own connection (raises the
  // dictionary's errors when it cannot). `common` must outlive the dialog.
  TfrmEditDictionary(QWidget* parent, THelpViewer* help, TQtInteraction& interaction, TdatCommon& common,
                     TSystemCodePages system);
  ~TfrmEditDictionary() override;

  // Stores every change; a refusal or a conflict keeps the dialog open with
  // every change kept.
  void accept() override;
  void reject() override;

  // Imports a dictionary file into the editor's changes (the "&Import..."
  // button after its file dialog).
  void Import(const QString& fileName);

  TDictionaryEditSession& Session() { return *session_; }
  QTabBar* Tabs() const { return tabs_; }
  QLineEdit* Filter() const { return filter_; }
  TEditGrid* SourceGrid() const { return sources_; }
  TEditGrid* TranslationGrid() const { return translations_; }
  TSourceModel* SourceModel() const { return sourceModel_; }
  TTranslationsModel* TranslationsModel() const { return translationModel_; }
  QPushButton* ImportButton() const { return import_; }
  QPushButton* LanguageButton() const { return language_; }

private:
  void FillTabs();
  void TabChosen(int index);
  void SourceChosen();
  void SelectSource(const QString& strId, const QString& text);
  void ChooseImportFile();
  void AddLanguage();
  void Refill();

  TQtInteraction& interaction_;
  THelpViewer* help_;
  std::unique_ptr<TDictionaryEditSession> session_;
  QTabBar* tabs_;
  QLineEdit* filter_;
  TEditGrid* sources_;
  TEditGrid* translations_;
  TSourceModel* sourceModel_;
  TTranslationsModel* translationModel_;
  QPushButton* import_;
  QPushButton* language_;
  bool filling_ = false;
};

}  // namespace kst::ui
