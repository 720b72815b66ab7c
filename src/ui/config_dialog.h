// TfrmConfig, the options dialog: the Delphi directories and tools (in the
// registry), the highlighting rules, the module groups and the display
// settings of the grids (in the dictionary). Nothing is kept before "OK":
// the dictionary's changes wait in TdatConfig and in the settings
// transaction, and the registry is written last, once the rest is stored.
#pragma once

#include <memory>
#include <string>

#include "ui/abstract_dialog.h"

class QCheckBox;
class QLineEdit;
class QTabWidget;

namespace kst {
class TdatConfig;
class TTranslatorEnvironment;
}  // namespace kst

namespace kst::ui {

class TQtInteraction;
class THighlightingPage;
class TModuleGroupsPage;
class TFontsColorsPage;

class TfrmConfig : public TfrmAbstractDialog {
  Q_OBJECT

public:
  // Raises the dictionary's errors when its data cannot be read.
  TfrmConfig(QWidget* parent, THelpViewer* help, TQtInteraction& interaction, TTranslatorEnvironment& environment);
  ~TfrmConfig() override;

  // Stores everything; stays open, with every change kept, when something
  // is refused or cannot be written.
  void accept() override;

  QTabWidget* Pages() const { return pages_; }
  QLineEdit* DelphiRootDir() const { return delphiRootDir_; }
  QLineEdit* DelphiBinDir() const { return delphiBinDir_; }
  QLineEdit* CommonDelphiLibDir() const { return commonLibDir_; }
  QLineEdit* Dcc32Path() const { return dcc32_; }
  QLineEdit* Brcc32Path() const { return brcc32_; }
  QCheckBox* ShortFileNames() const { return shortFileNames_; }
  THighlightingPage* Highlighting() const { return highlighting_; }
  TModuleGroupsPage* ModuleGroups() const { return groups_; }
  TFontsColorsPage* FontsColors() const { return display_; }

private:
  QWidget* MakeDirectoriesPage();
  void ReadRegistry();
  void WriteRegistry();
  bool CommitDictionary();

  TQtInteraction& interaction_;
  TTranslatorEnvironment& environment_;
  std::string user_;
  std::unique_ptr<TdatConfig> config_;
  QTabWidget* pages_;
  QLineEdit* delphiRootDir_ = nullptr;
  QLineEdit* delphiBinDir_ = nullptr;
  QLineEdit* commonLibDir_ = nullptr;
  QLineEdit* dcc32_ = nullptr;
  QLineEdit* brcc32_ = nullptr;
  QCheckBox* shortFileNames_ = nullptr;
  THighlightingPage* highlighting_ = nullptr;
  TModuleGroupsPage* groups_ = nullptr;
  TFontsColorsPage* display_ = nullptr;
};

}  // namespace kst::ui
