// TTranslationViews: what the window translates with, wired into it in one
// place: the overview and the four grid pages in place of the placeholder
// tabs, the search commands, undo and redo, the automatic translation, the
// spelling dictionary of the current language (named in the status bar)
// and the file-change watcher.
#pragma once

#include <QObject>

#include <functional>
#include <memory>

class QLabel;

namespace kst {
class TAutoTranslateDialog;
}

namespace kst::ui {

class TfrmLexibox;
class TFileChangeWatcher;
class TGridPage;
class TOverviewPage;
class TPropertiesPage;
class TResourceStringsPage;
class TSearchCommands;
class TSpellChecker;
class TVersionPage;

class TTranslationViews : public QObject {
  Q_OBJECT

public:
  // Puts the pages into the window and gives its commands their handlers.
  explicit TTranslationViews(TfrmLexibox& window);
  ~TTranslationViews() override;

  TOverviewPage* Overview() const { return overview_; }
  TPropertiesPage* Properties() const { return properties_; }
  TResourceStringsPage* ResourceStrings() const { return strings_; }
  TGridPage* CustomResources() const { return custom_; }
  TVersionPage* Version() const { return version_; }
  TSearchCommands& Search() const { return *search_; }
  TFileChangeWatcher& Watcher() const { return *watcher_; }
  TSpellChecker& Spelling() const { return *spell_; }

  // The dialog the automatic translation asks with, made for each run
  // (the dictionary's dialog plugs in here); until one is set, a question
  // box with Yes, Ignore and Cancel offers the first candidate.
  using TAutoTranslateDialogFactory = std::function<std::unique_ptr<TAutoTranslateDialog>(QWidget* parent)>;
  void SetAutoTranslateDialog(TAutoTranslateDialogFactory factory) { autoTranslate_ = std::move(factory); }

  void Undo();
  void Redo();
  void AutoTranslate();
  // Every grid's cells again, after a change made around them.
  void RefreshGrids();

private:
  void AfterTranslationChange(bool formMayHaveChanged);
  void LanguageChanged();

  TfrmLexibox& window_;
  std::unique_ptr<TSpellChecker> spell_;
  TOverviewPage* overview_;
  TPropertiesPage* properties_;
  TResourceStringsPage* strings_;
  TGridPage* custom_;
  TVersionPage* version_;
  TSearchCommands* search_;
  TFileChangeWatcher* watcher_;
  QLabel* spellingStatus_;
  TAutoTranslateDialogFactory autoTranslate_;
};

}  // namespace kst::ui
