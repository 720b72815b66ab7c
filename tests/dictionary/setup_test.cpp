// Creating the dictionary: the seven tables with their keys, widths and
// indexes, the default rows, and a set-up that is idempotent and repairs
// what was removed by hand; the engine's alias configuration.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "config/language_info.h"
#include "config/text_helpers.h"
#include "dictionary/dictionary_schema.h"
#include "dictionary/module_groups.h"
#include "support/dictionary_place.h"
#include "platform/file_utils.h"
#include "platform/ini_file.h"
#include "support/test_support.h"

namespace kst {
namespace {

class SetUpTest : public testing::Test {
protected:
  long long Count(TdatCommon& common, const std::string& sql) { return test::QueryCount(common.Database(), sql); }
  test::TDictionaryPlace place;
  TRecordingInteraction interaction;
};

int PlainLanguageCount() {
  auto ids = KnownLanguageIds();
  return static_cast<int>(std::count_if(ids.begin(), ids.end(), [](int id) { return id > 0 && id <= 0xFFFF; }));
}

TEST_F(SetUpTest, AnEmptyDirectoryBecomesACompleteDictionary) {
  TdatCommon common(place.engine, interaction);
  EXPECT_TRUE(interaction.warnings.empty()) << interaction.warnings.front();
  for (const TTableDef* table : AllTables()) {
    EXPECT_TRUE(TableExists(common.Database(), *table)) << table->fileName;
    EXPECT_TRUE(IndexExists(common.Database(), *table, "")) << table->fileName;
    for (const TIndexDef& index : table->indexes) EXPECT_TRUE(IndexExists(common.Database(), *table, index.name));
  }
  EXPECT_EQ(Count(common, "SELECT count(*) FROM LangList"), PlainLanguageCount());
  // The language name is cut before "(", keeping the blank in front of it.
  EXPECT_EQ(test::QueryRows(common.Database(), "SELECT Abbr, Language, Country FROM LangList WHERE LangId = 3079"),
            (std::vector<std::vector<std::string>>{{"DEA", "German ", "(Austria)"}}));
  EXPECT_EQ(test::QueryRows(common.Database(), "SELECT Abbr, Country FROM LangList WHERE LangId = 7"),
            (std::vector<std::vector<std::string>>{{"DE", ""}}));
  EXPECT_EQ(test::QueryRows(common.Database(), "SELECT PropertyName FROM HiLight ORDER BY rowid"),
            (std::vector<std::vector<std::string>>{
                {"?.Caption"}, {"?.Hint"}, {"?.DisplayLabel"}, {"TOpenDialog.Filter"}, {"TSaveDialog.Filter"}}));
  TdatModuleGroups groups(common);
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

TEST_F(SetUpTest, NamedIndexesIgnoreCaseAndPrimaryKeysDoNot) {
  TdatCommon common(place.engine, interaction);
  auto collation = [&](const std::string& index) {
    auto rows = test::QueryRows(common.Database(), "SELECT coll FROM pragma_index_xinfo('" + index + "') WHERE key = 1");
    std::string all;
    for (auto& r : rows) all += r[0] + ";";
    return all;
  };
  EXPECT_EQ(collation("BySourceString"), "NOCASE;");
  EXPECT_EQ(collation("ByIDLangAndTranslation"), "NOCASE;NOCASE;");
  EXPECT_EQ(collation("ByID"), "NOCASE;");
  EXPECT_EQ(collation("ByPath"), "NOCASE;");
  // Two source strings that differ only in case may both exist (the editor
  // can make them); the same one twice may not.
  common.Database().Exec("INSERT INTO StrIdx VALUES ('''Save''', 'A'), ('''save''', 'A')");
  EXPECT_THROW(common.Database().Exec("INSERT INTO StrIdx VALUES ('''Save''', 'A')"), EDatabaseError);
  common.Database().Exec("INSERT INTO HiLight VALUES ('TEdit.text')");
  EXPECT_THROW(common.Database().Exec("INSERT INTO HiLight VALUES ('?.Caption')"), EDatabaseError);
}

TEST_F(SetUpTest, EveryWriterIsHeldToTheFieldWidthsAndRequiredFields) {
  TdatCommon common(place.engine, interaction);
  TSqliteDatabase& db = common.Database();
  const struct {
    const char* sql;
    bool fits;
  } cases[] = {
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
      EXPECT_NO_THROW(db.Exec(c.sql)) << c.sql;
    else
      EXPECT_THROW(db.Exec(c.sql), EDatabaseError) << c.sql;
  }
}

TEST_F(SetUpTest, LookUpsUseTheNamedIndexes) {
  TdatCommon common(place.engine, interaction);
  auto plan = [&](const std::string& sql) {
    std::string all;
    for (auto& row : test::QueryRows(common.Database(), "EXPLAIN QUERY PLAN " + sql)) all += row.back() + "\n";
    return all;
  };
  EXPECT_NE(plan("SELECT StrID FROM StrIdx WHERE SourceString = 'x' COLLATE NOCASE LIMIT 1").find("BySourceString"),
            std::string::npos);
  EXPECT_EQ(plan("SELECT 1 FROM TrnsHist WHERE SourceStrID = 'x' COLLATE NOCASE AND (LangId & 1023) = 7 "
                 "AND Translation = 'y'")
                .find("SCAN"),
            std::string::npos);
}

TEST_F(SetUpTest, StartingAgainAddsNoDuplicatesAndRepairsWhatWasRemovedByHand) {
  std::string vclId;
  {
    TdatCommon common(place.engine, interaction);
    vclId = test::QueryRows(common.Database(), "SELECT GroupId FROM ModGrps WHERE GroupName = 'VCL-Basics'")[0][0];
  }
  {
    TdatCommon common(place.engine, interaction);
    EXPECT_EQ(Count(common, "SELECT count(*) FROM LangList"), PlainLanguageCount());
    EXPECT_EQ(Count(common, "SELECT count(*) FROM HiLight"), 5);
    EXPECT_EQ(Count(common, "SELECT count(*) FROM ModGrps"), 2);
    EXPECT_EQ(Count(common, "SELECT count(*) FROM ModGrps2"), 8);
    common.Database().Exec(
        "DROP TABLE HiLight; DROP TABLE TrnsHist; DROP INDEX BySourceString; DELETE FROM ModGrps WHERE "
        "GroupName = 'VCL-Basics'; DELETE FROM LangList WHERE LangId = 3079; UPDATE LangList SET Language = 'Mine' "
        "WHERE LangId = 1031");
  }
  TdatCommon common(place.engine, interaction);
  EXPECT_TRUE(interaction.warnings.empty());
  EXPECT_EQ(Count(common, "SELECT count(*) FROM HiLight"), 5);
  EXPECT_TRUE(IndexExists(common.Database(), TrnsHistTable(), "LangID"));
  EXPECT_TRUE(IndexExists(common.Database(), StrIdxTable(), "BySourceString"));
  EXPECT_EQ(Count(common, "SELECT count(*) FROM LangList"), PlainLanguageCount());
  // Existing language rows are never changed.
  EXPECT_EQ(test::QueryRows(common.Database(), "SELECT Language FROM LangList WHERE LangId = 1031")[0][0], "Mine");
  auto vcl = test::QueryRows(common.Database(), "SELECT GroupId FROM ModGrps WHERE GroupName = 'VCL-Basics'");
  ASSERT_EQ(vcl.size(), 1u);
  EXPECT_NE(vcl[0][0], vclId);
  // The old group's entries stay behind, unreachable; the new one has four.
  EXPECT_EQ(Count(common, "SELECT count(*) FROM ModGrps2"), 12);
  EXPECT_EQ(Count(common, "SELECT count(*) FROM ModGrps2 WHERE GroupId = '" + vcl[0][0] + "'"), 4);
}

TEST_F(SetUpTest, AFailedStepIsReportedAndTheOthersStillRun) {
  {
    TdatCommon common(place.engine, interaction);
    // A table of that name that the set-up cannot repair: a view.
    common.Database().Exec("DROP TABLE StrIdx; CREATE VIEW StrIdx AS SELECT 1 AS SourceString, 2 AS StrID");
  }
  TdatCommon common(place.engine, interaction);
  ASSERT_EQ(interaction.warnings.size(), 1u);
  EXPECT_EQ(Count(common, "SELECT count(*) FROM HiLight"), 5);
  EXPECT_EQ(Count(common, "SELECT count(*) FROM ModGrps"), 2);
}

TEST_F(SetUpTest, AMissingDictionaryDirectoryIsAClearError) {
  place.engine.SetAliasPath(kDictionaryAlias, place.Directory() + "/nowhere/KSTrans.DB");
  try {
    TdatCommon common(place.engine, interaction);
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find("nowhere/KSTrans.DB"), std::string::npos) << e.what();
  }
  TDatabaseEngine unset(TRegistryLocation::InDirectory(place.Directory() + "/other"));
  EXPECT_THROW(TdatCommon(unset, interaction), EDatabaseError);
}

TEST(DatabaseEngine, AliasesAndTheNetworkDirectoryLiveInTheEngineConfiguration) {
  test::TScratchDir dir;
  TDatabaseEngine engine(TRegistryLocation::InDirectory(dir.Path()));
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

struct TEngineFileCase {
  const char* name;
  const char* content;     // engine.ini
  const char* mode;        // the journal mode it gives, or null for an error
  const char* shownValue;  // for an error: how the message quotes the value
};

class EngineJournalMode : public testing::TestWithParam<TEngineFileCase> {};

TEST_P(EngineJournalMode, IsWalWhenUnsetAndAnErrorWhenNeitherWalNorDelete) {
  const TEngineFileCase& c = GetParam();
  test::TScratchDir dir;
  TDatabaseEngine engine(TRegistryLocation::InDirectory(dir.Path()));
  ForceDirectories(ExtractFileDir(engine.ConfigFileName()));
  test::WriteFile(engine.ConfigFileName(), c.content);
  if (c.mode) {
    EXPECT_EQ(engine.GetJournalMode(), c.mode);
    return;
  }
  try {
    engine.GetJournalMode();
    FAIL() << "no error";
  } catch (const EDatabaseError& e) {
    std::string message = e.what();
    EXPECT_NE(message.find(engine.ConfigFileName()), std::string::npos) << message;
    EXPECT_NE(message.find(c.shownValue), std::string::npos) << message;
  }
}

INSTANTIATE_TEST_SUITE_P(
    EngineIni, EngineJournalMode,
    testing::Values(
        TEngineFileCase{"NoEntry", "[ALIASES\\KestrinTranslator]\r\nPATH=/data\r\n", "WAL", nullptr},
        TEngineFileCase{"EmptyFile", "", "WAL", nullptr},
        TEngineFileCase{"DeleteInLowerCase", "[DRIVERS\\SQLITE\\INIT]\r\nJOURNAL MODE=delete\r\n", "DELETE", nullptr},
        TEngineFileCase{"AnyCase", "[drivers\\sqlite\\init]\r\njournal mode=Wal\r\n", "WAL", nullptr},
        TEngineFileCase{"Misspelt", "[DRIVERS\\SQLITE\\INIT]\r\nJOURNAL MODE=WALL\r\n", nullptr, "\"WALL\""},
        TEngineFileCase{"Empty", "[DRIVERS\\SQLITE\\INIT]\r\nJOURNAL MODE=\r\n", nullptr, "\"\""},
        TEngineFileCase{"OtherSqliteMode", "[DRIVERS\\SQLITE\\INIT]\r\nJOURNAL MODE=TRUNCATE\r\n", nullptr,
                        "\"TRUNCATE\""},
        TEngineFileCase{"Blank", "[DRIVERS\\SQLITE\\INIT]\r\nJOURNAL MODE= DELETE\r\n", nullptr, "\" DELETE\""}),
    test::TCaseName());

// What cannot be read must not pass for "not set up": a session would then
// go on without its dictionary.
TEST(DatabaseEngine, AnUnreadableConfigurationIsAnErrorAndOnlyAnAbsentOneIsEmpty) {
  test::TScratchDir dir;
  TDatabaseEngine engine(TRegistryLocation::InDirectory(dir.Path()));
  EXPECT_EQ(engine.GetAliasPath(kDictionaryAlias), "");
  EXPECT_TRUE(engine.AliasNames().empty());
  EXPECT_EQ(engine.GetJournalMode(), "WAL");

  auto expectError = [&](const std::string& why) {
    const std::function<void()> readers[] = {[&] { engine.GetAliasPath(kDictionaryAlias); },
                                             [&] { engine.AliasNames(); }, [&] { engine.GetParadoxNetDir(); },
                                             [&] { engine.GetJournalMode(); }};
    for (const auto& read : readers) {
      try {
        read();
        ADD_FAILURE() << why << ": no error";
      } catch (const EDatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find(engine.ConfigFileName()), std::string::npos) << why << ": " << e.what();
      }
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
