// The fit check on small forms: each case a form, the key of one text, the
// translation to try (none: the original) and what must come out. The fake
// measure gives every character 6 pixels.
#include "preview/fit_check.h"

#include <gtest/gtest.h>

#include "fake_measure.h"
#include "formmodel/form_reader.h"
#include "support/test_support.h"

namespace kst {
namespace {

TEST(FitCheck, AcceleratorsAreResolvedAsDrawn) {
  const std::pair<const char*, const char*> cases[] = {
      {"&Open", "Open"}, {"Save && Close", "Save & Close"}, {"A&&&B", "A&B"}, {"End&", "End"}, {"&&", "&"}, {"", ""}};
  for (const auto& [caption, drawn] : cases) EXPECT_EQ(StripAccelerators(caption), drawn) << caption;
}

struct TFitCase {
  const char* name;
  const char* controls;  // the form's children, in form text
  const char* key;
  const char* translation;  // nullptr: the original is checked
  int needed;
  int room;
  bool fits;
};

class Fit : public testing::TestWithParam<TFitCase> {};

TEST_P(Fit, ComparesTheDrawnTextWithItsRoom) {
  const TFitCase& c = GetParam();
  auto root =
      ReadFormText(std::string("object Form1: TForm1 ClientWidth = 300 ClientHeight = 200 ") + c.controls + " end");
  if (c.translation) root->FindProperty(c.key)->SetTranslatedValue(c.translation);
  TFormLayout layout(*root);
  test::TFixedAdvanceMeasure measure;
  const auto fits = CheckFit(layout, measure, c.translation ? TFitText::Translated : TFitText::Original);
  const TTextFit* fit = nullptr;
  for (const TTextFit& f : fits)
    if (f.Key == c.key) fit = &f;
  ASSERT_NE(fit, nullptr) << c.key;
  EXPECT_EQ(fit->Needed, c.needed);
  EXPECT_EQ(fit->Room, c.room);
  EXPECT_EQ(fit->Fits, c.fits);
}

constexpr const char* kButton = "object btnSave: TButton Left = 8 Top = 8 Width = 75 Height = 25 Caption = '&Save' end";
constexpr const char* kLabel = "object lblName: TLabel Left = 8 Top = 8 Width = 30 Height = 13 Caption = 'Name' end";
constexpr const char* kFixedLabel =
    "object lblName: TLabel Left = 8 Top = 8 Width = 30 Height = 13 AutoSize = False Caption = 'Name' end";
constexpr const char* kAlignedLabel = "object lblName: TLabel Width = 30 Height = 13 Align = alLeft Caption = 'N' end";
constexpr const char* kWrappedLabel =
    "object lblNote: TLabel Left = 8 Top = 8 Width = 60 Height = 26 AutoSize = False WordWrap = True Caption = 'N' end";
constexpr const char* kGrowingWrappedLabel =
    "object lblNote: TLabel Left = 8 Top = 8 Width = 60 Height = 13 WordWrap = True Caption = 'N' end";
constexpr const char* kCheckBox =
    "object chkRemember: TCheckBox Left = 8 Top = 8 Width = 97 Height = 17 Caption = 'Remember me' end";
constexpr const char* kPages = R"(object pgcMain: TPageControl Width = 200 Height = 100
  object tshOne: TTabSheet Caption = 'One' end object tshTwo: TTabSheet Caption = 'Two' end
  object tshThree: TTabSheet Caption = 'Three' end end)";
constexpr const char* kGrid = R"(object grdCustomers: TDBGrid Width = 200 Height = 100
  Columns = < item FieldName = 'ID' Title.Caption = 'Customer' Width = 64 end> end)";
// Glyph.Data: the size, "BM" and the rest of the file header, then an info
// header 32 pixels wide holding two glyphs of 16.
constexpr const char* kSpeedButton = R"(object btnCopy: TSpeedButton Width = 100 Height = 22 Caption = 'Copy'
  NumGlyphs = 2 Glyph.Data = {00000000 424D 000000000000000000000000 28000000 20000000} end)";
constexpr const char* kUnnamed = "object TPanel Width = 60 Height = 40 Caption = 'Status' end";

INSTANTIATE_TEST_SUITE_P(
    Forms, Fit,
    testing::Values(
        // 75 less 4 + 4 for the button's edges leaves 67.
        TFitCase{"button_english", kButton, "btnSave.Caption", nullptr, 24, 67, true},
        TFitCase{"button_german_too_long", kButton, "btnSave.Caption", "Einstellungen &speichern", 138, 67, false},
        // An AutoSize label grows up to the form's edge (300 - 8).
        TFitCase{"autosize_label_grows", kLabel, "lblName.Caption", "Vollst\xE4ndiger Name", 108, 292, true},
        TFitCase{"fixed_label", kFixedLabel, "lblName.Caption", "Vollst\xE4ndiger Name", 108, 30, false},
        TFitCase{"aligned_label_does_not_grow", kAlignedLabel, "lblName.Caption", "Kundenname", 60, 30, false},
        // "Eine kurze" / "Bemerkung" / "dazu": three lines of 13 in 26.
        TFitCase{"wrapped_label_lines", kWrappedLabel, "lblNote.Caption", "Eine kurze Bemerkung dazu", 39, 26, false},
        TFitCase{"wrapped_label_fits", kWrappedLabel, "lblNote.Caption", "Kurz und gut", 26, 26, true},
        // It grows downwards, never wider: a word past its width is cut.
        TFitCase{"wrapped_label_long_word", kGrowingWrappedLabel, "lblNote.Caption", "Donaudampfschiff", 96, 60, false},
        // The glyph and its gap take 17, the focus rectangle 1.
        TFitCase{"check_box", kCheckBox, "chkRemember.Caption", "Angemeldet bleiben", 108, 79, false},
        // The row is 192 wide; the other tabs take 30 each, this one's padding 12.
        TFitCase{"tab_fits", kPages, "tshThree.Caption", nullptr, 30, 120, true},
        TFitCase{"tab_longer_still_fits", kPages, "tshThree.Caption", "Erweiterte Optionen", 114, 120, true},
        TFitCase{"tab_row_full", kPages, "tshThree.Caption", "Erweiterte Einstellungen", 144, 120, false},
        TFitCase{"grid_title", kGrid, "grdCustomers.Columns[0].Title.Caption", "Kundennummer", 72, 60, false},
        // 100 less the edges (8), the glyph (16) and its spacing (4).
        TFitCase{"speed_button_glyph", kSpeedButton, "btnCopy.Caption", "In Ablage tun", 78, 72, false},
        // An unnamed panel is keyed by its place, as the translation files key it.
        TFitCase{"unnamed_panel", kUnnamed, "Form1{0}.Caption", nullptr, 36, 56, true}),
    test::TCaseName());

// A translation may widen a control as well as change its text: the room
// comes from the form as the module carries it. After a commit the window
// checks one control alone.
TEST(FitCheck, TheTranslatedFormGivesTheRoomAndOneControlIsCheckedAlone) {
  auto root = ReadFormText(std::string("object Form1: TForm1 ClientWidth = 300 ClientHeight = 200 ") + kButton + " " +
                           kCheckBox + " end");
  root->FindProperty("btnSave.Caption")->SetTranslatedValue("&Speichern unter");  // 14 of 6 pixels
  root->FindProperty("btnSave.Width")->SetTranslatedValue("100");
  test::TFixedAdvanceMeasure measure;
  auto fitOf = [](const std::vector<TTextFit>& fits, const std::string& key) {
    for (const TTextFit& f : fits)
      if (f.Key == key) return f;
    ADD_FAILURE() << "no " << key;
    return TTextFit{};
  };
  const TFormLayout designed(*root);
  EXPECT_EQ(fitOf(CheckFit(designed, measure, TFitText::Translated), "btnSave.Caption").Room, 67);
  const TFormLayout translated(*root, nullptr, TFitText::Translated);
  const TTextFit fit = fitOf(CheckFit(translated, measure, TFitText::Translated), "btnSave.Caption");
  EXPECT_EQ(fit.Room, 92);
  EXPECT_TRUE(fit.Fits);

  const TComponentHelper* button = root->FindComponentByName("btnSave");
  const auto alone = CheckFit(translated, measure, TFitText::Translated, button);
  ASSERT_EQ(alone.size(), 1u);
  EXPECT_EQ(alone[0].Key, "btnSave.Caption");
}

}  // namespace
}  // namespace kst
