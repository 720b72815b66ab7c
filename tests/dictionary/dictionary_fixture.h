// What the dictionary tests share: a scratch dictionary with the program's
// data modules on it, and the check of an OK that others' changes may refuse.
#pragma once

#include <gtest/gtest.h>

#include <functional>

#include "dictionary/dictionary_schema.h"
#include "dictionary/edit_errors.h"
#include "dictionary/translation_history.h"
#include "support/dictionary_place.h"

namespace kst::test {

// \326 is Ö, \337 ß in code page 1252 (octal, so that no letter after it is read as a hex digit).
inline constexpr int kGermany = 0x0407, kAustria = 0x0C07, kGerman = 0x0007, kFrance = 0x040C;

class TDictionary {
public:
  explicit TDictionary(TBusyPolicy policy = {}, const std::string& journalMode = "WAL",
                       TBackend backend = TBackend::Sqlite)
      : place(policy, journalMode, backend) {
    Reopen();
  }
  explicit TDictionary(TBackend backend) : TDictionary({}, "WAL", backend) {}
  // Starts the data modules again on the same directory, as the next run of the program does.
  void Reopen() {
    history.reset();
    common.reset();
    common = std::make_unique<TdatCommon>(place.engine, interaction);
    history = std::make_unique<TdatTranslationHistory>(*common);
  }
  std::vector<std::string> Known(std::string_view source, int lang) {
    std::vector<std::string> list{"left over"};  // replaced, not appended to
    history->GetKnownTranslations(source, lang, list);
    return list;
  }
  // The rows of `from`: a table, and a WHERE clause when wanted.
  long long Count(const std::string& from) { return QueryCount(common->Database(), "SELECT count(*) FROM " + from); }
  std::string Text(const std::string& sql) { return QueryText(common->Database(), sql); }

  TDictionaryPlace place;
  TRecordingInteraction interaction;
  std::unique_ptr<TdatCommon> common;
  std::unique_ptr<TdatTranslationHistory> history;
};

// "OK" after another workstation changed the same rows: refused with exactly
// `conflict` (empty: accepted), writing nothing and keeping the changes until discarded.
template <class TDialog>
void ExpectOk(TDialog& mine, const std::function<void()>& ok, const std::string& conflict,
              const std::function<std::string()>& snapshot) {
  const std::string before = snapshot();
  if (conflict.empty()) return ok();
  try {
    ok();
    ADD_FAILURE() << "overwrote the other workstation's change";
  } catch (const EEditConflict& e) {
    EXPECT_EQ(e.Entries(), std::vector<std::string>{conflict});
    EXPECT_NE(std::string(e.what()).find(conflict), std::string::npos) << e.what();
  }
  EXPECT_EQ(snapshot(), before);
  EXPECT_TRUE(mine.HasChanges()) << "a refused OK keeps the changes";
  EXPECT_EQ(mine.DiscardConflictingChanges(), std::vector<std::string>{conflict});
  ok();
}

}  // namespace kst::test
