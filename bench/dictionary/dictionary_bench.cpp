// The dictionary under a language save's load: 100,000 distinct pairs added
// as one save does it, then again (all known), into a dictionary that holds
// 1,000,000 translations, against the same rows inserted with raw SQLite in
// one transaction; then look-ups of 10,000 random sources with percentiles.
// The same on a PostgreSQL server when KST_BENCH_POSTGRESQL holds the
// connection string of an empty database made for it (SQL_ASCII); its
// tables are dropped and made again.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "config/interaction.h"
#include "config/text_helpers.h"
#include "dictionary/common.h"
#include "dictionary/translation_history.h"
#include "platform/database_engine.h"
#include "platform/file_utils.h"
#include "support/silent_interaction.h"

namespace kst {
namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

std::string ExistingSource(long long i) { return "Existing text number " + std::to_string(i); }
std::string NewSource(long long i) { return "Menu item caption " + std::to_string(i) + " of the save"; }
std::string NewTranslation(long long i) { return "Men\xFC" "eintrag " + std::to_string(i) + " der Sicherung"; }

constexpr int kGermany = 0x0407;

struct TPlace {
  std::string root;
  std::string template_;
  TRegistryLocation location;
  explicit TPlace(std::string dir)
      : root(dir), template_(dir + "/template.sqlite"), location(TRegistryLocation::InDirectory(dir + "/cfg")) {}
  // A fresh copy of the filled dictionary, with the alias pointing at it.
  TDatabaseEngine Fresh(const std::string& name) const {
    std::string path = root + "/" + name;
    std::filesystem::remove_all(path);
    ForceDirectories(path);
    std::filesystem::copy_file(template_, path + "/" + kDatabaseFileName);
    TDatabaseEngine engine(location);
    engine.SetAliasPath(kDictionaryAlias, path);
    return engine;
  }
};

// Fills a dictionary with `rows` translations, each of its own source, the
// way the raw insert below writes them.
void FillTemplate(const TPlace& place, long long rows) {
  std::string path = place.root + "/fill";
  ForceDirectories(path);
  TDatabaseEngine engine(place.location);
  engine.SetAliasPath(kDictionaryAlias, path);
  bench::TSilentInteraction interaction;
  {
    TdatCommon common(engine, interaction);
    TDatabase& db = common.Database();
    TUniqueIdGenerator ids;
    TWriteTransaction fill(db);
    TStatement s = db.Prepare("INSERT INTO StrIdx (SourceString, StrID) VALUES (?1, ?2)");
    TStatement t = db.Prepare("INSERT INTO TrnsHist (SourceStrID, LangId, Translation) VALUES (?1, ?2, ?3)");
    for (long long i = 0; i < rows; ++i) {
      std::string id = ids.NewUniqueId();
      s.Bind(1, EncodeQuotedHex(ExistingSource(i))).Bind(2, id).Run();
      t.Bind(1, id).Bind(2, i % 7 == 0 ? 0x0C07 : kGermany).Bind(3, EncodeQuotedHex("Vorhanden " + std::to_string(i))).Run();
    }
    fill.Commit();
    db.Exec("PRAGMA wal_checkpoint(TRUNCATE)");
  }
  std::filesystem::copy_file(path + "/" + kDatabaseFileName, place.template_,
                             std::filesystem::copy_options::overwrite_existing);
}

// The rows a baseline inserts, encoded and keyed beforehand.
struct TRawRow {
  std::string source, id, translation;
};
std::vector<TRawRow> RawRows(long long adds) {
  TUniqueIdGenerator ids;
  std::vector<TRawRow> rows;
  rows.reserve(static_cast<size_t>(adds));
  for (long long i = 0; i < adds; ++i)
    rows.push_back({EncodeQuotedHex(NewSource(i)), ids.NewUniqueId(), EncodeQuotedHex(NewTranslation(i))});
  return rows;
}

// The baseline: plain prepared INSERTs of the rows in one transaction; the seconds.
double InsertRaw(TDatabase& db, const std::vector<TRawRow>& rows) {
  auto start = Clock::now();
  TWriteTransaction save(db);
  TStatement s = db.Prepare("INSERT INTO StrIdx (SourceString, StrID) VALUES (?1, ?2)");
  TStatement t = db.Prepare("INSERT INTO TrnsHist (SourceStrID, LangId, Translation) VALUES (?1, ?2, ?3)");
  for (const TRawRow& r : rows) {
    s.Bind(1, r.source).Bind(2, r.id).Run();
    t.Bind(1, r.id).Bind(2, kGermany).Bind(3, r.translation).Run();
  }
  save.Commit();
  return Seconds(start);
}

// Our side: the adds in one save (new, then the same again, all known),
// then look-ups of random existing and added sources.
struct TOurs {
  double add = 0, readd = 0;
  std::vector<double> lookupMicros;
};
void MeasureOurs(TdatTranslationHistory& history, TDatabase& db, long long existing, long long adds,
                 long long lookups, TOurs& ours) {
  for (double* phase : {&ours.add, &ours.readd}) {
    auto start = Clock::now();
    TWriteTransaction save(db);
    for (long long i = 0; i < adds; ++i) history.AddTranslation(NewSource(i), NewTranslation(i), kGermany);
    save.Commit();
    *phase = Seconds(start);
  }
  std::mt19937_64 random(42);
  std::vector<std::string> known;
  for (long long k = 0; k < lookups; ++k) {
    long long i = static_cast<long long>(random() % static_cast<unsigned long long>(existing + adds));
    std::string source = i < existing ? ExistingSource(i) : NewSource(i - existing);
    auto start = Clock::now();
    history.GetKnownTranslations(source, kGermany, known);
    ours.lookupMicros.push_back(Seconds(start) * 1e6);
    benchmark::DoNotOptimize(known);
  }
}

void Report(benchmark::State& state, double raw, TOurs& ours) {
  std::vector<double>& micros = ours.lookupMicros;
  std::sort(micros.begin(), micros.end());
  auto percentile = [&](double p) { return micros.empty() ? 0.0 : micros[static_cast<size_t>(p * (micros.size() - 1))]; };
  state.counters["raw_insert_s"] = raw;
  state.counters["add_s"] = ours.add;
  state.counters["add_again_s"] = ours.readd;
  state.counters["add_vs_raw"] = ours.add / raw;
  state.counters["add_again_vs_raw"] = ours.readd / raw;
  state.counters["lookup_p50_us"] = percentile(0.50);
  state.counters["lookup_p99_us"] = percentile(0.99);
  state.counters["lookup_max_us"] = micros.empty() ? 0.0 : micros.back();
}

void BM_SaveIntoFilledDictionary(benchmark::State& state) {
  const long long existing = state.range(0), adds = state.range(1), lookups = state.range(2);
  std::string dir = NewTemporaryFileName("kstbench");
  std::filesystem::remove(dir);
  ForceDirectories(dir);
  TPlace place(dir);
  FillTemplate(place, existing);
  bench::TSilentInteraction interaction;

  double raw = 0;
  TOurs ours;
  for (auto _ : state) {
    {
      // The baseline: the same rows, encoded and keyed beforehand, inserted
      // into the same schema in one transaction.
      TDatabaseEngine engine = place.Fresh("raw");
      std::unique_ptr<TDatabase> connection = engine.Connect(kDictionaryAlias);
      ConfigureDictionaryConnection(*connection);
      raw = InsertRaw(*connection, RawRows(adds));
    }
    TDatabaseEngine engine = place.Fresh("ours");
    TdatCommon common(engine, interaction);
    TdatTranslationHistory history(common);
    ours = {};
    MeasureOurs(history, common.Database(), existing, adds, lookups, ours);
    state.SetIterationTime(ours.add);
  }
  Report(state, raw, ours);
  std::filesystem::remove_all(dir);
}

// The server's figures. Every round trip counts there, so the baseline is
// what a careful hand would write without our layer: plain prepared INSERTs
// in one transaction. The filling uses INSERTs of many rows at once.
void BM_SaveIntoFilledServerDictionary(benchmark::State& state) {
  const char* connection = std::getenv("KST_BENCH_POSTGRESQL");
  if (!connection || !*connection) {
    state.SkipWithError("set KST_BENCH_POSTGRESQL to the connection string of an empty SQL_ASCII database");
    for (auto _ : state) {
    }
    return;
  }
  const long long existing = state.range(0), adds = state.range(1), lookups = state.range(2);
  std::string dir = NewTemporaryFileName("kstbench");
  std::filesystem::remove(dir);
  ForceDirectories(dir);
  TDatabaseEngine engine(TRegistryLocation::InDirectory(dir + "/cfg"));
  bench::TSilentInteraction interaction;
  {
    std::unique_ptr<TDatabase> db = engine.ConnectServer(connection);
    db->Exec("DROP TABLE IF EXISTS StrIdx, TrnsHist, LangList, HiLight, ModGrps, ModGrps2, tblIni CASCADE");
  }
  TdatCommon common(engine, interaction, engine.ConnectServer(connection));
  TDatabase& db = common.Database();
  {
    TUniqueIdGenerator ids;
    constexpr int kBatch = 500;
    auto values = [](int rows, int fields) {
      std::string sql;
      int p = 0;
      for (int r = 0; r < rows; ++r) {
        sql += r ? ", (" : "(";
        for (int f = 0; f < fields; ++f) sql += (f ? ", ?" : "?") + std::to_string(++p);
        sql += ")";
      }
      return sql;
    };
    TStatement s = db.Prepare("INSERT INTO StrIdx (SourceString, StrID) VALUES " + values(kBatch, 2));
    TStatement t = db.Prepare("INSERT INTO TrnsHist (SourceStrID, LangId, Translation) VALUES " + values(kBatch, 3));
    TWriteTransaction fill(db);
    for (long long i = 0; i < existing; i += kBatch) {
      for (int k = 0; k < kBatch; ++k) {
        std::string id = ids.NewUniqueId();
        s.Bind(2 * k + 1, EncodeQuotedHex(ExistingSource(i + k))).Bind(2 * k + 2, id);
        t.Bind(3 * k + 1, id)
            .Bind(3 * k + 2, (i + k) % 7 == 0 ? 0x0C07 : kGermany)
            .Bind(3 * k + 3, EncodeQuotedHex("Vorhanden " + std::to_string(i + k)));
      }
      s.Run();
      t.Run();
    }
    fill.Commit();
    db.Exec("ANALYZE");
  }
  double raw = 0;
  TOurs ours;
  for (auto _ : state) {
    {
      auto highest = [&](const char* table) {
        TStatement q = db.Prepare(std::string("SELECT coalesce(max(rowid), 0) FROM ") + table);
        return q.Step() ? q.Int(0) : 0;
      };
      const long long sources = highest("StrIdx"), translations = highest("TrnsHist");
      raw = InsertRaw(db, RawRows(adds));
      // The same sources are then new again for our adds.
      TWriteTransaction undo(db);
      db.Prepare("DELETE FROM StrIdx WHERE rowid > ?1").Bind(1, sources).Run();
      db.Prepare("DELETE FROM TrnsHist WHERE rowid > ?1").Bind(1, translations).Run();
      undo.Commit();
      db.Exec("VACUUM ANALYZE StrIdx");
      db.Exec("VACUUM ANALYZE TrnsHist");
    }
    TdatTranslationHistory history(common);
    ours = {};
    MeasureOurs(history, db, existing, adds, lookups, ours);
    state.SetIterationTime(ours.add);
  }
  Report(state, raw, ours);
  std::filesystem::remove_all(dir);
}

BENCHMARK(BM_SaveIntoFilledServerDictionary)
    ->Args({1000000, 100000, 10000})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

BENCHMARK(BM_SaveIntoFilledDictionary)
    ->Args({1000000, 100000, 10000})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

}  // namespace
}  // namespace kst
