// The benchmarks' form of 500 components (see form_500.h).
#include "support/form_500.h"

#include "formmodel/form_conversion.h"

namespace kst::bench {

// 24 aligned panels, each with a label, two buttons, a check box, a group
// box with two radio buttons and a page control of three sheets with an edit
// and two labels each: 21 components a panel, 504 and the form.
std::string Form500Resource() {
  std::string text = "object Form1: TForm1\r\n  ClientWidth = 800\r\n  ClientHeight = 600\r\n"
                     "  PixelsPerInch = 120\r\n  TextHeight = 16\r\n";
  auto bounds = [](int l, int t, int w, int h) {
    return " Left = " + std::to_string(l) + " Top = " + std::to_string(t) + " Width = " + std::to_string(w) +
           " Height = " + std::to_string(h);
  };
  for (int p = 0; p < 24; ++p) {
    const std::string n = std::to_string(p);
    text += "  object Panel" + n + ": TPanel" + bounds(0, p * 30, 800, 30) + " Align = alTop Caption = 'Panel'\r\n";
    text += "    object Label" + n + ": TLabel" + bounds(8, 8, 60, 13) + " Caption = '&Name of item " + n + "' end\r\n";
    for (int b = 0; b < 2; ++b)
      text += "    object Button" + n + "_" + std::to_string(b) + ": TButton" + bounds(100 + 80 * b, 2, 75, 25) +
              " Caption = 'Run action " + n + "' end\r\n";
    text += "    object Check" + n + ": TCheckBox" + bounds(260, 6, 97, 17) + " Caption = 'Remember it' end\r\n";
    text += "    object Group" + n + ": TGroupBox" + bounds(360, 0, 185, 30) + " Caption = 'Options'\r\n";
    for (int r = 0; r < 2; ++r)
      text += "      object Radio" + n + "_" + std::to_string(r) + ": TRadioButton" + bounds(8 + 90 * r, 12, 80, 17) +
              " Caption = 'Choice " + std::to_string(r) + "' end\r\n";
    text += "    end\r\n    object Pages" + n + ": TPageControl" + bounds(550, 0, 240, 30) + "\r\n";
    for (int s = 0; s < 3; ++s) {
      const std::string m = n + "_" + std::to_string(s);
      text += "      object Sheet" + m + ": TTabSheet Caption = 'Sheet " + m + "'\r\n";
      text += "        object Edit" + m + ": TEdit" + bounds(4, 4, 100, 21) + " Text = 'x' end\r\n";
      for (int k = 0; k < 2; ++k)
        text += "        object Hint" + m + "_" + std::to_string(k) + ": TLabel" + bounds(110, 4 + 10 * k, 40, 13) +
                " Caption = 'Hint' end\r\n";
      text += "      end\r\n";
    }
    text += "    end\r\n  end\r\n";
  }
  return TextToResource(text + "end\r\n");
}

}  // namespace kst::bench
