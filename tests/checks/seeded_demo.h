// The demo's German translations with one fault of each kind the checks
// know (and some good ones), as a translator might leave them; shared by the
// check's test and the comparison with pofilter.
#pragma once

#include <initializer_list>
#include <utility>

#include "session/translation_session.h"

namespace kst::test {

inline constexpr int kSeededLanguage = 0x0407;

inline void SeedFaults(TTranslationSession& s) {
  for (auto [key, text] : std::initializer_list<std::pair<const char*, const char*>>{
           {"@Texts_SFileNotFound", "Datei wurde nicht gefunden."},
           {"@Texts_SItemsSelected", "%d Eintr\xE4ge ausgew\xE4hlt"},
           {"@Texts_SQuoted", "Der Name \"%0:s\" wird schon verwendet."},
           {"@Texts_SSaveChanges", "\xC4nderungen an %s speichern"},
           {"@Texts_STwoLines", "Die erste Zeile und die zweite Zeile"},
           {"@Texts_SReady", "Bereit"},
           {"#FileDescription", "Demoanwendung von Kestrin Translator."},
           {"Main.dfm:frmMain.Caption", "Kestrin-Vorf\xFChrung"},
           {"Main.dfm:lblItems.Caption", "Eintr\xE4ge:"},
           {"Main.dfm:btnOpen.Hint", "\xD6\x66\x66net eine Textdatei und listet ihre Zeilen"},
           {"Main.dfm:btnOpen.Caption", "&Eine Textdatei \xF6\x66\x66nen..."},
           {"Main.dfm:mnuFile.Caption", "&Datei"},
           {"Main.dfm:mnuFileOpen.Caption", "\xD6&\x66\x66nen..."},
           {"Main.dfm:mnuFileExit.Caption", "&Fertig"},
           {"Main.dfm:mnuHelp.Caption", "&Hilfe"},
           {"Main.dfm:dlgOpen.Filter", "Textdateien (*.txt)|*.text|Alle Dateien (*.*)|*.*"},
           {"About.dfm:lblCopyright.Caption", "Urheberrecht \x81 2026 Kestrin"},
           {"OPTIONS.DFM:chkAutoSave.Caption", "&Automatisch alle 10 Minuten speichern "},
           {"OPTIONS.DFM:rgpStart.Caption", "Beim  Start"},
           {"OPTIONS.DFM:rgpStart.Items.Strings[0]", " Die letzte Datei \xF6\x66\x66nen"}})
    s.SetTranslation(key, text);
}

}  // namespace kst::test
