// A child process saves the demo project's translations in a loop and is
// killed at random moments, many times; every translation file left on disk
// must be readable and hold either the old or the new texts.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <thread>

#include "support/demo_session.h"
#include "storage/translation_files.h"

namespace kst {
namespace {

using test::kGerman;

const std::string kOld(60000, 'o');
const std::string kNew(90000, 'n');

void SetTexts(test::TDemoSession& d, const std::string& text) {
  d.Value("Main.dfm", "frmMain.Caption").TranslatedValue = text;
  d.Value("About.dfm", "frmAbout.Caption").TranslatedValue = text;
  d.String("Texts_SReady").TranslatedValue = text;
  d.project.VersionInfo.Find("CompanyName")->Translation = text;
}

bool OldOrNew(const std::string& text) { return text == kOld || text == kNew; }

TEST(KillDuringSave, FilesAreAlwaysTheOldOrTheNewOnes) {
  test::TDemoSession d;
  TTranslationSession& s = *d.session;
  s.OpenProject(d.Dpr());
  d.project.AddLanguage(kGerman);
  s.SelectLanguage(kGerman);
  s.SelectForm(d.Form("Main.dfm"));
  SetTexts(d, kOld);
  s.SaveProject();

  std::mt19937 random(7);
  constexpr int kKills = 60;
  for (int round = 0; round < kKills; ++round) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      try {
        for (int i = 0;; ++i) {
          SetTexts(d, i % 2 ? kOld : kNew);
          s.SaveProject();
        }
      } catch (...) {
      }
      _exit(3);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(0, 40000)(random)));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child stopped by itself in round " << round;

    // Read back through the readers, into the parent's model.
    for (const char* form : {"Main.dfm", "About.dfm"}) {
      TModuleHelper& module = *d.Form(form);
      ASSERT_NO_THROW(LoadFormTranslations(d.project, *module.Root, s.FormTranslationFileName(module))) << form;
    }
    ASSERT_NO_THROW(LoadResourceStringTranslations(d.project, d.project.ResourceStrings, s.ResourceStringFileName(),
                                                   kGerman, nullptr));
    ASSERT_NO_THROW(LoadVersionInfoTranslations(d.project, d.project.VersionInfo, kGerman));
    EXPECT_TRUE(OldOrNew(d.Value("Main.dfm", "frmMain.Caption").TranslatedValue)) << round;
    EXPECT_TRUE(OldOrNew(d.Value("About.dfm", "frmAbout.Caption").TranslatedValue)) << round;
    EXPECT_TRUE(OldOrNew(d.String("Texts_SReady").TranslatedValue)) << round;
    EXPECT_TRUE(OldOrNew(d.project.VersionInfo.Find("CompanyName")->Translation)) << round;
    TProjectData settings(d.registry, d.ui, TSystemCodePages{1252, 850, 10000});
    ASSERT_NO_THROW(settings.Open(d.Dpr())) << round;
    EXPECT_TRUE(settings.HasLanguage(kGerman)) << round;
  }
  // Temporary files left by a kill show that kills landed inside writes.
  int temporaries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(d.dir.File("project/DEU")))
    temporaries += entry.path().filename().string().rfind(".", 0) == 0;
  RecordProperty("temporary_files_left_by_kills", temporaries);
}

}  // namespace
}  // namespace kst
