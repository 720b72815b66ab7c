// The resource-string grid and its dictionary marks.
#include "ui/resource_strings_page.h"

#include <QAction>
#include <QTableView>

#include "ui/grid_model.h"
#include "ui/main_window.h"
#include "ui/resource_string_model.h"
#include "ui/translation_grid.h"

namespace kst::ui {

TResourceStringsPage::TResourceStringsPage(TfrmLexibox& window, TSpellChecker* spell)
    : TGridPage(window, new TResourceStringModel(window), spell,
                TGridPageSetup{"sheetResourceStrings", "ctlDRC", {{0, 60}}, {3, 4}, 5}),
      model_(static_cast<TResourceStringModel*>(Grid()->Model())) {
  connect(Grid()->View(), &QTableView::pressed, this, [this](const QModelIndex& index) {
    if (index.column() == TResourceStringModel::kDictColumn) model_->ToggleFromDictionary(index.row());
  });
  auto* toggle = new QAction(tr("Taken from the Dictionary"), this);
  toggle->setObjectName(QStringLiteral("actToggleDictionary"));
  toggle->setShortcut(QKeySequence(Qt::ControlModifier | Qt::Key_D));
  connect(toggle, &QAction::triggered, this, [this] {
    Grid()->CommitEdit();
    model_->ToggleFromDictionary(Grid()->CurrentRow());
  });
  Grid()->AddGridAction(toggle);
}

}  // namespace kst::ui
