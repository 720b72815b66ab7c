// The dictionary editor's session: the source list by pages and typed
// prefixes (merged with the session's changes), tabs and their filter,
// editing rules, import, and "OK" and "Cancel" against a dictionary that
// other workstations use at the same time.
#include "dictionary/dictionary_editor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <set>

#include "dictionary_fixture.h"
#include "platform/file_utils.h"
#include "platform/same_text.h"

namespace kst {
namespace {

using namespace test;

// Both journal modes (WAL, and DELETE as on a network share), and the server.
struct TEditorPlace {
  const char* journalMode;
  TBackend backend;
};

class DictionaryEditor : public testing::TestWithParam<TEditorPlace>, public TDictionary {
protected:
  DictionaryEditor() : TDictionary({}, GetParam().journalMode, GetParam().backend) {}

  std::string Id(const std::string& source) { return history->GetStrID(source); }
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
  // The whole dictionary as stored: the file's bytes (all in the file
  // itself), or every row of every table on the server.
  std::string Stored() {
    if (GetParam().backend == TBackend::Sqlite) {
      common->Database().Exec("PRAGMA wal_checkpoint(TRUNCATE)");
      return ReadFileBytes(place.DatabaseFile());
    }
    std::string all;
    for (const TTableDef* table : AllTables())
      all += Text("SELECT * FROM " + QuoteName(table->Name()) + " ORDER BY rowid");
    return all;
  }
};

INSTANTIATE_TEST_SUITE_P(Places, DictionaryEditor,
                         testing::Values(TEditorPlace{"WAL", TBackend::Sqlite},
                                         TEditorPlace{"DELETE", TBackend::Sqlite},
                                         TEditorPlace{"WAL", TBackend::PostgreSql}),
                         [](const testing::TestParamInfo<TEditorPlace>& info) {
                           return info.param.backend == TBackend::PostgreSql ? std::string("PostgreSql")
                                                                             : std::string(info.param.journalMode);
                         });

// One session of the editor: its import goes into the session (the reading
// of the file is the dict-import CLI case's), Cancel leaves the file as it
// was, and OK writes over what others committed meanwhile.
TEST_P(DictionaryEditor, CancelLeavesTheFileAsItWasAndOkWritesOverWhatOthersCommittedMeanwhile) {
  history->AddTranslation("Save", "Speichern", kGermany);
  history->AddTranslation("Open", "\326ffnen", kGermany);
  history->AddTranslation("File", "Fichier", kFrance);
  history->SetResourceStringTranslation("SOpen", kGermany, "Aufmachen");
  const std::string before = Stored();
  TScratchDir dir;
  WriteFile(dir.File("strdict.DEU"), "[Strings]\r\nSOpen=\326ffnen\r\nSQuote=Don't\r\n");
  WriteFile(dir.File("bad.DEU"), "[Strings]\r\nSOpen=Auf\r\nSLong=" + std::string(100, '\x01') + "\r\n");
  auto edit = [&](TDictionaryEditSession& session) {
    EXPECT_EQ(session.ImportDictionaryFile(dir.File("strdict.DEU")), kGermany);
    EXPECT_EQ(session.CurrentLanguage(), kGermany) << "the imported language's tab";
    session.ChangeSource(Id("Save"), "Save as");
    session.DeleteSource(Id("Open"));
    session.AddTranslation(session.AddSource("Don't"), "Nicht");
  };
  {
    TDictionaryEditSession session(*common);
    edit(session);
    EXPECT_TRUE(session.HasChanges());
    session.Rollback();
  }
  {
    TDictionaryEditSession session(*common);
    edit(session);
  }  // closed without OK
  EXPECT_EQ(Stored(), before);

  TDictionaryEditSession session(*common);
  edit(session);
  EXPECT_EQ(Thrown<ETextTooLong>([&] { session.ImportDictionaryFile(dir.File("bad.DEU")); })
                .rfind("The entry \"SLong\" of \"" + dir.File("bad.DEU") + "\" cannot be imported", 0),
            0u);
  EXPECT_EQ(Texts(session, Id(".ResourceString.SOpen")), "\326ffnen/DEU") << "replaced; a refused file changes nothing";
  // Another workstation is not kept out by the pending changes, and the
  // session shows what it committed under them.
  auto start = std::chrono::steady_clock::now();
  TdatCommon otherWorkstation(place.engine, interaction);
  TdatTranslationHistory other(otherWorkstation);
  other.AddTranslation("Print", "Drucken", kGermany);
  other.AddTranslation("Save", "Sichern", kGermany);
  other.AddTranslation("DON'T", "Nein", kGermany);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  session.Refresh();
  EXPECT_EQ(Listed(session), (std::vector<std::string>{".ResourceString.SOpen", ".ResourceString.SQuote", "DON'T",
                                                       "Don't", "File", "Print", "Save as"}))
      << "of equal keys the stored row first";
  // Both added the source: dropping that conflict joins the session's
  // translation to their row and keeps every other change.
  EXPECT_THROW(session.Commit(), EEditConflict);
  EXPECT_EQ(session.DiscardConflictingChanges(),
            std::vector<std::string>{"The source string \"Don't\" was added by another workstation."});
  session.Commit();
  EXPECT_FALSE(session.HasChanges());
  // The deleted source took its translation.
  EXPECT_EQ(Text("SELECT s.SourceString, t.LangId, t.Translation FROM StrIdx s "
                 "LEFT JOIN TrnsHist t ON t.SourceStrID = s.StrID ORDER BY 1, 3"),
            "'.ResourceString.SOpen'|1031|$D6'ffnen'\n'.ResourceString.SQuote'|1031|'Don'$27't'\n"
            "'DON'$27'T'|1031|'Nein'\n'DON'$27'T'|1031|'Nicht'\n'File'|1036|'Fichier'\n'Print'|1031|'Drucken'\n"
            "'Save as'|1031|'Sichern'\n'Save as'|1031|'Speichern'\n");
}

TEST_P(DictionaryEditor, ConcurrentChangesToTheSameRowsAreReportedNotOverwritten) {
  using TEdit = std::function<void(TDictionaryEditSession&, const std::string& save)>;
  auto changeSource = [](const char* text) -> TEdit { return [text](auto& s, auto& id) { s.ChangeSource(id, text); }; };
  auto addTranslation = [](const char* t) -> TEdit { return [t](auto& s, auto& id) { s.AddTranslation(id, t); }; };
  auto changeTranslation = [](const char* text) -> TEdit {
    return [text](auto& s, auto& id) { s.ChangeTranslation(s.Translations(id).at(0), text); };
  };
  const TEdit deleteSource = [](auto& s, auto& id) { s.DeleteSource(id); };
  const TEdit deleteTranslation = [](auto& s, auto& id) { s.DeleteTranslation(s.Translations(id).at(0)); };
  const struct {
    const char* what;
    TEdit mine, theirs;
    std::string conflict;  // empty when OK must succeed
  } cases[] = {
      {"both change the source", changeSource("Save as"), changeSource("Save!"),
       "The source string \"Save\" was changed by another workstation; it now reads \"Save!\"."},
      {"change against deletion", changeSource("Save as"), deleteSource,
       "The source string \"Save\" was deleted by another workstation."},
      {"deletion against a new translation", deleteSource, addTranslation("Sichern"),
       "The translations of \"Save\" were changed by another workstation."},
      {"both delete", deleteSource, deleteSource, ""},
      {"both change a translation", changeTranslation("Sichern"), changeTranslation("Speichern!"),
       "The translation \"Speichern\" of \"Save\" was changed or deleted by another workstation."},
      {"both delete a translation", deleteTranslation, deleteTranslation, ""},
      {"translations of different rows", addTranslation("Sichern"), changeSource("SAVE"), ""},
      {"translation of a deleted source", addTranslation("Sichern"), deleteSource,
       "The translation \"Sichern\" of \"Save\" cannot be stored: its source string was deleted by another "
       "workstation."},
      {"both add a source", [](auto& s, auto&) { s.AddTranslation(s.AddSource("Open"), "\326ffnen"); },
       [](auto& s, auto&) { s.AddSource("OPEN"); }, "The source string \"Open\" was added by another workstation."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TDictionary fresh({}, GetParam().journalMode, GetParam().backend);
    fresh.history->AddTranslation("Save", "Speichern", kGermany);
    const std::string save = fresh.history->GetStrID("Save");
    TDictionaryEditSession mine(*fresh.common), theirs(*fresh.common);
    c.mine(mine, save);
    c.theirs(theirs, save);
    theirs.Commit();
    ExpectOk(
        mine, [&] { mine.Commit(); }, c.conflict,
        [&] {
          return fresh.Text(
              "SELECT SourceString, StrID FROM StrIdx UNION ALL SELECT SourceStrID, LangId || Translation FROM "
              "TrnsHist "
              "ORDER BY 1, 2");
        });
  }
}

// A writer that waits too long gets one clear message while reading goes
// on; the editor keeps its changes for another OK.
TEST_P(DictionaryEditor, ABusyDictionaryRefusesWritersClearlyAndKeepsTheEditorsChanges) {
  TDictionary busy({20, 2}, GetParam().journalMode, GetParam().backend);
  TDictionaryEditSession session(*busy.common);
  session.AddSource("Save");
  auto holder = busy.common->NewConnection();
  holder->BeginWrite();
  EXPECT_EQ(Thrown<EDatabaseBusy>([&] { busy.history->AddTranslation("Save", "Speichern", kGermany); }),
            kDatabaseBusyMessage);
  EXPECT_EQ(busy.Known("Save", kGermany), std::vector<std::string>{});
  EXPECT_THROW(session.Commit(), EDatabaseBusy);
  EXPECT_TRUE(session.HasChanges());
  holder->Rollback();
  session.Commit();
  busy.history->AddTranslation("SAVE", "Speichern", kGermany);
  EXPECT_EQ(busy.Known("save", kGermany), std::vector<std::string>{"Speichern"});
}

TEST_P(DictionaryEditor, DuplicatesEmptyAndTooLongTextsAreRefusedWithAReason) {
  history->AddTranslation("Save", "Speichern", kGermany);
  history->AddTranslation("Open", "\326ffnen", kGermany);
  TDictionaryEditSession session(*common);
  const std::string save = Id("Save"), added = session.AddSource("Print");
  const std::pair<std::function<void()>, const char*> cases[] = {
      {[&] { session.AddSource("SAVE"); }, "The source string \"SAVE\" is already in the dictionary."},
      {[&] { session.AddSource("print"); }, "The source string \"print\" is already in the dictionary."},
      {[&] { session.ChangeSource(save, "open"); }, "The source string \"open\" is already in the dictionary."},
      {[&] { session.AddSource(""); }, "Please enter the source string."},
      {[&] { session.AddTranslation(save, "Speichern"); },
       "The translation \"Speichern\" of \"Save\" is already in the dictionary for this language."},
      {[&] { session.DeleteSource(added), session.AddTranslation(added, "Drucken"); },
       "The source string is no longer in the dictionary."},
  };
  for (const auto& [change, message] : cases) EXPECT_EQ(Thrown<EInvalidEntry>(change), message);
  // Differing in case is another translation; a case change of the source
  // itself is no duplicate; a deleted text can be typed again.
  session.AddTranslation(save, "speichern");
  session.ChangeSource(save, "SAVE");
  session.AddSource("Print");
  session.DeleteSource(Id("Open"));
  session.AddSource("open");
  // Every edit takes a text of 254 stored characters and refuses one of 255 whole.
  const std::string longest(252, 'a'), tooLong = std::string(250, 'a') + "\x01";
  session.DeleteSource(session.AddSource(longest));
  session.AddTranslation(save, longest);
  const std::function<void()> tooLongEdits[] = {
      [&] { session.AddSource(tooLong); }, [&] { session.ChangeSource(save, tooLong); },
      [&] { session.AddTranslation(save, tooLong); },
      [&] { session.ChangeTranslation(session.Translations(save)[0], tooLong); }};
  for (const auto& change : tooLongEdits)
    EXPECT_NE(Thrown<ETextTooLong>(change).find("is too long for the dictionary"), std::string::npos);
  session.Commit();
  EXPECT_EQ(Text("SELECT SourceString FROM StrIdx ORDER BY 1"), "'Print'\n'SAVE'\n'open'\n");
  EXPECT_EQ(Count("TrnsHist"), 3);
  EXPECT_EQ(Count("TrnsHist WHERE Translation = '''" + longest + "'''"), 1) << "whole, not cut";
}

TEST_P(DictionaryEditor, TabsNameTheLanguagesAndFilterTheirRows) {
  history->AddTranslation("File", "Datei", kAustria);
  history->AddTranslation("File", "Ablage", kGerman);
  history->AddTranslation("File", "Dossier", kFrance);
  history->AddTranslation("File", "Akte", kGermany);
  TDictionaryEditSession session(*common);
  std::vector<std::string> captions;
  for (const TLanguageTab& tab : session.Tabs()) captions.push_back(tab.caption);
  // The language list's names end in the blank before the country.
  EXPECT_EQ(captions,
            (std::vector<std::string>{"French  (France)  -  [$040C] .FRA", "German   -  [$0007] .DE",
                                      "German  (Austria)  -  [$0C07] .DEA", "German  (Germany)  -  [$0407] .DEU"}));
  EXPECT_EQ(session.CurrentLanguage(), kFrance) << "the first tab is current at opening";
  const std::string file = Id("File");
  const std::pair<int, const char*> shown[] = {// neutral: the whole primary language
                                               {kGerman, "Ablage/DE Akte/DEU Datei/DEA"},
                                               {kAustria, "Datei/DEA"}, {kGermany, "Akte/DEU"}};
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

// Pages carry no keys; a key is looked up by the row's place in the table,
// and by its text when another workstation has moved it meanwhile.
TEST_P(DictionaryEditor, KeysOfListedRowsAreFoundAfterOthersMovedOrDeletedThem) {
  auto& db = common->Database();
  db.Exec("INSERT INTO StrIdx (SourceString, StrID) VALUES ('''A''', 'id-a'), ('''B''', 'id-b'), ('''C''', 'id-c')");
  TDictionaryEditSession session(*common);
  ASSERT_EQ(Listed(session), (std::vector<std::string>{"A", "B", "C"}));
  // B's and C's places go to D and E, and C comes back elsewhere; B goes for good.
  db.Exec("DELETE FROM StrIdx WHERE StrID IN ('id-b', 'id-c')");
  db.Exec("INSERT INTO StrIdx (SourceString, StrID) VALUES ('''D''', 'id-d'), ('''E''', 'id-e'), ('''C''', 'id-c')");
  EXPECT_EQ(session.StrIdAt(0), "id-a");
  EXPECT_EQ(session.StrIdAt(2), "id-c");
  EXPECT_EQ(session.PositionOf("id-c"), 2u);
  EXPECT_EQ(Thrown<EInvalidEntry>([&] { session.StrIdAt(1); }), "The source string is no longer in the dictionary.");
}

// The list for every typed prefix is exactly the source strings beginning
// with it (without regard to case), in the index's order, whatever the page
// size, with the session's changes merged in.
TEST_P(DictionaryEditor, TheListIsEveryMatchingSourceInOrderAcrossPages) {
  std::vector<std::string> texts = {"Save",  "save as", "SAVE ALL",    "Saver",       "S@ve",      "S[ve", "Sa'ys",
                                    "It's",  "it",      "\xC4nderung", "\xE4nderung", "Tab\there", "Tab",  "'quoted'",
                                    "$cost", "100%",    "~tilde",      "\177del",     "Zebra",     "zoo"};
  for (int i = 0; i < 150; ++i) texts.push_back("Item " + std::to_string(i));
  TWriteTransaction fill(common->Database());
  for (const std::string& t : texts) history->GetOrAddStrID(t);
  fill.Commit();
  // Older tools stored some texts without encoding; they read back unchanged.
  common->Database().Exec("INSERT INTO StrIdx (SourceString, StrID) VALUES ('Sample raw', 'r1'), ('item raw', 'r2')");
  texts.insert(texts.end(), {"Sample raw", "item raw"});

  const char* prefixes[] = {"",      "s", "SA", "save", "save ", "S@",   "S[", "sa'",    "it'",    "\xC4",    "\xE4",
                            "tab\t", "'", "$",  "100%", "~",     "\x7F", "z",  "item 1", "item r", "nothing", "Sam"};
  auto checkAll = [&](TDictionaryEditSession& session, const std::vector<std::string>& all, bool ordered) {
    for (const char* prefix : prefixes) {
      SCOPED_TRACE(std::string("prefix '") + prefix + "'");
      session.SetFilter(prefix);
      std::vector<std::string> listed = Listed(session);
      std::multiset<std::string> expected;  // each once
      for (const std::string& t : all)
        if (SameText(t.substr(0, std::strlen(prefix)), prefix)) expected.insert(t);
      EXPECT_EQ(std::multiset<std::string>(listed.begin(), listed.end()), expected);
      EXPECT_EQ(session.CountRows(), static_cast<int64_t>(listed.size()));
      for (size_t i = 1; ordered && i < listed.size(); ++i)
        EXPECT_LE(CompareNoCase(session.Row(i - 1).stored, session.Row(i).stored), 0) << listed[i];
    }
  };
  for (size_t pageSize : {1u, 7u, 200u}) {
    SCOPED_TRACE(pageSize);
    TDictionaryEditSession session(*common, pageSize);
    checkAll(session, texts, true);
  }

  // The same with changes waiting in the session.
  TDictionaryEditSession session(*common, 7);
  session.ChangeSource(Id("Saver"), "Zaver");
  session.DeleteSource(Id("Item 10"));
  const std::string added = session.AddSource("Item 10b");
  session.AddSource("sa'ys more");
  std::vector<std::string> now = texts;
  std::erase_if(now, [](const std::string& t) { return t == "Saver" || t == "Item 10"; });
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
