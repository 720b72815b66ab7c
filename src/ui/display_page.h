// The options dialog's "Fonts and Colors" page: the colour and font style of
// standard, highlighted and translated text in the translation grids, and
// the grids' font size. Colours and styles are written as they are chosen,
// into the settings transaction that "OK" commits; the font size is written
// by "OK".
#pragma once

#include <QAbstractButton>
#include <QWidget>

#include <string>
#include <vector>

#include "dictionary/display_settings.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QRadioButton;

namespace kst {
class TdatSettings;
}

namespace kst::ui {

class TQtInteraction;

// A colour in Windows' encoding as the screen shows it: a system colour as
// the palette's colour of the same role (window text as the text colour).
QColor ScreenColor(TColorValue color, const QPalette& palette);

// The 16 standard colours, 8 by 2, of which one (or none) is chosen.
class TColorGrid : public QWidget {
  Q_OBJECT

public:
  struct TColor {
    const char* name;
    TColorValue value;
  };
  static const std::vector<TColor>& Colors();

  explicit TColorGrid(QWidget* parent = nullptr);
  // The chosen cell, or -1.
  int Chosen() const;
  // Chooses the cell showing that colour; none when no cell shows it.
  void Show(TColorValue color);
  void Choose(int cell);
  QAbstractButton* Cell(int cell) const;

signals:
  // The person chose a cell.
  void CellChosen(int cell);

private:
  QButtonGroup* group_;
};

class TFontsColorsPage : public QWidget {
  Q_OBJECT

public:
  // `settings` is in its settings transaction; `userName` keys the values.
  TFontsColorsPage(TdatSettings& settings, std::string userName, TQtInteraction& interaction, QWidget* parent = nullptr);

  // The element shown, and showing one (as clicking it does).
  TDisplayElement Element() const;
  void ShowElement(TDisplayElement element);
  // The font size chosen (written by "OK").
  int FontSize() const;

  QListWidget* Elements() const { return elements_; }
  QRadioButton* SystemColor() const { return system_; }
  QRadioButton* SelectedColor() const { return selected_; }
  TColorGrid* Grid() const { return grid_; }
  QCheckBox* Bold() const { return bold_; }
  QCheckBox* Italic() const { return italic_; }
  QCheckBox* Underline() const { return underline_; }
  QComboBox* FontSizes() const { return fontSize_; }
  QLabel* Preview() const { return preview_; }

private:
  void WriteColor(TColorValue color);
  void WriteStyle();
  void UpdatePreview();

  TdatSettings& settings_;
  std::string user_;
  TQtInteraction& interaction_;
  // The element's colour as stored: shown in the preview when no cell of
  // the grid has it (a system colour other than window text, or a colour
  // set elsewhere), and kept unless the person chooses another.
  TColorValue color_ = kWindowTextColor;
  QListWidget* elements_;
  QRadioButton* system_;
  QRadioButton* selected_;
  TColorGrid* grid_;
  QCheckBox* bold_;
  QCheckBox* italic_;
  QCheckBox* underline_;
  QComboBox* fontSize_;
  QLabel* preview_;
};

}  // namespace kst::ui
