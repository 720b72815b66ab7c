# Writes the locale and character-set tables into a C++ source file as raw
# string literals, so that the program carries them.
file(READ "${LOCALES}" locales)
file(READ "${CHARSETS}" charsets)
set(content "// Generated from data/windows-locales.tsv and data/windows-charsets.tsv; do not edit.\n")
string(APPEND content "namespace kst::embedded {\n")
string(APPEND content "extern const char kLocaleTable[] = R\"KSTTSV(${locales})KSTTSV\";\n")
string(APPEND content "extern const char kCharsetTable[] = R\"KSTTSV(${charsets})KSTTSV\";\n")
string(APPEND content "}\n")
file(WRITE "${OUT}.tmp" "${content}")
file(RENAME "${OUT}.tmp" "${OUT}")
