// The engine configuration file and connections to an alias's database.
#include "platform/database_engine.h"

#include <stdexcept>

#include "platform/file_utils.h"
#include "platform/ini_file.h"
#include "platform/same_text.h"

namespace kst {

namespace {

constexpr const char* kNetDirSection = "DRIVERS\\PARADOX\\INIT";
constexpr const char* kAliasPrefix = "ALIASES\\";
constexpr const char* kEngineSection = "DRIVERS\\SQLITE\\INIT";

std::string CheckedJournalMode(std::string_view mode) {
  for (const char* known : {"WAL", "DELETE"})
    if (SameText(mode, known)) return known;
  throw std::invalid_argument("Unknown journal mode \"" + std::string(mode) + "\"; use WAL or DELETE");
}

std::string AliasSection(std::string_view alias) { return kAliasPrefix + std::string(alias); }

}  // namespace

TDatabaseEngine::TDatabaseEngine(const TRegistryLocation& location, TBusyPolicy policy)
    : configFile_(location.UserDirectory() + "/engine.ini"), policy_(policy) {}

std::string TDatabaseEngine::GetAliasPath(std::string_view alias) const {
  try {
    TIniFile ini(configFile_);
    // The last PATH line wins, as the engine's parameter list reads.
    std::string path;
    for (const std::string& key : ini.ReadSection(AliasSection(alias)))
      if (SameText(key, "PATH")) path = ini.ReadString(AliasSection(alias), key, "");
    return path;
  } catch (...) {
    return {};
  }
}

void TDatabaseEngine::SetAliasPath(std::string_view alias, std::string_view directory) {
  ForceDirectories(ExtractFileDir(configFile_));
  TIniFile ini(configFile_);
  ini.BeginUpdate();
  ini.EraseSection(AliasSection(alias));
  ini.WriteString(AliasSection(alias), "TYPE", "PARADOX");
  ini.WriteString(AliasSection(alias), "PATH", directory);
  ini.EndUpdate();
}

std::vector<std::string> TDatabaseEngine::AliasNames() const {
  std::vector<std::string> names;
  try {
    TIniFile ini(configFile_);
    for (const std::string& section : ini.ReadSections())
      if (StartsWithText(section, kAliasPrefix)) names.push_back(section.substr(std::string_view(kAliasPrefix).size()));
  } catch (...) {
  }
  return names;
}

std::string TDatabaseEngine::GetParadoxNetDir() const {
  try {
    TIniFile ini(configFile_);
    // The key compares without regard to case already.
    return ini.ReadString(kNetDirSection, "NET DIR", "");
  } catch (...) {
    return {};
  }
}

void TDatabaseEngine::SetParadoxNetDir(std::string_view directory) {
  ForceDirectories(ExtractFileDir(configFile_));
  TIniFile ini(configFile_);
  ini.WriteString(kNetDirSection, "NET DIR", directory);
}

std::string TDatabaseEngine::DatabaseFileOf(std::string_view alias) const {
  std::string path = GetAliasPath(alias);
  if (path.empty())
    throw EDatabaseError("The database alias \"" + std::string(alias) + "\" has no directory; set it up first (" +
                         configFile_ + ")");
  path = ToInternalPath(path);
  if (!DirectoryExists(path))
    throw EDatabaseError("The dictionary directory \"" + path + "\" of the alias \"" + std::string(alias) +
                         "\" does not exist");
  return path + (path.ends_with('/') ? "" : "/") + kDatabaseFileName;
}

std::string TDatabaseEngine::GetJournalMode() const {
  try {
    return CheckedJournalMode(TIniFile(configFile_).ReadString(kEngineSection, "JOURNAL MODE", "WAL"));
  } catch (...) {
    return "WAL";
  }
}

void TDatabaseEngine::SetJournalMode(std::string_view mode) {
  std::string checked = CheckedJournalMode(mode);
  ForceDirectories(ExtractFileDir(configFile_));
  TIniFile(configFile_).WriteString(kEngineSection, "JOURNAL MODE", checked);
}

std::unique_ptr<TSqliteDatabase> TDatabaseEngine::Connect(std::string_view alias) const {
  return ConnectFile(DatabaseFileOf(alias));
}

std::unique_ptr<TSqliteDatabase> TDatabaseEngine::ConnectFile(const std::string& databaseFile) const {
  auto db = std::make_unique<TSqliteDatabase>(databaseFile, policy_);
  // A database another process keeps open in the other mode stays in that
  // mode; every connection then follows it, which is what matters.
  db->Exec("PRAGMA journal_mode = " + GetJournalMode());
  // A commit is on disk before it returns, so nothing committed is lost.
  db->Exec("PRAGMA synchronous = FULL");
  return db;
}

}  // namespace kst
