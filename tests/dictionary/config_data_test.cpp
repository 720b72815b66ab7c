// The options dialog's rules and module groups: changes wait in memory (no
// other workstation is kept out), every row is checked before anything is
// written, and a row another workstation changed meanwhile is reported,
// not overwritten.
#include "dictionary/config_data.h"

#include <gtest/gtest.h>

#include "dictionary/highlighting.h"
#include "dictionary/module_groups.h"
#include "dictionary_fixture.h"

namespace kst {
namespace {

using namespace test;

const std::string kButtons = "%CommonDelphiLibDir%\\buttons.res";

std::string GroupId(TdatConfig& config, const std::string& name) {
  for (const TModuleGroupRow& g : config.GetGroups())
    if (g.name == name) return g.id;
  return {};
}

// Everything the options dialog edits, as the dictionary holds it now.
std::string Tables(TDictionary& d) {
  return d.Text("SELECT 'R', PropertyName, '', '' FROM HiLight UNION ALL "
                "SELECT 'G', GroupId, GroupName, Remarks FROM ModGrps UNION ALL "
                "SELECT 'E', GroupId, File, Remarks FROM ModGrps2 ORDER BY 1, 2, 3");
}

class OptionsStore : public testing::TestWithParam<TBackend>, public TDictionary {
protected:
  OptionsStore()
      : TDictionary({200, 2}, "WAL", GetParam()) {}  // short waits: a test that would be locked out fails fast
  TdatConfig config{*common};

  std::vector<std::string> Files(const std::string& group) {
    std::vector<std::string> files;
    TdatModuleGroups(*common).GetGroupEntries(group, files);
    return files;
  }
};

INSTANTIATE_TEST_SUITE_P(Backends, OptionsStore, kBackends, BackendName);

TEST_P(OptionsStore, EntriesChangeTheirFileOrRemarksAndGoWithTheirGroup) {
  std::string vcl = GroupId(config, "VCL-Basics");
  config.ChangeEntry(vcl, kButtons, "%CommonDelphiLibDir%\\BUTTONS2.RES", "renamed");
  config.ChangeEntry(vcl, "%CommonDelphiLibDir%\\controls.res", "%CommonDelphiLibDir%\\controls.res", "noted");
  std::string qr = GroupId(config, "QuickReport");
  // Meanwhile the group's row was removed by hand and an entry of it left
  // behind: deleting the group takes that entry too.
  common->Database().Exec("INSERT INTO ModGrps2 (GroupId, File, Remarks) VALUES ('" + qr + "', 'stray.res', '');" +
                          "DELETE FROM ModGrps WHERE GroupId = '" + qr + "'");
  config.DeleteGroup(qr);
  EXPECT_NE(config.NewGroup("QUICKREPORT", ""), qr) << "a group made again is a new group";
  config.CommitConfig();

  EXPECT_EQ(Files("VCL-Basics"),
            (std::vector<std::string>{"%CommonDelphiLibDir%\\BUTTONS2.RES", "%CommonDelphiLibDir%\\controls.res",
                                      "%CommonDelphiLibDir%\\extdlgs.res", "%CommonDelphiLibDir%\\filectrl.res"}));
  EXPECT_EQ(Text("SELECT File, Remarks FROM ModGrps2 WHERE Remarks <> '' ORDER BY 1"),
            "%CommonDelphiLibDir%\\BUTTONS2.RES|renamed\n%CommonDelphiLibDir%\\controls.res|noted\n");
  EXPECT_EQ(Count("ModGrps2 WHERE GroupId = '" + qr + "'"), 0) << "a deleted group leaves no unreachable entries";
  EXPECT_TRUE(Files("QuickReport").empty()) << "nor does the new group of its name inherit them";
}

TEST_P(OptionsStore, HighlightingDefaultsAddOnlyWhatIsMissing) {
  config.DeleteRule("?.Hint");
  config.DeleteRule("TSaveDialog.Filter");
  config.AddRule("TSAVEDIALOG.FILTER");
  config.AddRule("TEdit.Text");
  config.SetHighlightingDefaults();
  EXPECT_EQ(config.GetRules(), (std::vector<std::string>{"?.Caption", "?.DisplayLabel", "?.Hint", "TEdit.Text",
                                                         "TOpenDialog.Filter", "TSAVEDIALOG.FILTER"}));
}

TEST_P(OptionsStore, RowsThatCannotBeStoredAreRefusedWithAReason) {
  std::string vcl = GroupId(config, "VCL-Basics");
  const std::pair<std::function<void()>, const char*> cases[] = {  // what is refused, and the start of the message
      {[&] { config.NewGroup(" ", ""); }, "Please enter the name of the module group."},
      {[&] { config.NewGroup("vcl-basics", ""); }, "A module group named \"VCL-Basics\" already exists."},
      {[&] { config.ModifyGroup(vcl, "QUICKREPORT", ""); }, "A module group named \"QuickReport\" already exists."},
      {[&] { config.NewGroup(std::string(31, 'x'), ""); }, "The text \"xxxxxxxxxx"},
      {[&] { config.AddEntry(vcl, "", "x"); }, "Please enter the file"},
      {[&] { config.AddEntry(vcl, "%COMMONDELPHILIBDIR%\\Buttons.RES", ""); },
       "The module group \"VCL-Basics\" already holds \"%CommonDelphiLibDir%\\buttons.res\"."},
      {[&] { config.ChangeEntry(vcl, kButtons, "%CommonDelphiLibDir%\\controls.res", ""); },
       "The module group \"VCL-Basics\" already holds"},
      {[&] { config.AddEntry("nobody", "a.res", ""); }, "The module group is no longer in the list."},
      {[&] { config.AddRule(""); }, "Please enter the highlighting rule."},
      {[&] { config.AddRule("?.caption"); }, "The highlighting rule \"?.Caption\" already exists."},
      {[&] { config.ChangeRule("?.Hint", "?.CAPTION"); }, "The highlighting rule \"?.Caption\" already exists."},
  };
  for (const auto& [change, message] : cases) {
    std::string error = Thrown<EDatabaseError>(change);
    EXPECT_EQ(error.rfind(message, 0), 0u) << error;
  }
  EXPECT_FALSE(config.HasChanges()) << "no refused change was taken";
  config.ChangeEntry(vcl, kButtons, "%CommonDelphiLibDir%\\Buttons.res", "");  // its own name in another case
  config.ChangeRule("?.Hint", "?.HINT");
  EXPECT_TRUE(config.HasChanges());
}

// Pending changes keep no other workstation out, and nobody sees them before
// OK. Everything is checked before anything is written: a row another
// workstation changed meanwhile, then a group name it took, each stop the
// whole OK; discarding the conflict keeps the other pending changes.
TEST_P(OptionsStore, PendingChangesKeepNoOneOutAndLateRefusalsWriteNothing) {
  TdatHighLighting highlighting(*common);
  config.AddRule("TEdit.Text");
  config.RollbackConfig();  // Cancel
  const std::string vcl = GroupId(config, "VCL-Basics");
  config.DeleteRule("?.Hint");
  config.ModifyGroup(vcl, "VCL-Basics", "mine");
  const std::string id = config.NewGroup("Tools", "");
  config.AddEntry(id, "tools.res", "");
  TdatConfig other(*common);
  other.ModifyGroup(vcl, "VCL-Basics", "theirs");
  other.AddRule("TMemo.Lines");
  other.CommitConfig();
  EXPECT_TRUE(highlighting.IsHighlighted("TButton.Hint")) << "the deletion is not seen before OK";
  EXPECT_TRUE(highlighting.IsHighlighted("TMemo.Lines")) << "a committed rule is seen at once";
  EXPECT_THROW(config.CommitConfig(), EEditConflict);
  config.DiscardConflictingChanges();
  other.NewGroup("TOOLS", "");
  other.CommitConfig();
  const std::string before = Tables(*this);

  EXPECT_EQ(Thrown<EInvalidEntry>([&] { config.CommitConfig(); }), "A module group named \"TOOLS\" already exists.");
  EXPECT_EQ(Tables(*this), before);
  EXPECT_EQ(config.GetEntries(id).size(), 1u) << "the dialog keeps its changes";
  config.ModifyGroup(id, "My Tools", "");
  config.CommitConfig();
  EXPECT_EQ(Files("My Tools"), std::vector<std::string>{"tools.res"});
  EXPECT_FALSE(highlighting.IsHighlighted("TButton.Hint"));
  EXPECT_FALSE(highlighting.IsHighlighted("TEdit.Text")) << "the cancelled rule";
  EXPECT_EQ(Text("SELECT Remarks FROM ModGrps WHERE GroupName = 'VCL-Basics'"), "theirs\n");
}

// What this dialog does and what another workstation did meanwhile to the
// same rows: overwriting the other's change is refused; doing the same
// thing twice is not.
TEST_P(OptionsStore, ConcurrentChangesToTheSameRowsAreReportedNotOverwritten) {
  using TAction = std::function<void(TdatConfig&, const std::string& vcl)>;
  const TAction deleteEntry = [](TdatConfig& c, auto& g) { c.DeleteEntry(g, kButtons); };
  const TAction deleteRule = [](TdatConfig& c, auto&) { c.DeleteRule("?.Hint"); };
  const TAction addEntry = [](TdatConfig& c, auto& g) { c.AddEntry(g, "more.res", ""); };
  const TAction deleteGroup = [](TdatConfig& c, auto& g) { c.DeleteGroup(g); };
  auto remarks = [](const char* text) -> TAction {
    return [text](TdatConfig& c, auto& g) { c.ChangeEntry(g, kButtons, kButtons, text); };
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
    TDictionary fresh;
    TdatConfig mine(*fresh.common), theirs(*fresh.common);
    const std::string vcl = GroupId(mine, "VCL-Basics");
    c.mine(mine, vcl);
    c.theirs(theirs, vcl);
    theirs.CommitConfig();
    const std::string before = Tables(fresh);
    ExpectOk(mine, [&] { mine.CommitConfig(); }, c.conflict, [&] { return Tables(fresh); });
    if (c.conflict.empty()) continue;
    EXPECT_EQ(Tables(fresh), before) << "the discarded change was the only one";
  }
}

}  // namespace
}  // namespace kst
