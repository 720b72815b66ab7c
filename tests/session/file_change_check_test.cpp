// The file-change check on the demo project and on a compiled module: what
// is asked, what is read again and kept, and that the language, the form
// and the guard come back whatever happens.
#include "session/file_change_check.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "formmodel/form_conversion.h"
#include "formmodel/form_errors.h"
#include "formmodel/user_defined.h"
#include "support/demo_session.h"
#include "support/pe_builder.h"

namespace kst {
namespace {

using test::kGerman;

// Time stamps are moved, so that no test waits for the clock.
void Stamp(const std::string& file, int hours) {
  std::filesystem::last_write_time(file, std::filesystem::file_time_type::clock::now() + std::chrono::hours(hours));
}

std::string Question(const std::string& name) {
  return "The file " + name + " has been changed. Do you want to load the new version?";
}

// Can do something while a question is open, as the window's event loop can.
class TScriptedInteraction : public TRecordingInteraction {
public:
  std::function<void()> whileAsking;
  TAnswer Ask(const std::string& text, TButtons buttons) override {
    if (whileAsking) whileAsking();
    return TRecordingInteraction::Ask(text, buttons);
  }
};

class FileChangeCheck : public testing::Test {
protected:
  test::TDemoSession d;
  TScriptedInteraction ui;
  TTranslationSession s{d.project, nullptr, ui};
  TFileChangeCheck check{s};
  const std::string mainForm = d.dir.File("project/Main.dfm");

  void SetUp() override {
    test::WriteFile(d.dir.File("project/Demo.TRI"),
                    "[Kestrin.Translator.UserDefinedProperties]\r\nk=Main.dfm;frmMain;HelpFile;ptString\r\n");
    s.OpenProject(d.Dpr());
    s.SelectLanguage(kGerman);
    s.SelectForm(d.Form("Main.dfm"));
    s.SetTranslation("Main.dfm:btnOpen.Caption", "\xD6" "ffnen");  // not stored yet
    AddUserDefinedProperty(*d.Form("Main.dfm")->Root, "frmMain", "HelpKeyword", ptString);  // not saved yet
  }
  void ChangeMainForm(const std::string& caption, int hours) {
    std::string text = ReadFileBytes(test::DemoDir() + "/forms/Main.txt");
    test::WriteFile(mainForm, TextToResource(text.replace(text.find("'Kestrin Demo'"), 14, "'" + caption + "'")));
    Stamp(mainForm, hours);
  }
  std::string MainQuestion() const { return Question(d.project.Modules[0].Name); }
  const std::string& MainCaption() { return d.Value("Main.dfm", "frmMain.Caption").OriginalValue; }
  // The language and the form are selected again, and no command is left running.
  void ExpectComeBack() {
    EXPECT_EQ(s.CurrentLanguage(), kGerman);
    EXPECT_EQ(s.CurrentForm(), d.Form("Main.dfm"));
    EXPECT_FALSE(s.CommandRunning());
  }
};

TEST_F(FileChangeCheck, NoKeepsTheOldVersionAndYesStoresReadsAgainAndComesBack) {
  EXPECT_FALSE(check.AnyFileChanged());
  EXPECT_FALSE(check.CheckForChangedFiles());
  ChangeMainForm("First change", 1);
  ChangeMainForm("Second change", 2);  // saved twice between two checks: one question
  // AnyFileChanged, asked on every tick of the window, neither asks nor takes the stamp.
  EXPECT_TRUE(check.AnyFileChanged());
  EXPECT_TRUE(check.AnyFileChanged());
  EXPECT_TRUE(ui.questions.empty());
  ui.answers = {TAnswer::No};
  EXPECT_FALSE(check.CheckForChangedFiles());
  EXPECT_EQ(MainCaption(), "Kestrin Demo");
  EXPECT_FALSE(check.AnyFileChanged()) << "No took the new stamp";
  EXPECT_FALSE(check.CheckForChangedFiles());
  EXPECT_EQ(ui.questions, std::vector<std::string>{MainQuestion()});

  s.SetTranslation("@Texts_SReady", "Bereit");
  const std::string drc = d.dir.File("project/Demo.drc");
  std::string script = ReadFileBytes(drc);
  test::WriteFile(drc, script.replace(script.find("\"Ready\""), 7, "\"Ready.\""));
  Stamp(drc, 1);
  EXPECT_TRUE(check.AnyFileChanged()) << "the resource-string script as well";
  ChangeMainForm("Changed", 3);
  ui.answers.insert(ui.answers.end(), {TAnswer::Yes, TAnswer::Yes});
  EXPECT_TRUE(check.CheckForChangedFiles());
  EXPECT_EQ(ui.questions.back(), Question(d.project.DrcFileName()));
  EXPECT_EQ(MainCaption(), "Changed");
  EXPECT_EQ(d.Value("Main.dfm", "btnOpen.Caption").TranslatedValue, "\xD6" "ffnen") << "stored and loaded again";
  EXPECT_EQ(d.String("Texts_SReady").OriginalValue + d.String("Texts_SReady").TranslatedValue, "Ready.Bereit");
  EXPECT_EQ(d.project.DrcFileDate, FileTimeStamp(drc));
  ExpectComeBack();
  TComponentHelper& root = *d.Form("Main.dfm")->Root;
  EXPECT_NE(root.FindProperty("frmMain.HelpFile"), nullptr) << "the settings file's user-defined property";
  EXPECT_NE(root.FindProperty("frmMain.HelpKeyword"), nullptr) << "the one added since";
  s.SaveProject();
  EXPECT_EQ(TIniFile(d.dir.File("project/Demo.TRI")).ReadSection(kUserDefinedSection).size(), 2u);
}

TEST_F(FileChangeCheck, AFormThatNoLongerReadsIsReportedAndTheOldTreeStays) {
  const TComponentHelper* before = d.Form("Main.dfm")->Root.get();
  test::WriteFile(mainForm, "garbage");
  Stamp(mainForm, 1);
  ui.answers = {TAnswer::Yes};
  EXPECT_TRUE(check.CheckForChangedFiles());
  ASSERT_EQ(ui.warnings.size(), 1u);
  const std::string warning = "The new version of " + d.project.Modules[0].Name + " could not be read; the previous one stays loaded.";
  EXPECT_EQ(ui.warnings[0].rfind(warning + "\r\r", 0), 0u) << ui.warnings[0];
  EXPECT_EQ(d.Form("Main.dfm")->Root.get(), before);
  EXPECT_EQ(d.Value("Main.dfm", "btnOpen.Caption").TranslatedValue, "\xD6" "ffnen");
  ExpectComeBack();
  EXPECT_FALSE(check.CheckForChangedFiles());
  EXPECT_EQ(ui.questions.size(), 1u) << "not asked again for the same broken file";
}

// A question open in the window lets its event loop run the timer: a check
// then returns at once, as it does under a command or without a project.
TEST_F(FileChangeCheck, ARunningCheckOrCommandMakesACheckReturnAndAnErrorLeavesNoGuard) {
  ChangeMainForm("Changed", 1);
  Stamp(d.dir.File("project/About.dfm"), 1);
  std::vector<bool> nested;
  ui.answers = {TAnswer::Yes};
  ui.whileAsking = [&] {
    nested.push_back(check.CheckForChangedFiles());
    if (ui.questions.size() == 1) throw std::runtime_error("the question could not be shown");
  };
  {
    TBusyGuard command(s);
    EXPECT_FALSE(check.CheckForChangedFiles());
  }
  EXPECT_TRUE(ui.questions.empty());
  EXPECT_THROW(check.CheckForChangedFiles(), std::runtime_error);
  EXPECT_EQ(nested, (std::vector<bool>{false, false}));
  EXPECT_EQ(MainCaption(), "Changed") << "the first file was read again";
  ExpectComeBack();

  // A language whose files cannot be read when it is selected again.
  ui.whileAsking = nullptr;
  test::WriteFile(d.dir.File("common/DEU/OPTIONS.TRD"), "\x06\x06TRD301\x01\x06\x40");
  ui.answers.push_back(TAnswer::Yes);
  EXPECT_THROW(check.CheckForChangedFiles(), EReadError);
  EXPECT_EQ(ui.questions.back(), Question(d.project.Modules[1].Name));
  ExpectComeBack();
  s.CloseProject();
  EXPECT_FALSE(check.CheckForChangedFiles()) << "no project";
}

// A compiled module's script lies in the folder it was taken apart into,
// not beside the module, where the project's own script may lie.
TEST(FileChangeCheckCompiled, TheScriptTakenOutOfTheModuleIsWatchedAndReadAgain) {
  test::TScratchProject p;
  TTranslationSession session(p.project, nullptr, p.ui);
  TFileChangeCheck check(session);
  test::WriteFile(p.Path("App.exe"), test::BuildPe({{6, 1, 0x0409, test::StringBlock({{0, u"Zero"}})}}).image);
  test::WriteFile(p.Path("App.DRC"), "STRINGTABLE\r\nBEGIN\r\nEND\r\n");
  session.OpenProject(p.Path("App.exe"));
  ASSERT_EQ(p.project.ResourceStrings.Count(), 1);
  Stamp(p.Path("App.DRC"), 1);
  EXPECT_FALSE(check.CheckForChangedFiles());

  const std::string extracted = p.project.DrcFileName();
  test::WriteFile(extracted, "#define A_S 7\r\nSTRINGTABLE\r\nBEGIN\r\n  A_S, \"a\"\r\nEND\r\n");
  Stamp(extracted, 1);
  p.ui.answers = {TAnswer::Yes};
  EXPECT_TRUE(check.CheckForChangedFiles());
  EXPECT_EQ(p.ui.questions, std::vector<std::string>{Question(extracted)});
  ASSERT_EQ(p.project.ResourceStrings.Count(), 1);
  EXPECT_EQ(p.project.ResourceStrings.Item(0).Name, "A_S");
  EXPECT_EQ(p.project.DrcFileDate, FileTimeStamp(extracted));

  // A script that does not read leaves the strings and the stamp; one that is gone empties them.
  const double stamp = p.project.DrcFileDate;
  test::WriteFile(extracted, "#define C_S 9\r\n#define D_S x\r\n");
  EXPECT_THROW(p.project.ReloadResourceStrings(), EConvertError);
  EXPECT_EQ(p.project.ResourceStrings.Count(), 1);
  EXPECT_EQ(p.project.DrcFileDate, stamp);
  std::filesystem::remove(extracted);
  p.project.ReloadResourceStrings();
  EXPECT_EQ(p.project.ResourceStrings.Count(), 0);
  EXPECT_EQ(p.project.DrcFileDate, 0);
}

}  // namespace
}  // namespace kst
