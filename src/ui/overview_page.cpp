// The project overview: languages, forms and custom resources.
#include "ui/overview_page.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QSplitter>
#include <QStyle>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "config/language_info.h"
#include "project/project_data.h"
#include "session/translation_session.h"
#include "ui/main_window.h"
#include "ui/qt_interaction.h"

namespace kst::ui {

namespace {

// Items keep the project's own bytes of their names, so that a name is
// looked up as the project holds it, whatever the screen made of it.
constexpr int kNameRole = Qt::UserRole;
constexpr int kLanguageRole = Qt::UserRole + 1;

QByteArray Bytes(const std::string& text) { return QByteArray(text.data(), static_cast<qsizetype>(text.size())); }
std::string Name(const QTreeWidgetItem* item) { return item->data(0, kNameRole).toByteArray().toStdString(); }

// "%s" filled in by pieces: a name holding "%" stays as it is.
std::string Question(const char* pattern, const std::string& name) {
  std::string_view p(pattern);
  size_t at = p.find("%s");
  return std::string(p.substr(0, at)) + name + std::string(p.substr(at + 2));
}

}  // namespace

TOverviewPage::TOverviewPage(TfrmLexibox& window) : TTabPage(window) {
  setObjectName(QStringLiteral("sheetOverview"));
  QStyle* style = QApplication::style();
  auto* layout = new QVBoxLayout(this);
  auto* splitter = new QSplitter(Qt::Vertical, this);
  layout->addWidget(splitter);

  languages_ = new QTreeWidget(splitter);
  languages_->setObjectName(QStringLiteral("LanguageList"));
  languages_->setColumnCount(3);
  languages_->setHeaderLabels({tr("Language"), tr("Abbr"), tr("ID")});
  languages_->headerItem()->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
  languages_->setRootIsDecorated(false);
  languages_->setUniformRowHeights(true);
  languages_->setSelectionBehavior(QAbstractItemView::SelectRows);
  languages_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  languages_->header()->resizeSection(0, 255);
  languages_->header()->setStretchLastSection(false);
  languages_->setMinimumHeight(80);
  languages_->setContextMenuPolicy(Qt::CustomContextMenu);

  tree_ = new QTreeWidget(splitter);
  tree_->setObjectName(QStringLiteral("ProjectOverviewTree"));
  tree_->setHeaderHidden(true);
  tree_->setIndentation(19);
  tree_->setIconSize(QSize(15, 15));
  tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tree_->setContextMenuPolicy(Qt::CustomContextMenu);
  formsRoot_ = new QTreeWidgetItem(tree_, {tr("Forms")});
  formsRoot_->setIcon(0, style->standardIcon(QStyle::SP_DirIcon));
  resourcesRoot_ = new QTreeWidgetItem(tree_, {tr("Custom Resources")});
  resourcesRoot_->setIcon(0, style->standardIcon(QStyle::SP_DirIcon));
  formsRoot_->setExpanded(true);
  resourcesRoot_->setExpanded(true);
  splitter->setSizes({151, 400});
  splitter->setStretchFactor(1, 1);

  popup_ = new QMenu(this);
  popup_->setObjectName(QStringLiteral("mnuOverview"));
  popup_->addAction(window_.Action(TCommand::AddLanguage));
  popup_->addAction(window_.Action(TCommand::AddModule));
  popup_->addAction(window_.Action(TCommand::AddCustomResource));
  popup_->addSeparator();
  QAction* select = popup_->addAction(tr("Select"));
  select->setEnabled(false);
  popup_->addSeparator();
  popupRemove_ = window_.Action(TCommand::Remove);
  popup_->addAction(popupRemove_);

  connect(languages_, &QTreeWidget::itemActivated, this, [this] { LanguageActivated(); });
  connect(tree_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) { TreeActivated(item); });
  connect(languages_, &QTreeWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { ShowPopup(languages_, at); });
  connect(tree_, &QTreeWidget::customContextMenuRequested, this, [this](const QPoint& at) { ShowPopup(tree_, at); });
  for (QTreeWidget* view : {languages_, tree_})
    connect(view, &QTreeWidget::currentItemChanged, this, [this] { window_.UpdateCommands(); });
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    QWidget* before = lastFocused_;
    if (now == tree_ || now == languages_)
      lastFocused_ = now;
    else if (now && !qobject_cast<QMenu*>(now) && !qobject_cast<QToolBar*>(now->parentWidget()) &&
             now->window() == window_.window())
      lastFocused_ = nullptr;
    if (before != lastFocused_) window_.UpdateCommands();
  });
  connect(&window_, &TfrmLexibox::ProjectChanged, this, &TOverviewPage::Refill);
  connect(&window_, &TfrmLexibox::LanguageChanged, this, &TOverviewPage::RefillLanguages);
}

TOverviewPage::~TOverviewPage() {
  // Taking the views down changes focus and items: nothing of it may reach
  // the window, which is going as well.
  disconnect(qApp, nullptr, this, nullptr);
  languages_->blockSignals(true);
  tree_->blockSignals(true);
}

void TOverviewPage::Refill() {
  RefillLanguages();
  RefillForms();
  RefillCustomResources();
}

void TOverviewPage::RefillLanguages() {
  QStyle* style = QApplication::style();
  int current = languages_->currentItem() ? languages_->currentItem()->data(0, kLanguageRole).toInt() : 0;
  languages_->clear();
  for (const TLanguageEntry& entry : window_.Project().Languages) {
    int id = entry.Item->LanguageId;
    auto* item = new QTreeWidgetItem(languages_);
    item->setText(0, window_.Ansi(entry.Name).simplified());
    item->setIcon(0, style->standardIcon(QStyle::SP_FileDialogDetailedView));
    item->setText(1, QString::fromStdString(LanguageAbbreviation(id)));
    item->setText(2, QStringLiteral("%1").arg(id & 0xFFFF, 4, 16, QLatin1Char('0')).toUpper());
    item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    item->setData(0, kNameRole, Bytes(entry.Name));
    item->setData(0, kLanguageRole, id);
    // The language being translated stands out.
    if (id == window_.Session().CurrentLanguage()) {
      QFont bold = item->font(0);
      bold.setBold(true);
      for (int c = 0; c < 3; ++c) item->setFont(c, bold);
    }
    if (id == current) languages_->setCurrentItem(item);
  }
  languages_->resizeColumnToContents(1);
}

void TOverviewPage::RefillForms() {
  bool expanded = formsRoot_->isExpanded();
  qDeleteAll(formsRoot_->takeChildren());
  QIcon icon = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
  for (const TModuleEntry& entry : window_.Project().Modules) {
    auto* item = new QTreeWidgetItem(formsRoot_, {window_.Ansi(entry.Name)});
    item->setIcon(0, icon);
    item->setData(0, kNameRole, Bytes(entry.Name));
  }
  formsRoot_->setExpanded(expanded);
}

void TOverviewPage::RefillCustomResources() {
  bool expanded = resourcesRoot_->isExpanded();
  qDeleteAll(resourcesRoot_->takeChildren());
  QIcon icon = QApplication::style()->standardIcon(QStyle::SP_DriveFDIcon);
  for (const auto& resource : window_.Project().CustomResources.Items) {
    auto* item = new QTreeWidgetItem(resourcesRoot_, {QString::fromUtf8(resource->FileName.c_str())});
    item->setIcon(0, icon);
    item->setData(0, kNameRole, Bytes(resource->FileName));
  }
  resourcesRoot_->setExpanded(expanded);
}

QWidget* TOverviewPage::FocusedView() const {
  QWidget* focus = QApplication::focusWidget();
  if (focus == tree_ || focus == languages_) return focus;
  return lastFocused_;
}

bool TOverviewPage::CanRemove() const {
  QWidget* view = FocusedView();
  if (view == tree_) {
    QTreeWidgetItem* item = tree_->currentItem();
    return item && (item->parent() == formsRoot_ || item->parent() == resourcesRoot_);
  }
  if (view == languages_) return languages_->currentItem() && languages_->currentItem()->isSelected();
  return false;
}

void TOverviewPage::RemoveSelected() {
  QWidget* view = FocusedView();
  if (view == tree_ && tree_->currentItem()) {
    QTreeWidgetItem* item = tree_->currentItem();
    if (item->parent() == resourcesRoot_)
      RemoveCustomResource(item);
    else if (item->parent() == formsRoot_)
      RemoveForm(item);
  } else if (view == languages_ && languages_->currentItem() && languages_->currentItem()->isSelected()) {
    RemoveLanguage(languages_->currentItem());
  }
  window_.UpdateCommands();
}

void TOverviewPage::RemoveCustomResource(QTreeWidgetItem* item) {
  const std::string name = Name(item);
  TQtInteraction& ui = window_.Interaction();
  if (window_.Project().FindCustomResource(name) &&
      ui.Ask(Question("Are you sure that you want to remove the custom resource \"%s\"?", name), TButtons::YesNo) ==
          TAnswer::Yes)
    window_.Run("remove", [&] { window_.Session().RemoveCustomResource(name); });
  window_.AfterStructureChange();
}

void TOverviewPage::RemoveForm(QTreeWidgetItem* item) {
  const std::string name = Name(item);
  TQtInteraction& ui = window_.Interaction();
  TModuleHelper* module = window_.Project().FindModule(name);
  if (module) {
    if (!module->ManuallyAdded) ui.ShowWarning("This is not a manually added form!");
    if (ui.Ask(Question("Are you sure that you want to remove the form \"%s\"?", name), TButtons::YesNo) ==
        TAnswer::Yes) {
      // The grid lets go of the form first, which stores its translations.
      if (window_.Session().CurrentForm() == module) window_.SelectForm(QString());
      window_.Run("remove", [&] { window_.Session().RemoveForm(name); });
    }
  }
  window_.AfterStructureChange();
}

void TOverviewPage::RemoveLanguage(QTreeWidgetItem* item) {
  const int id = item->data(0, kLanguageRole).toInt();
  // The entry's caption, as the list shows it.
  if (window_.Interaction().AskText(tr("Are you sure that you want to remove the language \"%1\"?").arg(item->text(0)),
                                    TButtons::YesNo) != TAnswer::Yes)
    return;
  // Leaving the language stores its translations before it goes.
  if ((window_.Session().CurrentLanguage() & 0xFFFF) == (id & 0xFFFF)) window_.SelectLanguage(0);
  window_.Run("remove", [&] { window_.Session().RemoveLanguage(id); });
  window_.AfterStructureChange();
}

void TOverviewPage::LanguageActivated() {
  QTreeWidgetItem* item = languages_->currentItem();
  if (!item) return;
  int id = item->data(0, kLanguageRole).toInt();
  if (id > 0) window_.SelectLanguage(id);
}

void TOverviewPage::TreeActivated(QTreeWidgetItem* item) {
  if (!item || window_.Session().CurrentLanguage() <= 0) return;
  if (item->parent() == formsRoot_)
    window_.SelectForm(window_.Ansi(Name(item)));
  else if (item->parent() == resourcesRoot_)
    window_.ShowTab(TTab::CustomResources);
}

void TOverviewPage::ShowPopup(QWidget* from, const QPoint& at) {
  from->setFocus(Qt::PopupFocusReason);
  lastFocused_ = from;
  if (from == tree_) {
    if (QTreeWidgetItem* item = tree_->itemAt(at)) tree_->setCurrentItem(item);
  } else if (QTreeWidgetItem* item = languages_->itemAt(at)) {
    languages_->setCurrentItem(item);
  }
  window_.UpdateCommands();
  popup_->exec(static_cast<QAbstractScrollArea*>(from)->viewport()->mapToGlobal(at));
}

}  // namespace kst::ui
