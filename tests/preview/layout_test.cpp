// The layout of small forms as a table: each form's text (one component a
// line) and where the VCL puts its controls: "Left,Top,Width,Height", and
// " hidden" when the control is not shown.
#include "preview/form_layout.h"

#include <gtest/gtest.h>

#include <map>

#include "formmodel/form_reader.h"
#include "support/test_support.h"

namespace kst {
namespace {

std::string Place(const TControlLayout& c) {
  const TRect& b = c.Bounds;
  return std::to_string(b.Left) + "," + std::to_string(b.Top) + "," + std::to_string(b.Width) + "," +
         std::to_string(b.Height) + (c.Shown ? "" : " hidden");
}

struct TLayoutCase {
  const char* name;
  const char* form;  // the form's properties and components
  std::map<std::string, std::string> expected;
};

class Layout : public testing::TestWithParam<TLayoutCase> {};

TEST_P(Layout, PlacesControlsAsTheVclDoes) {
  auto root = ReadFormText(std::string("object Form1: TForm1 ") + GetParam().form + " end");
  TFormLayout layout(*root);
  for (const auto& [name, place] : GetParam().expected) {
    const TControlLayout* control = layout.FindByName(name);
    ASSERT_NE(control, nullptr) << name;
    EXPECT_EQ(Place(*control), place) << name;
  }
}

// alTop controls stack by their Top, not by their place in the file.
constexpr const char* kAlignedStack = R"(ClientWidth = 300 ClientHeight = 200
  object pnlSecond: TPanel Top = 30 Height = 20 Width = 10 Align = alTop end
  object pnlFirst: TPanel Top = 0 Height = 30 Width = 10 Align = alTop end
  object pnlBottom: TPanel Top = 150 Height = 25 Width = 10 Align = alBottom end
  object pnlLeft: TPanel Width = 50 Height = 10 Align = alLeft
    object lblTitle: TLabel Width = 20 Height = 13 Align = alTop end end
  object pnlClient: TPanel Width = 10 Height = 10 Align = alClient BevelOuter = bvNone BorderWidth = 3
    object btnOK: TButton Left = 8 Top = 8 Width = 75 Height = 25 end
    object memNotes: TMemo Width = 10 Height = 10 Align = alClient end end)";

constexpr const char* kHidden = R"(ClientWidth = 200 ClientHeight = 100
  object pnlGone: TPanel Left = 0 Top = 0 Width = 185 Height = 20 Align = alTop Visible = False
    object btnInside: TButton Left = 4 Top = 4 Width = 40 Height = 12 end end
  object pnlStays: TPanel Top = 20 Width = 10 Height = 30 Align = alTop end
  object stbMain: TStatusBar Width = 10 Height = 19 end)";

constexpr const char* kPages = R"(ClientWidth = 400 ClientHeight = 300
  object pgcMain: TPageControl Left = 8 Top = 8 Width = 289 Height = 193 ActivePage = tshTwo
    object tshOne: TTabSheet Caption = 'One' end
    object tshTwo: TTabSheet Caption = 'Two'
      object btnTwo: TButton Left = 8 Top = 8 Width = 75 Height = 25 end end
    object tshThree: TTabSheet Caption = 'Three'
      object btnThree: TButton Left = 8 Top = 8 Width = 75 Height = 25 end end end)";

// Designed with large fonts: TextHeight 16 is 13 at 96 dpi, every edge times 13/16.
constexpr const char* kLargeFonts = R"(ClientWidth = 500 ClientHeight = 375 Font.Height = -13
  PixelsPerInch = 120 TextHeight = 16
  object btnOK: TButton Left = 10 Top = 20 Width = 94 Height = 31 end)";
constexpr const char* kNotScaled = R"(ClientWidth = 500 ClientHeight = 375 PixelsPerInch = 120 Scaled = False
  TextHeight = 16 object btnOK: TButton Left = 10 Top = 20 Width = 94 Height = 31 end)";

// Width and Height are the window's: the sizeable frame (4 all round), the
// caption bar (19) and the menu bar (19) come off.
constexpr const char* kWindowSize = R"(Width = 480 Height = 360 Menu = mnuMain
  object pnlAll: TPanel Width = 10 Height = 10 Align = alClient end
  object mnuMain: TMainMenu Left = 400 Top = 200 end)";

constexpr const char* kGroupBox = R"(ClientWidth = 300 ClientHeight = 200
  object grpOptions: TGroupBox Left = 10 Top = 10 Width = 185 Height = 105
    object rbAll: TRadioButton Left = 8 Top = 16 Width = 113 Height = 17 end
    object lstFill: TListBox Width = 10 Height = 10 Align = alClient end end
  object sbxMore: TScrollBox Left = 200 Top = 10 Width = 90 Height = 90
    object btnIn: TButton Left = 0 Top = 0 Width = 20 Height = 20 end end)";

INSTANTIATE_TEST_SUITE_P(
    Forms, Layout,
    testing::Values(
        TLayoutCase{"aligned_stack",
                    kAlignedStack,
                    {{"pnlFirst", "0,0,300,30"}, {"pnlSecond", "0,30,300,20"}, {"pnlBottom", "0,175,300,25"},
                     {"pnlLeft", "0,50,50,125"}, {"pnlClient", "50,50,250,125"},
                     {"lblTitle", "1,51,48,13"},    // inside the raised bevel
                     {"btnOK", "58,58,75,25"},      // Left and Top count from the panel, not its border
                     {"memNotes", "53,53,244,119"}}},  // inside BorderWidth
        TLayoutCase{"hidden_takes_no_room",
                    kHidden,
                    {{"pnlGone", "0,0,185,20 hidden"}, {"btnInside", "4,4,40,12 hidden"}, {"pnlStays", "0,0,200,30"},
                     {"stbMain", "0,81,200,19"}}},  // a status bar aligns to the bottom by itself
        TLayoutCase{"page_control",
                    kPages,
                    {{"tshOne", "12,32,281,165 hidden"}, {"tshTwo", "12,32,281,165"}, {"btnTwo", "20,40,75,25"},
                     {"btnThree", "20,40,75,25 hidden"}}},
        TLayoutCase{"large_fonts_scaled", kLargeFonts, {{"Form1", "0,0,406,305"}, {"btnOK", "8,16,77,25"}}},
        TLayoutCase{"large_fonts_not_scaled", kNotScaled, {{"Form1", "0,0,500,375"}, {"btnOK", "10,20,94,31"}}},
        TLayoutCase{"window_size", kWindowSize, {{"Form1", "0,0,472,314"}, {"pnlAll", "0,0,472,314"}}},
        TLayoutCase{"group_and_scroll_box",
                    kGroupBox,
                    {{"rbAll", "18,26,113,17"}, {"lstFill", "12,25,181,88"}, {"btnIn", "202,12,20,20"}}}),
    test::TCaseName());

std::string Describe(const TFontSpec& f) {
  return f.Name + " " + std::to_string(f.PixelHeight) + (f.Bold ? " bold" : "") + (f.Italic ? " italic" : "") +
         (f.StrikeOut ? " strikeout" : "") + " " + std::to_string(f.Charset);
}

TEST(Layout, FontsFollowParentFontAndScaling) {
  auto root = ReadFormText(R"(object Form1: TForm1 Font.Charset = ANSI_CHARSET Font.Height = -12 Font.Name = 'Arial'
  object pnlPlain: TPanel Width = 100 Height = 100
    object lblBold: TLabel Width = 10 Height = 10 Font.Charset = EASTEUROPE_CHARSET Font.Height = -13
      Font.Name = 'Courier New' Font.Style = [fsBold, fsStrikeOut] ParentFont = False end end
  object grpOwn: TGroupBox Width = 100 Height = 100 Font.Size = 9 Font.Name = 'Tahoma'
    Font.Style = [fsItalic] ParentFont = False
    object btnInherits: TButton Width = 10 Height = 10 end
    object chkSaysSo: TCheckBox Width = 10 Height = 10 ParentFont = True end end end)");
  TFormLayout layout(*root);
  const std::map<std::string, std::string> expected = {
      {"pnlPlain", "Arial 12 0"},
      {"lblBold", "Courier New 13 bold strikeout 238"},
      {"btnInherits", "Tahoma 12 italic 1"},  // 9 points at 96 dpi
      {"chkSaysSo", "Tahoma 12 italic 1"},
  };
  for (const auto& [name, font] : expected) EXPECT_EQ(Describe(layout.FindByName(name)->Font), font) << name;

  // Large fonts: the form's font goes by the resolution (-13 * 96/120), an
  // own font by the text heights in whole points (12 * 13/16 is 10: 13 pixels).
  root = ReadFormText(R"(object Form1: TForm1 Font.Height = -13 PixelsPerInch = 120 TextHeight = 16
    object lblOwn: TLabel Width = 10 Height = 10 Font.Height = -16 ParentFont = False end end)");
  TFormLayout scaled(*root);
  EXPECT_EQ(scaled.FindByName("Form1")->Font.PixelHeight, 10);
  EXPECT_EQ(scaled.FindByName("lblOwn")->Font.PixelHeight, 13);
}

}  // namespace
}  // namespace kst
