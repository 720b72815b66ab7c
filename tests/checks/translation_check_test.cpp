// The check of a whole language: the walk over a project's entries, the
// clashes of siblings, the fixed-size captions and the untranslated counts,
// on a small form of its own and on the demo with seeded faults.
#include "checks/translation_check.h"

#include <gtest/gtest.h>

#include <set>

#include "../preview/fake_measure.h"
#include "seeded_demo.h"
#include "support/demo_session.h"
#include "support/scratch_project.h"

namespace kst {
namespace {

constexpr int kGerman = 0x0407;

// "id key" per finding (plus " ~ related" for a clash, " # reason" for a
// count), one a line.
std::string Listing(const TCheckReport& report) {
  std::string text;
  for (const TFinding& f : report.findings) {
    text += f.id + " " + f.key;
    if (!f.relatedKey.empty()) text += " ~ " + f.relatedKey;
    if (f.id == check_id::kUntranslated) text += " # " + f.reason;
    text += "\n";
  }
  return text;
}

const char* kSiblingsForm =
    "object Form1: TForm1\r\n"
    "  Caption = 'Main'\r\n"
    "  object mnuMain: TMainMenu\r\n"
    "    object mnuFile: TMenuItem\r\n      Caption = '&File'\r\n    end\r\n"
    "    object mnuFind: TMenuItem\r\n      Caption = '&Find'\r\n    end\r\n"
    "    object mnuEdit: TMenuItem\r\n      Caption = '&Edit'\r\n    end\r\n"
    "  end\r\n"
    "  object btnShort: TButton\r\n    Caption = 'OK'\r\n  end\r\n"
    "  object lblAuto: TLabel\r\n    Caption = 'Name'\r\n  end\r\n"
    "  object lblFixed: TLabel\r\n    AutoSize = False\r\n    Caption = 'Size'\r\n  end\r\n"
    "  object pnlTop: TPanel\r\n    Caption = 'Top'\r\n"
    "    object btnInner: TButton\r\n      Caption = '&Go'\r\n    end\r\n"
    "  end\r\n"
    "  object btnOuter: TButton\r\n    Caption = '&Run'\r\n  end\r\n"
    "  object lvFiles: TListView\r\n    Columns = <\r\n      item\r\n        Caption = 'Name'\r\n"
    "        Width = 50\r\n      end>\r\n  end\r\n"
    "end\r\n";

TEST(TranslationCheck, FindsClashesOfSiblingsAndLongCaptionsOfFixedControls) {
  test::TScratchProject p;
  p.Create();
  p.WriteForm("Main.dfm", kSiblingsForm);
  TTranslationSession session(p.project, nullptr, p.ui);
  session.OpenProject(p.Path("P.dpr"));
  p.project.AddLanguage(kGerman);
  session.SelectLanguage(kGerman);
  for (auto [key, text] : std::initializer_list<std::pair<const char*, const char*>>{
           {"Form1.Caption", "Hauptfenster des Programms"},  // a form's own class: not in the table
           {"mnuFile.Caption", "&Datei"},
           {"mnuFind.Caption", "&Dateien suchen"},  // F and F before: the clash is old
           {"mnuEdit.Caption", "&Dokument"},        // E before: a new clash with mnuFile
           {"btnShort.Caption", "Einverstanden"},
           {"lblAuto.Caption", "Vollst\xE4ndiger Name des Kunden"},
           {"lblFixed.Caption", "Gr\xF6\xDF\x65 der ausgew\xE4hlten Datei"},
           {"pnlTop.Caption", "Oberer Bereich der Seite"},
           {"btnInner.Caption", "&Los"},  // under the panel: no sibling of btnOuter
           {"btnOuter.Caption", "&Laufen"},
           {"lvFiles.Columns[0].Caption", "Name der Datei auf dem Datentr\xE4ger"}})
    session.SetTranslation(std::string("Main.dfm:") + key, text);

  EXPECT_EQ(Listing(CheckTranslations(session)),
            "untranslated @Texts_SBye # 3 resource strings are not translated yet\n"
            "accelerator-clash Main.dfm:mnuEdit.Caption ~ Main.dfm:mnuFile.Caption\n"
            "length Main.dfm:btnShort.Caption\n"
            "length Main.dfm:lblFixed.Caption\n"
            "length Main.dfm:pnlTop.Caption\n");
}

// With a measure the form decides: the ratio's guesses give way to the
// captions that do not fit, an AutoSize label among them, each with widths.
TEST(TranslationCheck, MeasuresCaptionsAgainstTheirControlsWhenGivenAMeasure) {
  test::TScratchProject p;
  p.Create();
  p.WriteForm("Main.dfm",
              "object Form1: TForm1\r\n  Width = 300\r\n  Height = 200\r\n"
              "  object btnShort: TButton\r\n    Left = 8\r\n    Width = 75\r\n    Caption = 'OK'\r\n  end\r\n"
              "  object btnWide: TButton\r\n    Left = 100\r\n    Width = 180\r\n    Caption = 'Go'\r\n  end\r\n"
              "  object lblFixed: TLabel\r\n    Top = 40\r\n    Width = 36\r\n    AutoSize = False\r\n"
              "    Caption = 'Size'\r\n  end\r\n"
              "end\r\n");
  TTranslationSession session(p.project, nullptr, p.ui);
  session.OpenProject(p.Path("P.dpr"));
  p.project.AddLanguage(kGerman);
  session.SelectLanguage(kGerman);
  session.SetTranslation("Main.dfm:btnShort.Caption", "Einverstanden mit allem");
  session.SetTranslation("Main.dfm:btnWide.Caption", "Einverstanden mit allem");  // the ratio's guess, but it fits
  // "&&" is drawn as one: 6 characters, 36 px, just fits.
  session.SetTranslation("Main.dfm:lblFixed.Caption", "Gr&&\xF6\xDF\x65");

  const test::TFixedAdvanceMeasure measure;
  std::string reasons;
  for (const TFinding& f : CheckTranslations(session, &measure).findings)
    if (f.id == check_id::kLength) reasons += f.key + ": " + f.reason + "\n";
  EXPECT_EQ(reasons,
            "Main.dfm:btnShort.Caption: The translation does not fit: it needs 138 px, the control gives 67 px\n");
}

TEST(TranslationCheck, FindsExactlyTheSeededFaultsOfTheDemo) {
  test::TDemoSession d;
  TTranslationSession& s = *d.session;
  s.OpenProject(d.Dpr());
  d.project.AddLanguage(kGerman);
  s.SelectLanguage(kGerman);
  test::SeedFaults(s);
  TCheckReport report = CheckTranslations(s);
  EXPECT_EQ(report.translationCodePage, 1252);
  EXPECT_EQ(Listing(report),
            "format @Texts_SFileNotFound\n"
            "ending-punctuation @Texts_SSaveChanges\n"
            "line-breaks @Texts_STwoLines\n"
            "untranslated @Consts_SMsgDlgCancel # 2 resource strings are not translated yet\n"
            "ending-punctuation #FileDescription\n"
            "accelerator Main.dfm:lblItems.Caption\n"
            "hint-separator Main.dfm:btnOpen.Hint\n"
            "length Main.dfm:btnOpen.Caption\n"
            "accelerator-clash Main.dfm:mnuFileExit.Caption ~ Main.dfm:mnuFileOpen.Caption\n"
            "filter Main.dfm:dlgOpen.Filter\n"
            "untranslated Main.dfm:frmMain.Font.Name # 11 texts of this form are not translated yet\n"
            "code-page About.dfm:lblCopyright.Caption\n"
            "untranslated About.dfm:frmAbout.Caption # 7 texts of this form are not translated yet\n"
            "trailing-blanks OPTIONS.DFM:chkAutoSave.Caption\n"
            "doubled-blanks OPTIONS.DFM:rgpStart.Caption\n"
            "leading-blanks OPTIONS.DFM:rgpStart.Items.Strings[0]\n"
            "untranslated OPTIONS.DFM:frmOptions.Caption # 6 texts of this form are not translated yet\n");

  // Every finding leads to its row: the session takes its key, and its
  // place names the entry.
  std::set<std::string> keys;
  s.ForEachEntry([&](const TSessionEntry& e) { keys.insert(e.key); });
  for (const TFinding& f : report.findings) {
    EXPECT_TRUE(keys.count(f.key)) << f.key;
    if (f.place == TEntryPlace::FormValue)
      EXPECT_NE(d.project.FindModule(f.form)->Root->FindProperty(f.path), nullptr) << f.key;
    else if (f.place == TEntryPlace::ResourceString)
      EXPECT_EQ("@" + f.path, f.key);
    else
      EXPECT_EQ("#" + f.path, f.key);
  }
}

}  // namespace
}  // namespace kst
