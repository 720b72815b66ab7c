#!/usr/bin/env bash
# The program's main job on the demo project, on a copy, with settings and
# dictionary in a scratch folder, so neither the repository nor your own
# settings change: open it, add German, translate a few texts.
# With a display (DISPLAY or WAYLAND_DISPLAY set), the window opens on the
# copy: choose Project > German (Germany), translate, press Ctrl+F9.
# Without one (or with KST_DEMO_TERMINAL=1), the command line generates and
# compiles the German language module, checks it against the project and
# shows what it holds.
set -euo pipefail
cd "$(dirname "$0")/.."
kst="$PWD/build/bin/kst"
window="$PWD/build/bin/kstrans3"
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

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$window" ] && [ -z "${KST_DEMO_TERMINAL:-}" ]; then
  echo "Opening $project in the window (settings and dictionary in $work)."
  exec "$window" "$project"
fi

"$kst" build compile "$project" DEU
"$kst" build verify "$project" DEU
echo
"$kst" translate show "$project" DEU | sed -n '1,12p'
echo
"$kst" pe resources "$work/demo/project/DEU/Demo.DEU"
echo
echo "The German language module is $work/demo/project/DEU/Demo.DEU"
