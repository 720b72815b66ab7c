// The options dialog's rules and module groups: changes wait in memory (no
// other workstation is kept out), every row is checked before anything is
// written, and a row another workstation changed meanwhile is reported,
// not overwritten.
#include "dictionary/config_data.h"

#include <gtest/gtest.h>

#include <functional>

#include "dictionary/dictionary_schema.h"
#include "dictionary/edit_errors.h"
#include "dictionary/highlighting.h"
#include "dictionary/module_groups.h"
#include "dictionary/settings.h"
#include "dictionary/translation_history.h"
#include "support/dictionary_place.h"

namespace kst {
namespace {

class OptionsStore : public testing::Test {
protected:
  // Short waits: a test that would be locked out fails fast.
  test::TDictionaryPlace place{TBusyPolicy{200, 2}};
  TRecordingInteraction interaction;
  TdatCommon common{place.engine, interaction};
  TdatConfig config{common};

  std::string GroupId(TdatConfig& c, const std::string& name) {
    for (const TModuleGroupRow& g : c.GetGroups())
      if (g.name == name) return g.id;
    return {};
  }
  std::vector<std::string> Files(const std::string& group) {
    std::vector<std::string> files;
    TdatModuleGroups(common).GetGroupEntries(group, files);
    return files;
  }
  // Everything the options dialog edits, as the dictionary holds it now.
  std::string Tables(TdatCommon& c) {
    return test::QueryText(c.Database(),
                           "SELECT 'R', PropertyName, '', '' FROM HiLight UNION ALL "
                           "SELECT 'G', GroupId, GroupName, Remarks FROM ModGrps UNION ALL "
                           "SELECT 'E', GroupId, File, Remarks FROM ModGrps2 ORDER BY 1, 2, 3");
  }
  std::string Tables() { return Tables(common); }
  long long Count(const std::string& sql) { return test::QueryCount(common.Database(), sql); }
};

TEST_F(OptionsStore, PendingChangesKeepNoOneOutAndCancelLeavesNothing) {
  auto before = Tables();
  TdatHighLighting highlighting(common);
  config.BeginConfig();
  std::string id = config.NewGroup("Dialogs", "");
  config.AddEntry(id, "dialogs.res", "");
  config.DeleteGroup(GroupId(config, "QuickReport"));
  config.AddRule("TEdit.Text");
  EXPECT_EQ(config.GetEntries(id).size(), 1u) << "the dialog sees its own changes";
  EXPECT_FALSE(highlighting.IsHighlighted("TEdit.Text")) << "nobody else sees them before OK";

  // Another workstation writes at once, to the same tables too.
  TdatTranslationHistory history(common);
  history.AddTranslation("Save", "Speichern", 0x0407);
  TdatSettings settings(common);
  settings.WriteSetting("\\USER\\bob\\FontSize", 10);
  TdatConfig other(common);
  other.AddRule("TMemo.Lines");
  other.CommitConfig();
  EXPECT_TRUE(highlighting.IsHighlighted("TMemo.Lines")) << "a committed rule is seen at once";

  config.RollbackConfig();
  other.DeleteRule("TMemo.Lines");
  other.CommitConfig();
  EXPECT_EQ(Tables(), before);
}

TEST_F(OptionsStore, EntriesChangeTheirFileOrRemarksAndGoWithTheirGroup) {
  std::string vcl = GroupId(config, "VCL-Basics");
  config.ChangeEntry(vcl, "%CommonDelphiLibDir%\\buttons.res", "%CommonDelphiLibDir%\\BUTTONS2.RES", "renamed");
  config.ChangeEntry(vcl, "%CommonDelphiLibDir%\\controls.res", "%CommonDelphiLibDir%\\controls.res", "noted");
  std::string qr = GroupId(config, "QuickReport");
  // Meanwhile the group's row was removed by hand and an entry of it left
  // behind: deleting the group takes that entry too.
  common.Database().Exec("INSERT INTO ModGrps2 (GroupId, File, Remarks) VALUES ('" + qr + "', 'stray.res', '');" +
                         "DELETE FROM ModGrps WHERE GroupId = '" + qr + "'");
  config.DeleteGroup(qr);
  EXPECT_NE(config.NewGroup("QUICKREPORT", ""), qr) << "a group made again is a new group";
  config.CommitConfig();

  EXPECT_EQ(Files("VCL-Basics"),
            (std::vector<std::string>{"%CommonDelphiLibDir%\\BUTTONS2.RES", "%CommonDelphiLibDir%\\controls.res",
                                      "%CommonDelphiLibDir%\\extdlgs.res", "%CommonDelphiLibDir%\\filectrl.res"}));
  EXPECT_EQ(test::QueryText(common.Database(), "SELECT File, Remarks FROM ModGrps2 WHERE Remarks <> '' ORDER BY 1"),
            "%CommonDelphiLibDir%\\BUTTONS2.RES|renamed\n%CommonDelphiLibDir%\\controls.res|noted\n");
  EXPECT_EQ(Count("SELECT count(*) FROM ModGrps2 WHERE GroupId = '" + qr + "'"), 0)
      << "a deleted group leaves no unreachable entries behind";
  EXPECT_TRUE(Files("QuickReport").empty()) << "nor does the new group of its name inherit them";
}

TEST_F(OptionsStore, HighlightingDefaultsAddOnlyWhatIsMissing) {
  config.DeleteRule("?.Hint");
  config.DeleteRule("TSaveDialog.Filter");
  config.AddRule("TSAVEDIALOG.FILTER");
  config.AddRule("TEdit.Text");
  config.SetHighlightingDefaults();
  EXPECT_EQ(config.GetRules(), (std::vector<std::string>{"?.Caption", "?.DisplayLabel", "?.Hint", "TEdit.Text",
                                                         "TOpenDialog.Filter", "TSAVEDIALOG.FILTER"}));
}

TEST_F(OptionsStore, RowsThatCannotBeStoredAreRefusedWithAReason) {
  std::string vcl = GroupId(config, "VCL-Basics");
  const std::string buttons = "%CommonDelphiLibDir%\\buttons.res";
  struct TCase {
    const char* what;
    std::function<void()> change;
    const char* message;  // the start of it
  } cases[] = {
      {"empty group name", [&] { config.NewGroup(" ", ""); }, "Please enter the name of the module group."},
      {"group twice", [&] { config.NewGroup("vcl-basics", ""); },
       "A module group named \"VCL-Basics\" already exists."},
      {"renamed onto another", [&] { config.ModifyGroup(vcl, "QUICKREPORT", ""); },
       "A module group named \"QuickReport\" already exists."},
      {"name too long", [&] { config.NewGroup(std::string(31, 'x'), ""); }, "The text \"xxxxxxxxxx"},
      {"empty file", [&] { config.AddEntry(vcl, "", "x"); }, "Please enter the file"},
      {"file twice", [&] { config.AddEntry(vcl, "%COMMONDELPHILIBDIR%\\Buttons.RES", ""); },
       "The module group \"VCL-Basics\" already holds \"%CommonDelphiLibDir%\\buttons.res\"."},
      {"changed onto another", [&] { config.ChangeEntry(vcl, buttons, "%CommonDelphiLibDir%\\controls.res", ""); },
       "The module group \"VCL-Basics\" already holds"},
      {"entry of no group", [&] { config.AddEntry("nobody", "a.res", ""); },
       "The module group is no longer in the list."},
      {"empty rule", [&] { config.AddRule(""); }, "Please enter the highlighting rule."},
      {"rule twice", [&] { config.AddRule("?.caption"); }, "The highlighting rule \"?.Caption\" already exists."},
      {"rule changed onto another", [&] { config.ChangeRule("?.Hint", "?.CAPTION"); },
       "The highlighting rule \"?.Caption\" already exists."},
  };
  for (const TCase& c : cases) {
    std::string error = test::Thrown<EDatabaseError>(c.change);
    EXPECT_EQ(error.rfind(c.message, 0), 0u) << c.what << ": " << error;
  }
  EXPECT_FALSE(config.HasChanges()) << "no refused change was taken";
  config.ChangeEntry(vcl, buttons, "%CommonDelphiLibDir%\\Buttons.res", "");  // its own name in another case
  config.ChangeRule("?.Hint", "?.HINT");
  EXPECT_TRUE(config.HasChanges());
}

// Everything is checked before anything is written: a group name another
// workstation took meanwhile stops the whole OK, rule changes included.
TEST_F(OptionsStore, ALateRefusalWritesNothingAndKeepsThePendingChanges) {
  config.DeleteRule("?.Hint");
  config.ModifyGroup(GroupId(config, "VCL-Basics"), "VCL-Basics", "mine");
  std::string id = config.NewGroup("Tools", "");
  config.AddEntry(id, "tools.res", "");

  TdatConfig other(common);
  other.NewGroup("TOOLS", "theirs");
  other.CommitConfig();
  auto before = Tables();

  EXPECT_EQ(test::Thrown<EInvalidEntry>([&] { config.CommitConfig(); }),
            "A module group named \"TOOLS\" already exists.");
  EXPECT_EQ(Tables(), before);
  EXPECT_EQ(config.GetEntries(id).size(), 1u) << "the dialog keeps its changes";

  config.ModifyGroup(id, "My Tools", "");
  config.CommitConfig();
  EXPECT_EQ(Files("My Tools"), std::vector<std::string>{"tools.res"});
  EXPECT_EQ(Count("SELECT count(*) FROM HiLight WHERE PropertyName = '?.Hint'"), 0);
}

// What this dialog does and what another workstation did meanwhile to the
// same rows: overwriting the other's change is refused; doing the same
// thing twice is not.
TEST_F(OptionsStore, ConcurrentChangesToTheSameRowsAreReportedNotOverwritten) {
  const std::string buttons = "%CommonDelphiLibDir%\\buttons.res";
  using TAction = std::function<void(TdatConfig&, const std::string& vcl)>;
  const TAction deleteEntry = [&](TdatConfig& c, auto& g) { c.DeleteEntry(g, buttons); };
  const TAction deleteRule = [](TdatConfig& c, auto&) { c.DeleteRule("?.Hint"); };
  const TAction addEntry = [](TdatConfig& c, auto& g) { c.AddEntry(g, "more.res", ""); };
  const TAction deleteGroup = [](TdatConfig& c, auto& g) { c.DeleteGroup(g); };
  auto remarks = [&](const char* text) -> TAction {
    return [&buttons, text](TdatConfig& c, auto& g) { c.ChangeEntry(g, buttons, buttons, text); };
  };
  auto rename = [](const char* name) -> TAction { return [name](TdatConfig& c, auto& g) { c.ModifyGroup(g, name, ""); }; };
  const std::string entry = "The entry \"%CommonDelphiLibDir%\\buttons.res\" of the module group \"VCL-Basics\" was ";
  const struct {
    const char* what;
    TAction mine, theirs;
    std::string conflict;  // empty when OK must succeed
  } cases[] = {
      {"both delete an entry", deleteEntry, deleteEntry, ""},
      {"both delete a rule", deleteRule, deleteRule, ""},
      {"different entries", deleteEntry, addEntry, ""},
      {"remarks against a deletion", remarks("mine"), deleteEntry, entry + "deleted by another workstation."},
      {"deletion against remarks", deleteEntry, remarks("theirs"), entry + "changed by another workstation."},
      {"entry into a deleted group", addEntry, deleteGroup,
       "The module group \"VCL-Basics\" was deleted by another workstation, so the entry \"more.res\" cannot be "
       "stored in it."},
      {"group deleted with a new entry", deleteGroup, addEntry,
       "The module group \"VCL-Basics\" was given the entry \"more.res\" by another workstation."},
      {"both rename", rename("VCL"), rename("Basics"), "The module group \"VCL-Basics\" was changed by another workstation."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::TDictionaryPlace fresh;
    TdatCommon freshCommon(fresh.engine, interaction);
    TdatConfig mine(freshCommon), theirs(freshCommon);
    std::string vcl = GroupId(mine, "VCL-Basics");
    c.mine(mine, vcl);
    c.theirs(theirs, vcl);
    theirs.CommitConfig();
    const std::string before = Tables(freshCommon);
    if (c.conflict.empty()) {
      EXPECT_NO_THROW(mine.CommitConfig());
      continue;
    }
    try {
      mine.CommitConfig();
      ADD_FAILURE() << "overwrote the other workstation's change";
    } catch (const EEditConflict& e) {
      EXPECT_EQ(e.Entries(), std::vector<std::string>{c.conflict});
      EXPECT_NE(std::string(e.what()).find(c.conflict), std::string::npos);
    }
    EXPECT_EQ(Tables(freshCommon), before);
    EXPECT_TRUE(mine.HasChanges());
    EXPECT_EQ(mine.DiscardConflictingChanges(), std::vector<std::string>{c.conflict});
    EXPECT_FALSE(mine.HasChanges());
    mine.CommitConfig();
    EXPECT_EQ(Tables(freshCommon), before);
  }
}

TEST_F(OptionsStore, DiscardingConflictsKeepsTheOtherChanges) {
  std::string vcl = GroupId(config, "VCL-Basics");
  config.ModifyGroup(vcl, "VCL-Basics", "mine");
  config.AddRule("TEdit.Text");
  TdatConfig other(common);
  other.ModifyGroup(vcl, "VCL-Basics", "theirs");
  other.CommitConfig();
  EXPECT_THROW(config.CommitConfig(), EEditConflict);
  config.DiscardConflictingChanges();
  config.CommitConfig();
  EXPECT_EQ(test::QueryText(common.Database(), "SELECT Remarks FROM ModGrps WHERE GroupName = 'VCL-Basics'"), "theirs\n");
  EXPECT_EQ(Count("SELECT count(*) FROM HiLight WHERE PropertyName = 'TEdit.Text'"), 1);
}

}  // namespace
}  // namespace kst
