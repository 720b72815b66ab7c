// The fonts and colours page.
#include "ui/display_page.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QRadioButton>
#include <QVBoxLayout>

#include "dictionary/settings.h"
#include "ui/qt_interaction.h"

namespace kst::ui {

QColor ScreenColor(TColorValue color, const QPalette& palette) {
  if (!IsSystemColor(color)) return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
  // Windows' system colour numbers, as the desktop's palette has them.
  switch (SystemColorIndex(color)) {
    case 4: return palette.color(QPalette::Window);              // menu
    case 5: return palette.color(QPalette::Base);                // window
    case 13: return palette.color(QPalette::Highlight);          // highlight
    case 14: return palette.color(QPalette::HighlightedText);    // highlight text
    case 15: return palette.color(QPalette::Button);             // button face
    case 16: return palette.color(QPalette::Dark);               // button shadow
    case 17: return palette.color(QPalette::Disabled, QPalette::Text);  // grey text
    case 18: return palette.color(QPalette::ButtonText);         // button text
    case 20: return palette.color(QPalette::Light);              // button highlight
    case 21: return palette.color(QPalette::Shadow);             // 3D dark shadow
    case 22: return palette.color(QPalette::Midlight);           // 3D light
    case 23: return palette.color(QPalette::ToolTipText);        // info text
    case 24: return palette.color(QPalette::ToolTipBase);        // info background
    default: return palette.color(QPalette::Text);               // window text and the rest
  }
}

namespace {

// One cell of the colour grid: the colour, framed when chosen.
class TColorCell : public QAbstractButton {
public:
  TColorCell(const QColor& color, QWidget* parent) : QAbstractButton(parent), color_(color) {
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
  }
  QSize sizeHint() const override { return {26, 22}; }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    QRect r = rect();
    if (isChecked()) {
      p.fillRect(r, palette().color(QPalette::WindowText));
      p.fillRect(r.adjusted(2, 2, -2, -2), palette().color(QPalette::Base));
    }
    p.fillRect(r.adjusted(4, 4, -4, -4), color_);
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(r.adjusted(4, 4, -5, -5));
    if (hasFocus()) {
      QPen pen(palette().color(QPalette::Highlight), 1, Qt::DotLine);
      p.setPen(pen);
      p.drawRect(r.adjusted(1, 1, -2, -2));
    }
  }

private:
  QColor color_;
};

}  // namespace

const std::vector<TColorGrid::TColor>& TColorGrid::Colors() {
  // The 16 colours of the standard colour grid, in its order.
  static const std::vector<TColor> colors = {
      {"Black", 0x000000},  {"Maroon", 0x000080}, {"Green", 0x008000}, {"Olive", 0x008080},
      {"Navy", 0x800000},   {"Purple", 0x800080}, {"Teal", 0x808000},  {"Gray", 0x808080},
      {"Silver", 0xC0C0C0}, {"Red", 0x0000FF},    {"Lime", 0x00FF00},  {"Yellow", 0x00FFFF},
      {"Blue", 0xFF0000},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0xFFFF00}, {"White", 0xFFFFFF},
  };
  return colors;
}

TColorGrid::TColorGrid(QWidget* parent) : QWidget(parent), group_(new QButtonGroup(this)) {
  setObjectName(QStringLiteral("ctlFontColor"));
  group_->setExclusive(true);
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(0);
  const auto& colors = Colors();
  for (size_t i = 0; i < colors.size(); ++i) {
    auto* cell = new TColorCell(ScreenColor(colors[i].value, palette()), this);
    QString name = tr(colors[i].name);
    cell->setObjectName(QStringLiteral("color") + QString::fromLatin1(colors[i].name));
    cell->setToolTip(name);
    cell->setAccessibleName(name);
    group_->addButton(cell, static_cast<int>(i));
    grid->addWidget(cell, static_cast<int>(i / 8), static_cast<int>(i % 8));
  }
  connect(group_, &QButtonGroup::idClicked, this, &TColorGrid::CellChosen);
}

int TColorGrid::Chosen() const { return group_->checkedId(); }

void TColorGrid::Show(TColorValue color) {
  const auto& colors = Colors();
  for (size_t i = 0; i < colors.size(); ++i)
    if (colors[i].value == color) {
      Choose(static_cast<int>(i));
      return;
    }
  Choose(-1);
}

void TColorGrid::Choose(int cell) {
  if (cell < 0) {
    // An exclusive group keeps one button checked; none is chosen here.
    group_->setExclusive(false);
    for (QAbstractButton* b : group_->buttons()) b->setChecked(false);
    group_->setExclusive(true);
    return;
  }
  if (QAbstractButton* b = group_->button(cell)) b->setChecked(true);
}

QAbstractButton* TColorGrid::Cell(int cell) const { return group_->button(cell); }

TFontsColorsPage::TFontsColorsPage(TdatSettings& settings, std::string userName, TQtInteraction& interaction,
                                   QWidget* parent)
    : QWidget(parent), settings_(settings), user_(std::move(userName)), interaction_(interaction) {
  elements_ = new QListWidget(this);
  elements_->setObjectName(QStringLiteral("ElementType"));
  elements_->addItems({tr("Standard Text"), tr("Highlighted Text"), tr("Translated Text")});
  elements_->setFixedWidth(elements_->sizeHintForColumn(0) + 2 * elements_->frameWidth() + 24);
  elements_->setFixedHeight(3 * elements_->sizeHintForRow(0) + 2 * elements_->frameWidth() + 8);
  elements_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  auto* colorBox = new QGroupBox(tr("Color"), this);
  system_ = new QRadioButton(tr("System"), colorBox);
  system_->setObjectName(QStringLiteral("SystemFontColor"));
  selected_ = new QRadioButton(tr("Selected"), colorBox);
  selected_->setObjectName(QStringLiteral("SelectedFontColor"));
  grid_ = new TColorGrid(colorBox);
  auto* colorLayout = new QGridLayout(colorBox);
  colorLayout->addWidget(system_, 0, 0);
  colorLayout->addWidget(selected_, 1, 0);
  colorLayout->addWidget(grid_, 0, 1, 2, 1, Qt::AlignLeft | Qt::AlignVCenter);
  colorLayout->setColumnStretch(2, 1);

  auto* attributes = new QGroupBox(tr("Attributes"), this);
  bold_ = new QCheckBox(tr("Bold"), attributes);
  bold_->setObjectName(QStringLiteral("FontStyleBold"));
  italic_ = new QCheckBox(tr("Italic"), attributes);
  italic_->setObjectName(QStringLiteral("FontStyleItalic"));
  underline_ = new QCheckBox(tr("Underline"), attributes);
  underline_->setObjectName(QStringLiteral("FontStyleUnderline"));
  auto* attributeLayout = new QHBoxLayout(attributes);
  attributeLayout->addWidget(bold_);
  attributeLayout->addWidget(italic_);
  attributeLayout->addWidget(underline_);
  attributeLayout->addStretch(1);

  auto* sizeBox = new QGroupBox(tr("Grid Font Size"), this);
  fontSize_ = new QComboBox(sizeBox);
  fontSize_->setObjectName(QStringLiteral("GridFontSize"));
  for (int size = kMinGridFontSize; size <= kMaxGridFontSize; ++size) fontSize_->addItem(QString::number(size));
  auto* sizeLayout = new QHBoxLayout(sizeBox);
  sizeLayout->addWidget(fontSize_);
  sizeLayout->addStretch(1);

  auto* previewLabel = new QLabel(tr("Preview:"), this);
  preview_ = new QLabel(QStringLiteral("FontPreview"), this);
  preview_->setObjectName(QStringLiteral("FontPreview"));
  preview_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  preview_->setAlignment(Qt::AlignCenter);
  // Room for the largest grid font, so that the preview never jumps.
  QFont largest = font();
  largest.setPointSize(kMaxGridFontSize);
  preview_->setFixedHeight(QFontMetrics(largest).height() * 2);
  // The grids draw on the window background; so does the preview.
  preview_->setAutoFillBackground(true);
  preview_->setBackgroundRole(QPalette::Base);

  auto* right = new QGridLayout;
  right->addWidget(colorBox, 0, 0, 1, 2);
  right->addWidget(attributes, 1, 0);
  right->addWidget(sizeBox, 1, 1);
  right->addWidget(previewLabel, 2, 0, 1, 2);
  right->addWidget(preview_, 3, 0, 1, 2);
  right->setRowStretch(4, 1);
  right->setColumnStretch(0, 1);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(elements_, 0, Qt::AlignTop);
  layout->addLayout(right, 1);

  setTabOrder(elements_, system_);
  setTabOrder(system_, selected_);
  setTabOrder(selected_, grid_->Cell(0));
  for (int i = 1; i < static_cast<int>(TColorGrid::Colors().size()); ++i) setTabOrder(grid_->Cell(i - 1), grid_->Cell(i));
  setTabOrder(grid_->Cell(static_cast<int>(TColorGrid::Colors().size()) - 1), bold_);
  setTabOrder(bold_, italic_);
  setTabOrder(italic_, underline_);
  setTabOrder(underline_, fontSize_);

  // The first element is shown with its stored colour and styles, so that
  // the first click on a style box writes the styles it shows.
  TDisplaySettings stored = kst::ReloadDisplaySettings(settings_, user_);
  fontSize_->setCurrentIndex(stored.fontSize - kMinGridFontSize);
  elements_->setCurrentRow(0);
  ShowElement(TDisplayElement::StandardText);

  connect(elements_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0) ShowElement(static_cast<TDisplayElement>(row));
  });
  connect(grid_, &TColorGrid::CellChosen, this, [this](int cell) {
    {
      QSignalBlocker block(selected_);
      selected_->setChecked(true);
    }
    WriteColor(TColorGrid::Colors()[static_cast<size_t>(cell)].value);
  });
  connect(selected_, &QRadioButton::toggled, this, [this](bool on) {
    if (!on) return;
    if (grid_->Chosen() < 0) grid_->Choose(0);
    WriteColor(TColorGrid::Colors()[static_cast<size_t>(grid_->Chosen())].value);
  });
  connect(system_, &QRadioButton::toggled, this, [this](bool on) {
    if (on) WriteColor(kWindowTextColor);
  });
  for (QCheckBox* box : {bold_, italic_, underline_}) connect(box, &QCheckBox::toggled, this, [this] { WriteStyle(); });
  connect(fontSize_, &QComboBox::currentIndexChanged, this, [this] { UpdatePreview(); });
}

TDisplayElement TFontsColorsPage::Element() const {
  return static_cast<TDisplayElement>(std::max(0, elements_->currentRow()));
}

int TFontsColorsPage::FontSize() const { return fontSize_->currentIndex() + kMinGridFontSize; }

void TFontsColorsPage::ShowElement(TDisplayElement element) {
  TDisplaySettings stored;
  try {
    stored = kst::ReloadDisplaySettings(settings_, user_);
  } catch (const std::exception& e) {
    interaction_.ShowError(interaction_.Shown(e.what()));
  }
  const TTextDisplay& shown = element == TDisplayElement::StandardText  ? stored.standard
                              : element == TDisplayElement::HiLiText    ? stored.highlighted
                                                                        : stored.translated;
  {
    const QSignalBlocker blocks[] = {QSignalBlocker(elements_), QSignalBlocker(system_), QSignalBlocker(selected_),
                                     QSignalBlocker(bold_),     QSignalBlocker(italic_), QSignalBlocker(underline_)};
    elements_->setCurrentRow(static_cast<int>(element));
    color_ = shown.color;
    if (shown.color == kWindowTextColor) {
      system_->setChecked(true);
      grid_->Choose(-1);
    } else {
      selected_->setChecked(true);
      grid_->Show(shown.color);
    }
    bold_->setChecked(shown.style.bold);
    italic_->setChecked(shown.style.italic);
    underline_->setChecked(shown.style.underline);
  }
  UpdatePreview();
}

void TFontsColorsPage::WriteColor(TColorValue color) {
  color_ = color;
  try {
    WriteTextColor(settings_, user_, Element(), color);
  } catch (const std::exception& e) {
    interaction_.ShowError(interaction_.Shown(e.what()));
  }
  UpdatePreview();
}

void TFontsColorsPage::WriteStyle() {
  try {
    WriteTextStyle(settings_, user_, Element(), TFontStyles{bold_->isChecked(), italic_->isChecked(), underline_->isChecked()});
  } catch (const std::exception& e) {
    interaction_.ShowError(interaction_.Shown(e.what()));
  }
  UpdatePreview();
}

void TFontsColorsPage::UpdatePreview() {
  QFont font = this->font();
  font.setPointSize(FontSize());
  font.setBold(bold_->isChecked());
  font.setItalic(italic_->isChecked());
  font.setUnderline(underline_->isChecked());
  preview_->setFont(font);
  QPalette palette = preview_->palette();
  QColor color = system_->isChecked() ? this->palette().color(QPalette::Text) : ScreenColor(color_, this->palette());
  palette.setColor(QPalette::WindowText, color);
  palette.setColor(QPalette::Text, color);
  preview_->setPalette(palette);
}

}  // namespace kst::ui
