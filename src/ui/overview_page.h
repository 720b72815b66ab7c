// The "Project Overview" tab: the language list (Language, Abbr, ID) above
// a tree with the "Forms" and "Custom Resources" branches. A double click
// chooses a language, shows a form or the custom resources; the pop-up menu
// and the tool bar's remove button add and remove languages, forms and
// custom resources, with the questions a person expects before anything
// goes.
#pragma once

#include "ui/tab_page.h"

class QMenu;
class QTreeWidget;
class QTreeWidgetItem;

namespace kst::ui {

class TOverviewPage : public TTabPage {
  Q_OBJECT

public:
  explicit TOverviewPage(TfrmLexibox& window);
  ~TOverviewPage() override;

  void Refill() override;
  bool CanRemove() const override;
  void RemoveSelected() override;

  QTreeWidget* Languages() const { return languages_; }
  QTreeWidget* Tree() const { return tree_; }
  QTreeWidgetItem* FormsRoot() const { return formsRoot_; }
  QTreeWidgetItem* ResourcesRoot() const { return resourcesRoot_; }
  QMenu* PopupMenu() const { return popup_; }

  void RefillLanguages();
  // Each branch keeps its expanded or collapsed state.
  void RefillForms();
  void RefillCustomResources();

private:
  // Which of the two views the removal is about: the one with the focus,
  // or, while a menu or the tool bar has it, the one that had it last.
  QWidget* FocusedView() const;
  void LanguageActivated();
  void TreeActivated(QTreeWidgetItem* item);
  void ShowPopup(QWidget* from, const QPoint& at);
  void RemoveCustomResource(QTreeWidgetItem* item);
  void RemoveForm(QTreeWidgetItem* item);
  void RemoveLanguage(QTreeWidgetItem* item);

  QTreeWidget* languages_;
  QTreeWidget* tree_;
  QTreeWidgetItem* formsRoot_;
  QTreeWidgetItem* resourcesRoot_;
  QMenu* popup_;
  QAction* popupRemove_;
  QWidget* lastFocused_ = nullptr;
};

}  // namespace kst::ui
