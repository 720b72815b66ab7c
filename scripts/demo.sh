#!/usr/bin/env bash
# The program's main job on the demo project: open it, add German, translate
# a few texts, generate and compile the German language module, check it
# against the project, and show what it holds. Works on a copy, with settings and dictionary in a scratch folder,
# so neither the repository nor your own settings change.
set -euo pipefail
cd "$(dirname "$0")/.."
kst="$PWD/build/bin/kst"
work="${TMPDIR:-/tmp}/kestrin-demo"
rm -rf "$work" && mkdir -p "$work"
cp -r examples/demo "$work/demo"
export KESTRIN_CONFIG_DIR="$work/config"
project="$work/demo/project/Demo.dpr"

"$kst" dict init "$work/dictionary" >/dev/null
"$kst" project add-language "$project" DEU
"$kst" project add-resource "$project" "$work/demo/project/Greeting.res"
"$kst" translate set "$project" DEU Main.dfm:frmMain.Caption "Kestrin-Demo"
"$kst" translate set "$project" DEU Main.dfm:mnuFile.Caption "&Datei"
"$kst" translate set "$project" DEU Main.dfm:btnOpen.Caption "Ö&ffnen..."
"$kst" translate set "$project" DEU @Texts_SReady "Bereit"
"$kst" translate set "$project" DEU "#FileDescription" "Kestrin Translator, Demo-Anwendung"
"$kst" build compile "$project" DEU
"$kst" build verify "$project" DEU
echo
"$kst" translate show "$project" DEU | sed -n '1,12p'
echo
"$kst" pe resources "$work/demo/project/DEU/Demo.DEU"
echo
echo "The German language module is $work/demo/project/DEU/Demo.DEU"
