// Creating the dictionary: the seven tables with their keys, widths and
// indexes, the default rows, and a set-up that is idempotent and repairs
// what was removed by hand; the engine's alias configuration.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "config/language_info.h"
#include "dictionary/dictionary_schema.h"
#include "dictionary/module_groups.h"
#include "platform/file_utils.h"
#include "platform/ini_file.h"
#include "support/dictionary_place.h"

namespace kst {
namespace {

class SetUpTest : public testing::Test {
protected:
  test::TDictionaryPlace place;
  TRecordingInteraction interaction;
  std::unique_ptr<TdatCommon> common = std::make_unique<TdatCommon>(place.engine, interaction);
  TSqliteDatabase& Db() { return common->Database(); }
  long long Count(const std::string& table) { return test::QueryCount(Db(), "SELECT count(*) FROM " + table); }
  std::string Text(const std::string& sql) { return test::QueryText(Db(), sql); }
  // Starts the program again on the same directory.
  void Restart() {
    common.reset();
    common = std::make_unique<TdatCommon>(place.engine, interaction);
  }
};

int PlainLanguageCount() {
  auto ids = KnownLanguageIds();
  return static_cast<int>(std::count_if(ids.begin(), ids.end(), [](int id) { return id > 0 && id <= 0xFFFF; }));
}

TEST_F(SetUpTest, AnEmptyDirectoryBecomesACompleteDictionary) {
  EXPECT_TRUE(interaction.warnings.empty()) << interaction.warnings.front();
  for (const TTableDef* table : AllTables()) {
    EXPECT_TRUE(TableExists(Db(), *table)) << table->fileName;
    EXPECT_TRUE(IndexExists(Db(), *table, "")) << table->fileName;
    for (const TIndexDef& index : table->indexes) EXPECT_TRUE(IndexExists(Db(), *table, index.name));
  }
  EXPECT_EQ(Count("LangList"), PlainLanguageCount());
  // The language name is cut before "(", keeping the blank in front of it.
  EXPECT_EQ(Text("SELECT Abbr, Language, Country FROM LangList WHERE LangId IN (7, 3079) ORDER BY LangId"),
            "DE|German |\nDEA|German |(Austria)\n");
  EXPECT_EQ(Text("SELECT PropertyName FROM HiLight ORDER BY rowid"),
            "?.Caption\n?.Hint\n?.DisplayLabel\nTOpenDialog.Filter\nTSaveDialog.Filter\n");
  TdatModuleGroups groups(*common);
  std::vector<std::string> list;
  groups.GetGroupNames(list);
  EXPECT_EQ(list, (std::vector<std::string>{"QuickReport", "VCL-Basics"}));
  groups.GetGroupEntries("vcl-basics", list);
  EXPECT_EQ(list, (std::vector<std::string>{"%CommonDelphiLibDir%\\buttons.res", "%CommonDelphiLibDir%\\controls.res",
                                            "%CommonDelphiLibDir%\\extdlgs.res", "%CommonDelphiLibDir%\\filectrl.res"}));
  groups.GetGroupEntries("QuickReport", list);
  EXPECT_EQ(list.size(), 4u);
  groups.GetGroupEntries("No such group", list);
  EXPECT_TRUE(list.empty());
}

TEST_F(SetUpTest, KeysWidthsAndIndexesHoldEveryWriter) {
  for (const char* index : {"BySourceString", "ByIDLangAndTranslation", "ByID", "ByPath"})
    EXPECT_EQ(Text(std::string("SELECT coll FROM pragma_index_xinfo('") + index + "') WHERE key = 1"),
              std::string(index) == "ByIDLangAndTranslation" ? "NOCASE\nNOCASE\n" : "NOCASE\n")
        << "named indexes ignore case: " << index;
  const struct {
    const char* sql;
    bool fits;
  } cases[] = {
      // Source strings differing only in case may both exist (the editor can
      // make them); primary keys do not ignore case.
      {"INSERT INTO StrIdx VALUES ('''Save''', 'A'), ('''save''', 'A')", true},
      {"INSERT INTO StrIdx VALUES ('''Save''', 'A')", false},
      {"INSERT INTO HiLight VALUES ('TEdit.text')", true},
      {"INSERT INTO HiLight VALUES ('?.Caption')", false},
      {"INSERT INTO HiLight VALUES (printf('%.255c', 'x'))", true},
      {"INSERT INTO HiLight VALUES (printf('%.256c', 'y'))", false},
      {"INSERT INTO ModGrps VALUES (printf('%.30c', 'g'), '', 'id1')", true},
      {"INSERT INTO ModGrps VALUES (printf('%.31c', 'h'), '', 'id2')", false},
      {"INSERT INTO ModGrps VALUES ('NoId', '', '')", false},
      {"INSERT INTO ModGrps2 VALUES ('id', '', '')", false},
      {"INSERT INTO LangList VALUES (99999, 'ABCD', 'x', '')", false},
      {"INSERT INTO StrIdx VALUES ('a', printf('%.41c', 'i'))", false},
      {"INSERT INTO TrnsHist VALUES ('a', 4294967296, 'x')", false},
  };
  for (const auto& c : cases) {
    if (c.fits)
      EXPECT_NO_THROW(Db().Exec(c.sql)) << c.sql;
    else
      EXPECT_THROW(Db().Exec(c.sql), EDatabaseError) << c.sql;
  }
  // Look-ups use the named indexes.
  EXPECT_NE(Text("EXPLAIN QUERY PLAN SELECT StrID FROM StrIdx WHERE SourceString = 'x' COLLATE NOCASE LIMIT 1")
                .find("BySourceString"),
            std::string::npos);
  EXPECT_EQ(Text("EXPLAIN QUERY PLAN SELECT 1 FROM TrnsHist WHERE SourceStrID = 'x' COLLATE NOCASE "
                 "AND (LangId & 1023) = 7 AND Translation = 'y'")
                .find("SCAN"),
            std::string::npos);
}

TEST_F(SetUpTest, StartingAgainAddsNoDuplicatesAndRepairsWhatWasRemovedByHand) {
  const std::string vclId = Text("SELECT GroupId FROM ModGrps WHERE GroupName = 'VCL-Basics'");
  Restart();
  EXPECT_EQ(Count("LangList"), PlainLanguageCount());
  EXPECT_EQ(Count("HiLight"), 5);
  EXPECT_EQ(Count("ModGrps"), 2);
  EXPECT_EQ(Count("ModGrps2"), 8);
  Db().Exec("DROP TABLE HiLight; DROP TABLE TrnsHist; DROP INDEX BySourceString; DELETE FROM ModGrps WHERE "
            "GroupName = 'VCL-Basics'; DELETE FROM LangList WHERE LangId = 3079; UPDATE LangList SET Language = "
            "'Mine' WHERE LangId = 1031");
  Restart();
  EXPECT_TRUE(interaction.warnings.empty());
  EXPECT_EQ(Count("HiLight"), 5);
  EXPECT_TRUE(IndexExists(Db(), TrnsHistTable(), "LangID"));
  EXPECT_TRUE(IndexExists(Db(), StrIdxTable(), "BySourceString"));
  EXPECT_EQ(Count("LangList"), PlainLanguageCount());
  EXPECT_EQ(Text("SELECT Language FROM LangList WHERE LangId = 1031"), "Mine\n") << "existing rows are never changed";
  auto vcl = test::QueryRows(Db(), "SELECT GroupId FROM ModGrps WHERE GroupName = 'VCL-Basics'");
  ASSERT_EQ(vcl.size(), 1u);
  EXPECT_NE(vcl[0][0] + "\n", vclId);
  // The old group's entries stay behind, unreachable; the new one has four.
  EXPECT_EQ(Count("ModGrps2"), 12);
  EXPECT_EQ(Count("ModGrps2 WHERE GroupId = '" + vcl[0][0] + "'"), 4);

  // A table the set-up cannot repair (a view of its name) is one warning; the other steps still run.
  Db().Exec("DROP TABLE StrIdx; CREATE VIEW StrIdx AS SELECT 1 AS SourceString, 2 AS StrID; DROP TABLE HiLight");
  Restart();
  ASSERT_EQ(interaction.warnings.size(), 1u);
  EXPECT_EQ(Count("HiLight"), 5);
  EXPECT_EQ(Count("ModGrps"), 2);
}

TEST_F(SetUpTest, AMissingDictionaryDirectoryIsAClearError) {
  place.engine.SetAliasPath(kDictionaryAlias, place.Directory() + "/nowhere/KSTrans.DB");
  EXPECT_NE(test::Thrown<EDatabaseError>([&] { TdatCommon other(place.engine, interaction); }).find("nowhere/KSTrans.DB"),
            std::string::npos);
  TDatabaseEngine unset(TRegistryLocation::InDirectory(place.Directory() + "/other"));
  EXPECT_THROW(TdatCommon(unset, interaction), EDatabaseError);
}

class DatabaseEngine : public testing::Test {
protected:
  test::TScratchDir dir;
  TDatabaseEngine engine{TRegistryLocation::InDirectory(dir.Path())};
};

TEST_F(DatabaseEngine, AliasesAndTheNetworkDirectoryLiveInTheEngineConfiguration) {
  EXPECT_EQ(engine.GetAliasPath("KestrinTranslator"), "");
  EXPECT_EQ(engine.GetParadoxNetDir(), "");
  engine.SetAliasPath("KestrinTranslator", JoinPath("/data/", "KSTrans.DB"));
  EXPECT_EQ(engine.GetAliasPath("kestrintranslator"), "/data/KSTrans.DB");
  engine.SetAliasPath("KESTRINTRANSLATOR", "/other/KSTrans.DB");  // modified, not duplicated
  EXPECT_EQ(engine.AliasNames().size(), 1u);
  EXPECT_EQ(engine.GetAliasPath("KestrinTranslator"), "/other/KSTrans.DB");

  engine.SetParadoxNetDir("");
  EXPECT_NE(ReadFileBytes(engine.ConfigFileName()).find("NET DIR=\r\n"), std::string::npos);
  // Written by hand in another case, it is still found.
  TIniFile ini(engine.ConfigFileName());
  ini.EraseSection("DRIVERS\\PARADOX\\INIT");
  ini.WriteString("drivers\\paradox\\init", "net dir", "/shared/net");
  EXPECT_EQ(engine.GetParadoxNetDir(), "/shared/net");
  EXPECT_THROW(engine.SetAliasPath("KestrinTranslator", "/a\nb"), std::invalid_argument);
  EXPECT_EQ(engine.GetAliasPath("KestrinTranslator"), "/other/KSTrans.DB");
}

TEST_F(DatabaseEngine, JournalModeIsWalWhenUnsetAndAnErrorWhenNeitherWalNorDelete) {
  const struct {
    const char* content;     // engine.ini
    const char* mode;        // the journal mode it gives, or null for an error
    const char* shownValue;  // for an error: how the message quotes the value
  } cases[] = {
      {"[ALIASES\\KestrinTranslator]\r\nPATH=/data\r\n", "WAL", nullptr},
      {"", "WAL", nullptr},
      {"[DRIVERS\\SQLITE\\INIT]\r\nJOURNAL MODE=delete\r\n", "DELETE", nullptr},
      {"[drivers\\sqlite\\init]\r\njournal mode=Wal\r\n", "WAL", nullptr},
      {"[DRIVERS\\SQLITE\\INIT]\r\nJOURNAL MODE=WALL\r\n", nullptr, "\"WALL\""},
      {"[DRIVERS\\SQLITE\\INIT]\r\nJOURNAL MODE=\r\n", nullptr, "\"\""},
      {"[DRIVERS\\SQLITE\\INIT]\r\nJOURNAL MODE=TRUNCATE\r\n", nullptr, "\"TRUNCATE\""},
      {"[DRIVERS\\SQLITE\\INIT]\r\nJOURNAL MODE= DELETE\r\n", nullptr, "\" DELETE\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.content);
    test::WriteFile(engine.ConfigFileName(), c.content);
    if (c.mode) {
      EXPECT_EQ(engine.GetJournalMode(), c.mode);
      continue;
    }
    std::string message = test::Thrown<EDatabaseError>([&] { engine.GetJournalMode(); });
    EXPECT_NE(message.find(engine.ConfigFileName()), std::string::npos) << message;
    EXPECT_NE(message.find(c.shownValue), std::string::npos) << message;
  }
}

// What cannot be read must not pass for "not set up": a session would then
// go on without its dictionary.
TEST_F(DatabaseEngine, AnUnreadableConfigurationIsAnErrorAndOnlyAnAbsentOneIsEmpty) {
  EXPECT_EQ(engine.GetAliasPath(kDictionaryAlias), "");
  EXPECT_TRUE(engine.AliasNames().empty());
  EXPECT_EQ(engine.GetJournalMode(), "WAL");
  auto expectError = [&](const std::string& why) {
    const std::function<void()> readers[] = {[&] { engine.GetAliasPath(kDictionaryAlias); },
                                             [&] { engine.AliasNames(); }, [&] { engine.GetParadoxNetDir(); },
                                             [&] { engine.GetJournalMode(); }};
    for (const auto& read : readers) {
      std::string message = test::Thrown<EDatabaseError>(read);
      EXPECT_NE(message.find(engine.ConfigFileName()), std::string::npos) << why << ": " << message;
    }
  };
  std::filesystem::create_directories(engine.ConfigFileName());
  expectError("a directory");
  std::filesystem::remove(engine.ConfigFileName());
  std::filesystem::create_symlink("engine.ini", engine.ConfigFileName());
  expectError("a link to itself");
  std::filesystem::remove(engine.ConfigFileName());
  engine.SetAliasPath(kDictionaryAlias, "/data");
  if (::geteuid() != 0) {  // permissions do not stop root
    std::filesystem::permissions(engine.ConfigFileName(), std::filesystem::perms::none);
    expectError("no permission");
  }
}

}  // namespace
}  // namespace kst
