// The new language dialog.
#include "ui/new_language_dialog.h"

#include <QApplication>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <algorithm>

#include "config/language_info.h"
#include "ui/help_viewer.h"
#include "ui/qt_interaction.h"
#include "ui/ui_text.h"

namespace kst::ui {

namespace {

// The locale texts for the screen, whatever the system's code page lacks.
QString Locale(int languageId, int type) { return FromAnsi(LanguageInfoText(languageId, type, CP_UTF8), CP_UTF8); }

// Draws the part after the tab at the tab stop: 75 pixels before the right
// edge, or as far left as the widest identifier needs in the font shown.
class TTabStopDelegate : public QStyledItemDelegate {
public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    QString text = opt.text;
    opt.text.clear();
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    QRect r = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget).adjusted(2, 0, -2, 0);
    int tab = text.indexOf(QLatin1Char('\t'));
    QString name = tab < 0 ? text : text.left(tab);
    QString id = tab < 0 ? QString() : text.mid(tab + 1);
    int column = r.right() - TabColumnWidth(opt.fontMetrics);
    painter->save();
    painter->setPen(opt.palette.color(QPalette::Normal, (opt.state & QStyle::State_Selected) ? QPalette::HighlightedText
                                                                                              : QPalette::Text));
    QRect nameRect(r.left(), r.top(), std::max(0, column - r.left() - 6), r.height());
    painter->drawText(nameRect, Qt::AlignVCenter | Qt::AlignLeft,
                      opt.fontMetrics.elidedText(name.trimmed(), Qt::ElideRight, nameRect.width()));
    painter->drawText(QRect(column, r.top(), r.right() - column, r.height()), Qt::AlignVCenter | Qt::AlignLeft, id);
    painter->restore();
  }
  static int TabColumnWidth(const QFontMetrics& metrics) {
    return std::max(75, metrics.horizontalAdvance(QStringLiteral("[$WWWW] .WWW")) + 4);
  }
};

}  // namespace

QString NewLanguageItemText(int languageId) {
  // The locale's name may end in the blank before its "(" cut off.
  QString name = Locale(languageId, LOCALE_SLANGUAGE).trimmed();
  if (name.isEmpty()) return {};
  QString abbreviation = Locale(languageId, LOCALE_SABBREVLANGNAME);
  if (abbreviation.isEmpty()) return {};
  QString country;
  if (SubLanguage(languageId) != 0) country = QStringLiteral("(") + Locale(languageId, LOCALE_SCOUNTRY) + ")";
  return name + QLatin1Char(' ') + country + QStringLiteral("\t[$") +
         QStringLiteral("%1").arg(languageId, 4, 16, QLatin1Char('0')).toUpper() + QStringLiteral("] .") + abbreviation;
}

std::optional<int> ParseLanguageItem(const QString& text) {
  int start = text.indexOf(QLatin1String("[$"));
  if (start < 0) return std::nullopt;
  int end = text.indexOf(QLatin1Char(']'), start);
  if (end < 0) return std::nullopt;
  bool ok = false;
  int id = text.mid(start + 2, end - start - 2).toInt(&ok, 16);
  if (!ok || id <= 0 || id > 0xFFFF) return std::nullopt;
  return id;
}

TfrmNewLanguage::TfrmNewLanguage(QWidget* parent, THelpViewer* help, TQtInteraction& interaction,
                                 std::function<std::string(int)> refusal)
    : TfrmAbstractDialog(parent, help, kHelpNewLanguage, tr("Language"), QSize(513, 377)),
      interaction_(interaction),
      refusal_(std::move(refusal)) {
  ButtonsInColumn();
  list_ = new QListWidget(Body());
  list_->setObjectName(QStringLiteral("ctlLanguage"));
  list_->setItemDelegate(new TTabStopDelegate(list_));
  list_->setUniformItemSizes(true);
  auto* layout = new QVBoxLayout(Body());
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(list_);

  // The primary languages the dialog has always offered (1 to 255), each
  // with its sub-languages, sorted as a sorted list box sorts: without
  // regard to case.
  QStringList items;
  for (int id : KnownLanguageIds())
    if (PrimaryLanguage(id) >= 1 && PrimaryLanguage(id) <= 255) {
      QString text = NewLanguageItemText(id);
      if (!text.isEmpty()) items << text;
    }
  std::stable_sort(items.begin(), items.end(),
                   [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
  list_->addItems(items);

  OkButton()->setEnabled(false);
  connect(list_, &QListWidget::itemSelectionChanged, this,
          [this] { OkButton()->setEnabled(!list_->selectedItems().isEmpty()); });
  connect(list_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    list_->setCurrentItem(item);
    OkButton()->click();
  });
}

QListWidgetItem* TfrmNewLanguage::Item(int languageId) const {
  for (int i = 0; i < list_->count(); ++i)
    if (ParseLanguageItem(list_->item(i)->text()) == languageId) return list_->item(i);
  return nullptr;
}

void TfrmNewLanguage::accept() {
  QList<QListWidgetItem*> selected = list_->selectedItems();
  if (selected.isEmpty()) return;
  std::optional<int> id = ParseLanguageItem(selected.front()->text());
  if (!id) {
    interaction_.ShowError(tr("\"%1\" names no language identifier.").arg(selected.front()->text()));
    return;
  }
  // Refused here, while the person can still choose another one.
  std::string refusal = refusal_ ? refusal_(*id) : std::string();
  if (!refusal.empty()) {
    interaction_.ShowError(interaction_.Shown(refusal));
    return;
  }
  selected_ = *id;
  TfrmAbstractDialog::accept();
}

}  // namespace kst::ui
