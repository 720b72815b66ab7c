// The dictionary editor's session: the source list by pages and typed
// prefixes (merged with the session's changes), tabs and their filter,
// editing rules, import, and "OK" and "Cancel" against a dictionary that
// other workstations use at the same time.
#include "dictionary/dictionary_editor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <set>

#include "config/text_helpers.h"
#include "dictionary/dictionary_schema.h"
#include "dictionary/edit_errors.h"
#include "dictionary/translation_history.h"
#include "platform/file_utils.h"
#include "platform/same_text.h"
#include "support/dictionary_place.h"

// \326 is Ö, \337 ß in code page 1252 (octal, so that no letter after it is read as a hex digit).
namespace kst {
namespace {

constexpr int kGermany = 0x0407, kAustria = 0x0C07, kGerman = 0x0007, kFrance = 0x040C;

class DictionaryEditor : public testing::TestWithParam<const char*> {
protected:
  // Both journal modes: WAL, and DELETE as on a network share.
  test::TDictionaryPlace place{TBusyPolicy{}, GetParam()};
  TRecordingInteraction interaction;
  TdatCommon common{place.engine, interaction};
  TdatTranslationHistory history{common};

  std::string Id(const std::string& source) { return history.GetStrID(source); }
  // The translations the session shows for the source, as "text/ABBR ...".
  std::string Texts(TDictionaryEditSession& session, const std::string& id) {
    std::string texts;
    for (const TTranslationRow& r : session.Translations(id))
      texts += (texts.empty() ? "" : " ") + r.text + "/" + r.abbreviation;
    return texts;
  }
  // Every source string the session lists for its filter, fetched to the end.
  std::vector<std::string> Listed(TDictionaryEditSession& session) {
    while (session.FetchMore() > 0) {
    }
    std::vector<std::string> texts;
    for (size_t i = 0; i < session.LoadedCount(); ++i) texts.push_back(session.Row(i).text);
    return texts;
  }
  void Checkpoint() { common.Database().Exec("PRAGMA wal_checkpoint(TRUNCATE)"); }
  std::vector<std::string> Known(const std::string& source, int lang) {
    std::vector<std::string> known;
    history.GetKnownTranslations(source, lang, known);
    return known;
  }
};

INSTANTIATE_TEST_SUITE_P(JournalModes, DictionaryEditor, testing::Values("WAL", "DELETE"));

TEST_P(DictionaryEditor, CancelLeavesTheFileAsItWasAndOkPersists) {
  history.AddTranslation("Save", "Speichern", kGermany);
  history.AddTranslation("Open", "\326ffnen", kGermany);
  Checkpoint();
  const std::string before = ReadFileBytes(place.DatabaseFile());
  test::TScratchDir dir;
  test::WriteFile(dir.File("strdict.DEU"), "[Strings]\r\nSOpen=\326ffnen\r\n");
  auto edit = [&](TDictionaryEditSession& session) {
    session.ChangeSource(Id("Save"), "Save as");
    session.DeleteSource(Id("Open"));
    std::string id = session.AddSource("Don't");
    session.AddTranslation(id, "Nicht");
    session.ImportDictionaryFile(dir.File("strdict.DEU"));
  };
  {
    TDictionaryEditSession session(common);
    edit(session);
    EXPECT_TRUE(session.HasChanges());
    session.Rollback();
  }
  {
    TDictionaryEditSession session(common);
    edit(session);
  }  // closed without OK
  Checkpoint();
  EXPECT_EQ(ReadFileBytes(place.DatabaseFile()), before);

  TDictionaryEditSession session(common);
  edit(session);
  session.Commit();
  EXPECT_FALSE(session.HasChanges());
  // The deleted source took its translation.
  EXPECT_EQ(test::QueryText(*common.NewConnection(), "SELECT s.SourceString, t.LangId, t.Translation FROM StrIdx s "
                                                     "LEFT JOIN TrnsHist t ON t.SourceStrID = s.StrID ORDER BY 1"),
            "'.ResourceString.SOpen'|1031|$D6'ffnen'\n'Don'$27't'|1031|'Nicht'\n'Save as'|1031|'Speichern'\n");
}

TEST_P(DictionaryEditor, OtherWorkstationsWriteWhileChangesArePending) {
  history.AddTranslation("Save", "Speichern", kGermany);
  TDictionaryEditSession session(common);
  session.ChangeSource(Id("Save"), "Save all");
  session.AddTranslation(session.AddSource("Close"), "Schlie\337en");
  ASSERT_EQ(Listed(session).size(), 2u);

  auto start = std::chrono::steady_clock::now();
  TdatCommon otherWorkstation(place.engine, interaction);
  TdatTranslationHistory other(otherWorkstation);
  other.AddTranslation("Print", "Drucken", kGermany);
  other.AddTranslation("Save", "Sichern", kGermany);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));

  // The session sees what others committed, under its own changes.
  session.Refresh();
  EXPECT_EQ(Listed(session), (std::vector<std::string>{"Close", "Print", "Save all"}));
  session.Commit();
  EXPECT_EQ(Known("Save all", kGermany), (std::vector<std::string>{"Sichern", "Speichern"}));
}

TEST_P(DictionaryEditor, ConcurrentChangesToTheSameRowsAreReportedNotOverwritten) {
  using TEdit = std::function<void(TDictionaryEditSession&, const std::string& save)>;
  auto speichern = [](TDictionaryEditSession& s, const std::string& save) { return s.Translations(save).at(0); };
  auto changeSource = [](const char* text) -> TEdit { return [text](auto& s, auto& id) { s.ChangeSource(id, text); }; };
  auto addTranslation = [](const char* text) -> TEdit {
    return [text](auto& s, auto& id) { s.AddTranslation(id, text); };
  };
  auto changeTranslation = [&](const char* text) -> TEdit {
    return [&speichern, text](auto& s, auto& id) { s.ChangeTranslation(speichern(s, id), text); };
  };
  const TEdit deleteSource = [](auto& s, auto& id) { s.DeleteSource(id); };
  const TEdit deleteTranslation = [&](auto& s, auto& id) { s.DeleteTranslation(speichern(s, id)); };
  const struct {
    const char* what;
    TEdit mine, theirs;
    const char* conflict;  // nullptr when OK must succeed
  } cases[] = {
      {"both change the source", changeSource("Save as"), changeSource("Save!"),
       "The source string \"Save\" was changed by another workstation; it now reads \"Save!\"."},
      {"change against deletion", changeSource("Save as"), deleteSource,
       "The source string \"Save\" was deleted by another workstation."},
      {"deletion against a new translation", deleteSource, addTranslation("Sichern"),
       "The translations of \"Save\" were changed by another workstation."},
      {"both delete", deleteSource, deleteSource, nullptr},
      {"both change a translation", changeTranslation("Sichern"), changeTranslation("Speichern!"),
       "The translation \"Speichern\" of \"Save\" was changed or deleted by another workstation."},
      {"both delete a translation", deleteTranslation, deleteTranslation, nullptr},
      {"translations of different rows", addTranslation("Sichern"), changeSource("SAVE"), nullptr},
      {"translation of a deleted source", addTranslation("Sichern"), deleteSource,
       "The translation \"Sichern\" of \"Save\" cannot be stored: its source string was deleted by another "
       "workstation."},
      {"both add a source", [](auto& s, auto&) { s.AddTranslation(s.AddSource("Open"), "\326ffnen"); },
       [](auto& s, auto&) { s.AddSource("OPEN"); }, "The source string \"Open\" was added by another workstation."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::TDictionaryPlace fresh{TBusyPolicy{}, GetParam()};
    TdatCommon freshCommon(fresh.engine, interaction);
    TdatTranslationHistory(freshCommon).AddTranslation("Save", "Speichern", kGermany);
    std::string save = TdatTranslationHistory(freshCommon).GetStrID("Save");
    TDictionaryEditSession mine(freshCommon), theirs(freshCommon);
    c.mine(mine, save);
    c.theirs(theirs, save);
    theirs.Commit();
    auto snapshot = [&] {
      return test::QueryRows(freshCommon.Database(),
                             "SELECT * FROM StrIdx UNION ALL SELECT SourceStrID, LangId || "
                             "Translation FROM TrnsHist ORDER BY 1, 2");
    };
    auto before = snapshot();
    if (!c.conflict) {
      EXPECT_NO_THROW(mine.Commit());
      continue;
    }
    try {
      mine.Commit();
      ADD_FAILURE() << "overwrote the other workstation's change";
    } catch (const EEditConflict& e) {
      EXPECT_EQ(e.Entries(), std::vector<std::string>{c.conflict});
    }
    EXPECT_EQ(snapshot(), before);
    EXPECT_TRUE(mine.HasChanges()) << "a refused OK keeps the changes";
    EXPECT_EQ(mine.DiscardConflictingChanges(), std::vector<std::string>{c.conflict});
    mine.Commit();
  }
}

TEST_P(DictionaryEditor, DiscardingAConflictKeepsTheRestAndJoinsTwinSources) {
  history.AddTranslation("Save", "Speichern", kGermany);
  TDictionaryEditSession mine(common), theirs(common);
  mine.ChangeSource(Id("Save"), "Save as");
  mine.AddTranslation(mine.AddSource("Open"), "\326ffnen");
  theirs.ChangeSource(Id("Save"), "Save!");
  theirs.AddTranslation(theirs.AddSource("OPEN"), "Aufmachen");
  theirs.Commit();
  EXPECT_THROW(mine.Commit(), EEditConflict);
  EXPECT_EQ(mine.DiscardConflictingChanges().size(), 2u);
  mine.Commit();
  EXPECT_EQ(Known("open", kGermany), (std::vector<std::string>{"\326ffnen", "Aufmachen"}));
  EXPECT_EQ(test::QueryCount(common.Database(), "SELECT count(*) FROM StrIdx"), 2);
  EXPECT_FALSE(Id("Save!").empty());
}

TEST_P(DictionaryEditor, ABusyDictionaryKeepsTheChangesForAnotherOk) {
  test::TDictionaryPlace busy{TBusyPolicy{20, 2}, GetParam()};
  TdatCommon busyCommon(busy.engine, interaction);
  TDictionaryEditSession session(busyCommon);
  session.AddSource("Save");
  auto holder = busyCommon.NewConnection();
  holder->BeginWrite();
  EXPECT_THROW(session.Commit(), EDatabaseBusy);
  EXPECT_TRUE(session.HasChanges());
  holder->Rollback();
  session.Commit();
  EXPECT_FALSE(TdatTranslationHistory(busyCommon).GetStrID("save").empty());
}

TEST_P(DictionaryEditor, DuplicatesEmptyAndTooLongTextsAreRefusedWithAReason) {
  history.AddTranslation("Save", "Speichern", kGermany);
  history.AddTranslation("Open", "\326ffnen", kGermany);
  TDictionaryEditSession session(common);
  std::string save = Id("Save");
  std::string added = session.AddSource("Print");
  struct TCase {
    const char* what;
    std::function<void()> change;
    const char* message;
  } cases[] = {
      {"stored source", [&] { session.AddSource("SAVE"); }, "The source string \"SAVE\" is already in the dictionary."},
      {"pending source", [&] { session.AddSource("print"); },
       "The source string \"print\" is already in the dictionary."},
      {"changed onto another", [&] { session.ChangeSource(save, "open"); },
       "The source string \"open\" is already in the dictionary."},
      {"empty source", [&] { session.AddSource(""); }, "Please enter the source string."},
      {"same translation", [&] { session.AddTranslation(save, "Speichern"); },
       "The translation \"Speichern\" of \"Save\" is already in the dictionary for this language."},
      {"translation of a deleted source",
       [&] {
         session.DeleteSource(added);
         session.AddTranslation(added, "Drucken");
       },
       "The source string is no longer in the dictionary."},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(test::Thrown<EInvalidEntry>(c.change), c.message);
  }
  // Differing in case is another translation; a case change of the source
  // itself is no duplicate; a deleted text can be typed again.
  session.AddTranslation(save, "speichern");
  session.ChangeSource(save, "SAVE");
  session.AddSource("Print");
  session.DeleteSource(Id("Open"));
  session.AddSource("open");
  session.Commit();
  EXPECT_EQ(test::QueryText(common.Database(), "SELECT SourceString FROM StrIdx ORDER BY 1"), "'Print'\n'SAVE'\n'open'\n");

  // Texts are refused whole when their stored form passes the field.
  const std::pair<std::string, bool> lengths[] = {
      {std::string(252, 'a'), true},            // '…' = 254
      {std::string(253, 'a'), false},           // 255
      {std::string(84, '\x01'), true},          // 84 x "$01" = 252
      {std::string(85, '\x01'), false},         // 255: never cut inside a "$01"
      {std::string(249, 'a') + "\x01", true},   // 'a…a'$01 = 254
      {std::string(250, 'a') + "\x01", false},  // 255: a cut would split "$01"
  };
  for (const auto& [text, fits] : lengths) {
    SCOPED_TRACE(EncodeQuotedHex(text).size());
    if (fits) {
      EXPECT_NO_THROW(session.DeleteSource(session.AddSource(text)));
      EXPECT_NO_THROW(session.DeleteTranslation(session.Translations(save).back()));
      session.AddTranslation(save, text);
      continue;
    }
    for (const auto& change : std::vector<std::function<void()>>{
             [&] { session.AddSource(text); }, [&] { session.ChangeSource(save, text); },
             [&] { session.AddTranslation(save, text); },
             [&] { session.ChangeTranslation(session.Translations(save).front(), text); }}) {
      std::string error = test::Thrown<ETextTooLong>(change);
      EXPECT_NE(error.find("is too long for the dictionary"), std::string::npos) << error;
    }
  }
}


TEST_P(DictionaryEditor, TabsNameTheLanguagesAndFilterTheirRows) {
  history.AddTranslation("File", "Datei", kAustria);
  {
    TDictionaryEditSession session(common);
    ASSERT_EQ(session.Tabs().size(), 1u);
    // The language list's names end in the blank before the country.
    EXPECT_EQ(session.Tabs()[0].caption, "German  (Austria)  -  [$0C07] .DEA");
    EXPECT_EQ(session.CurrentLanguage(), kAustria) << "the first tab is current at opening";
  }
  history.AddTranslation("File", "Ablage", kGerman);
  history.AddTranslation("File", "Dossier", kFrance);
  history.AddTranslation("File", "Akte", kGermany);
  TDictionaryEditSession session(common);
  std::vector<std::string> captions;
  for (const TLanguageTab& tab : session.Tabs()) captions.push_back(tab.caption);
  EXPECT_EQ(captions,
            (std::vector<std::string>{"French  (France)  -  [$040C] .FRA", "German   -  [$0007] .DE",
                                      "German  (Austria)  -  [$0C07] .DEA", "German  (Germany)  -  [$0407] .DEU"}));
  std::string file = Id("File");
  const std::pair<int, const char*> shown[] = {
      {kGerman, "Ablage/DE Akte/DEU Datei/DEA"},  // neutral: the whole primary language
      {kAustria, "Datei/DEA"},
      {kGermany, "Akte/DEU"},
  };
  for (const auto& [tab, texts] : shown) {
    session.SelectLanguage(tab);
    EXPECT_EQ(Texts(session, file), texts) << std::hex << tab;
  }
  EXPECT_THROW(session.SelectLanguage(0x0410), std::invalid_argument);

  // A new row takes the current tab's language.
  session.SelectLanguage(kAustria);
  session.AddTranslation(file, "Mappe");
  session.SelectLanguage(kGerman);
  EXPECT_EQ(Texts(session, file), "Ablage/DE Akte/DEU Datei/DEA Mappe/DEA");
  // A language without translations gets its tab when asked.
  session.AddLanguageTab(0x0410);
  EXPECT_EQ(session.CurrentLanguage(), 0x0410);
  session.AddTranslation(file, "Archivio");
  EXPECT_EQ(Texts(session, file), "Archivio/ITA");
  EXPECT_THROW(session.AddLanguageTab(0x00FF), EInvalidEntry);
}

TEST_P(DictionaryEditor, ImportGoesIntoTheSession) {
  history.SetResourceStringTranslation("SOpen", kGermany, "Aufmachen");
  test::TScratchDir dir;
  test::WriteFile(dir.File("strdict.DEU"), "[Strings]\r\nSOpen=\326ffnen\r\nSQuote=Don't\r\n");
  TDictionaryEditSession session(common);
  EXPECT_EQ(session.ImportDictionaryFile(dir.File("strdict.DEU")), kGermany);
  EXPECT_EQ(session.CurrentLanguage(), kGermany);
  EXPECT_EQ(history.GetResourceStringTranslation("SOpen", kGermany), "Aufmachen") << "nothing written yet";
  EXPECT_EQ(Texts(session, Id(".ResourceString.SOpen")), "\326ffnen/DEU");
  session.SetFilter(".resourcestring.sq");
  EXPECT_EQ(Listed(session), std::vector<std::string>{".ResourceString.SQuote"});

  test::WriteFile(dir.File("bad.DEU"), "[Strings]\r\nSOpen=Auf\r\nSLong=" + std::string(100, '\x01') + "\r\n");
  EXPECT_EQ(test::Thrown<ETextTooLong>([&] { session.ImportDictionaryFile(dir.File("bad.DEU")); })
                .rfind("The entry \"SLong\" of \"" + dir.File("bad.DEU") + "\" cannot be imported", 0),
            0u);
  for (const char* name : {"strdict", "strdict.XYZ"}) {
    test::WriteFile(dir.File(name), "[Strings]\r\nSOpen=x\r\n");
    EXPECT_THROW(session.ImportDictionaryFile(dir.File(name)), EDictionaryError) << name;
  }
  EXPECT_EQ(Texts(session, Id(".ResourceString.SOpen")), "\326ffnen/DEU")
      << "a refused file changes nothing";
  session.Commit();
  EXPECT_EQ(history.GetResourceStringTranslation("SOpen", kGermany), "\326ffnen");
  EXPECT_EQ(history.GetResourceStringTranslation("SQuote", kGermany), "Don't");
  EXPECT_EQ(test::QueryCount(common.Database(), "SELECT count(*) FROM TrnsHist"), 2) << "replaced, not added";
}

// Pages carry no keys; a key is looked up by the row's place in the table,
// and by its text when another workstation has moved it meanwhile.
TEST_P(DictionaryEditor, KeysOfListedRowsAreFoundAfterOthersMovedOrDeletedThem) {
  auto& db = common.Database();
  db.Exec("INSERT INTO StrIdx (SourceString, StrID) VALUES ('''A''', 'id-a'), ('''B''', 'id-b'), ('''C''', 'id-c')");
  TDictionaryEditSession session(common);
  ASSERT_EQ(Listed(session), (std::vector<std::string>{"A", "B", "C"}));
  // B's and C's places go to D and E, and C comes back elsewhere; B goes
  // for good.
  db.Exec("DELETE FROM StrIdx WHERE StrID IN ('id-b', 'id-c')");
  db.Exec("INSERT INTO StrIdx (SourceString, StrID) VALUES ('''D''', 'id-d'), ('''E''', 'id-e')");
  db.Exec("INSERT INTO StrIdx (SourceString, StrID) VALUES ('''C''', 'id-c')");
  EXPECT_EQ(session.StrIdAt(0), "id-a");
  EXPECT_EQ(session.StrIdAt(2), "id-c");
  EXPECT_EQ(session.PositionOf("id-c"), 2u);
  EXPECT_EQ(test::Thrown<EInvalidEntry>([&] { session.StrIdAt(1); }),
            "The source string is no longer in the dictionary.");
}

// The list for every typed prefix is exactly the source strings beginning
// with it (without regard to case), in the index's order, whatever the page
// size, with the session's changes merged in.
TEST_P(DictionaryEditor, TheListIsEveryMatchingSourceInOrderAcrossPages) {
  std::vector<std::string> texts = {"Save",  "save as", "SAVE ALL",    "Saver",       "S@ve",      "S[ve", "Sa'ys",
                                    "It's",  "it",      "\xC4nderung", "\xE4nderung", "Tab\there", "Tab",  "'quoted'",
                                    "$cost", "100%",    "~tilde",      "\177del",     "Zebra",     "zoo"};
  for (int i = 0; i < 150; ++i) texts.push_back("Item " + std::to_string(i));
  {
    TWriteTransaction fill(common.Database());
    for (const std::string& t : texts) history.GetOrAddStrID(t);
    fill.Commit();
  }
  // Older tools stored some texts without encoding; they read back unchanged.
  common.Database().Exec(
      "INSERT INTO StrIdx (SourceString, StrID) VALUES ('Sample raw', 'raw-1'), ('item raw', 'raw-2')");
  texts.push_back("Sample raw");
  texts.push_back("item raw");

  const char* prefixes[] = {"",      "s", "SA", "save", "save ", "S@",   "S[", "sa'",    "it'",    "\xC4",    "\xE4",
                            "tab\t", "'", "$",  "100%", "~",     "\x7F", "z",  "item 1", "item r", "nothing", "Sam"};
  // Lists every prefix and compares with the texts of `all` that begin with it.
  auto checkAll = [&](TDictionaryEditSession& session, const std::vector<std::string>& all, bool ordered) {
    for (const char* prefix : prefixes) {
      SCOPED_TRACE(std::string("prefix '") + prefix + "'");
      session.SetFilter(prefix);
      std::vector<std::string> listed = Listed(session);
      std::set<std::string> expected;
      for (const std::string& t : all)
        if (SameText(t.substr(0, std::strlen(prefix)), prefix)) expected.insert(t);
      EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()), expected);
      EXPECT_EQ(listed.size(), expected.size()) << "no row twice";
      EXPECT_EQ(session.CountRows(), static_cast<int64_t>(listed.size()));
      for (size_t i = 1; ordered && i < listed.size(); ++i)
        EXPECT_LE(CompareNoCase(session.Row(i - 1).stored, session.Row(i).stored), 0) << listed[i];
    }
  };
  for (size_t pageSize : {1u, 7u, 200u}) {
    SCOPED_TRACE(pageSize);
    TDictionaryEditSession session(common, pageSize);
    checkAll(session, texts, true);
  }

  // The same with changes waiting in the session.
  TDictionaryEditSession session(common, 7);
  session.ChangeSource(Id("Saver"), "Zaver");
  session.DeleteSource(Id("Item 10"));
  std::string added = session.AddSource("Item 10b");
  session.AddSource("sa'ys more");
  std::vector<std::string> now = texts;
  std::erase(now, "Saver");
  std::erase(now, "Item 10");
  now.insert(now.end(), {"Zaver", "Item 10b", "sa'ys more"});
  checkAll(session, now, false);
  session.SetFilter("item 10");
  EXPECT_FALSE(session.PositionOf(added)) << "not loaded yet";
  Listed(session);
  // Every stored row's key is found again from the page it came in.
  for (size_t i = 0; i < session.LoadedCount(); ++i) {
    if (session.Row(i).state != TSourceRow::TState::Stored) continue;
    EXPECT_EQ(session.StrIdAt(i), Id(session.Row(i).text));
  }
  const TSourceRow& row = session.Row(session.PositionOf(added).value());
  EXPECT_EQ(row.text, "Item 10b");
  EXPECT_EQ(row.state, TSourceRow::TState::New);
  EXPECT_THROW(session.Row(99), std::out_of_range);
}

}  // namespace
}  // namespace kst
