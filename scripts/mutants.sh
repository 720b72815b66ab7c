#!/usr/bin/env bash
# Mutation testing: shows that the test suite notices small, plausible faults
# in the core code. Each mutation of scripts/mutants.txt (one exact text
# replacement in one file under src/) is applied on its own; the build is
# brought up to date incrementally and the whole suite run. A mutant is
# KILLED when a test fails or runs out of time, SURVIVED when every test
# passes, BUILD-FAILED when it does not compile (a bad mutant: replace it) and
# NOT-APPLIED when its anchor text is no longer found exactly once (the list
# needs updating). After each mutant the file gets its exact bytes back, and
# on every other way out too (Ctrl-C, a failing command, a kill).
#
# Usage: scripts/mutants.sh [options]
#   --list           print the mutants and exit
#   --check          only verify that every anchor is found exactly once
#   --only ID[,ID]   run only these mutants
#   --build-dir DIR  build directory (default build-mutants), configured once
#                    as RelWithDebInfo without the benchmarks and the window
#   --jobs N         parallel build and test jobs (default: nproc)
#   --timeout S      time limit of one test in seconds (default 120); a
#                    mutant that makes a test loop is killed by it
#   --nice N         niceness of builds and test runs (default 10)
#   --no-baseline    skip building and running the unmutated suite first
#   --force          run even when files to mutate have uncommitted changes
#
# The report is printed and written to BUILD_DIR/mutants-report.txt; the
# build and test output of each mutant is kept in BUILD_DIR/mutants-logs/.
# Exit status: 0 when the run is complete (survivors are the measurement, not
# a failure), 2 when an anchor was not found, 1 when the unmutated suite
# fails or the set-up goes wrong, 130 when interrupted.
set -uo pipefail
# Messages of the traps go to the original stderr (fd 3): a trap may run
# while a command's output is redirected to its log.
exec 3>&2

cd "$(dirname "$0")/.." || exit 1
MUTANTS_FILE=scripts/mutants.txt
BUILD_DIR=build-mutants
JOBS=$(nproc)
TIMEOUT=120
NICE=10
ONLY=""
LIST=0
CHECK=0
FORCE=0
BASELINE=1

die() {
  echo "mutants.sh: $*" >&2
  exit 1
}

while [[ $# -gt 0 ]]; do
  case "$1" in
    --list) LIST=1 ;;
    --check) CHECK=1 ;;
    --only) [[ $# -ge 2 ]] || die "--only needs a list of IDs"; ONLY=$2; shift ;;
    --only=*) ONLY=${1#*=} ;;
    --build-dir) [[ $# -ge 2 ]] || die "--build-dir needs a directory"; BUILD_DIR=$2; shift ;;
    --build-dir=*) BUILD_DIR=${1#*=} ;;
    --jobs|-j) [[ $# -ge 2 ]] || die "--jobs needs a number"; JOBS=$2; shift ;;
    --jobs=*) JOBS=${1#*=} ;;
    --timeout) [[ $# -ge 2 ]] || die "--timeout needs seconds"; TIMEOUT=$2; shift ;;
    --timeout=*) TIMEOUT=${1#*=} ;;
    --nice) [[ $# -ge 2 ]] || die "--nice needs a number"; NICE=$2; shift ;;
    --nice=*) NICE=${1#*=} ;;
    --no-baseline) BASELINE=0 ;;
    --force) FORCE=1 ;;
    -h|--help) sed -n '2,/^set -uo/{/^set -uo/d;s/^# \{0,1\}//;p}' "$0"; exit 0 ;;
    *) die "unknown option $1 (see --help)" ;;
  esac
  shift
done
[[ $JOBS =~ ^[1-9][0-9]*$ ]] || die "--jobs takes a positive number"
[[ $TIMEOUT =~ ^[1-9][0-9]*$ ]] || die "--timeout takes a positive number of seconds"
[[ $NICE =~ ^-?[0-9]+$ ]] || die "--nice takes a number"
command -v python3 >/dev/null || die "python3 is needed to apply the mutations"
[[ -f $MUTANTS_FILE ]] || die "$MUTANTS_FILE not found"

# Reading the list and applying a mutation are exact text operations, done in
# Python so that no character of an anchor has a special meaning.
read -r -d '' HELPER <<'PYTHON'
import os, sys, tempfile

def fail(message):
    print("mutants.sh: " + message, file=sys.stderr)
    sys.exit(1)

def parse(path):
    mutants, current, section = [], None, None
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    for number, line in enumerate(lines, 1):
        where = "%s:%d" % (path, number)
        if line.startswith("##"):
            continue
        if line.startswith("=== "):
            fields = line[4:].split()
            if len(fields) != 2:
                fail(where + ": expected '=== ID PATH'")
            current = {"id": fields[0], "file": fields[1], "desc": "", "anchor": None, "replace": None,
                       "where": where}
            mutants.append(current)
            section = "head"
            continue
        if current is None:
            if line.strip():
                fail(where + ": text before the first '=== ID PATH'")
            continue
        if line in ("--- anchor", "--- replace"):
            section = line[4:]
            current[section] = []
            continue
        if section == "head":
            if line.startswith("desc: "):
                current["desc"] = line[6:].strip()
            elif line.strip():
                fail(where + ": expected 'desc: ...' or '--- anchor'")
        else:
            current[section].append(line)
    seen = set()
    for m in mutants:
        for key in ("anchor", "replace"):
            if m[key] is None:
                fail("%s: mutant %s has no '--- %s' part" % (m["where"], m["id"], key))
            while m[key] and m[key][-1] == "":
                m[key].pop()
            m[key] = "\n".join(m[key])
        if not m["anchor"]:
            fail("%s: mutant %s has an empty anchor" % (m["where"], m["id"]))
        if m["anchor"] == m["replace"]:
            fail("%s: mutant %s changes nothing" % (m["where"], m["id"]))
        if not m["desc"]:
            fail("%s: mutant %s has no description" % (m["where"], m["id"]))
        if m["id"] in seen:
            fail("%s: mutant id %s occurs twice" % (m["where"], m["id"]))
        if os.path.isabs(m["file"]) or ".." in m["file"].split("/"):
            fail("%s: mutant %s must name a file inside the repository" % (m["where"], m["id"]))
        seen.add(m["id"])
    return mutants

def select(mutants, only):
    if not only:
        return mutants
    wanted = [w for w in only.split(",") if w]
    ids = {m["id"] for m in mutants}
    unknown = [w for w in wanted if w not in ids]
    if unknown:
        fail("unknown mutant id(s): " + ", ".join(unknown))
    return [m for m in mutants if m["id"] in wanted]

def find(mutants, ident):
    for m in mutants:
        if m["id"] == ident:
            return m
    fail("unknown mutant id " + ident)

def atomic_write(path, data):
    # The file is replaced in one step, so it is never seen half-written.
    directory = os.path.dirname(path) or "."
    fd, tmp = tempfile.mkstemp(dir=directory, prefix="." + os.path.basename(path) + ".")
    try:
        with os.fdopen(fd, "wb") as f:
            f.write(data)
        os.chmod(tmp, os.stat(path).st_mode & 0o7777)
        os.replace(tmp, path)
    except BaseException:
        os.unlink(tmp)
        raise

def anchor_problem(m):
    try:
        with open(m["file"], "rb") as f:
            text = f.read().decode("utf-8")
    except FileNotFoundError:
        return None, "file %s not found" % m["file"]
    count = text.count(m["anchor"])
    if count != 1:
        return text, "anchor %r found %d times in %s" % (m["anchor"].split("\n")[0], count, m["file"])
    return text, None

command, path = sys.argv[1], sys.argv[2]
mutants = parse(path)
if command == "list":
    for m in select(mutants, sys.argv[3] if len(sys.argv) > 3 else ""):
        print("\t".join((m["id"], m["file"], m["desc"])))
elif command == "check":
    _, problem = anchor_problem(find(mutants, sys.argv[3]))
    if problem:
        print(problem)
        sys.exit(3)
elif command == "apply":
    m = find(mutants, sys.argv[3])
    text, problem = anchor_problem(m)
    if problem:
        print(problem)
        sys.exit(3)
    atomic_write(m["file"], text.replace(m["anchor"], m["replace"], 1).encode("utf-8"))
elif command == "restore":
    with open(sys.argv[3], "rb") as f:
        atomic_write(sys.argv[4], f.read())
else:
    fail("unknown helper command " + command)
PYTHON

helper() { python3 -c "$HELPER" "$@"; }

ROWS=$(helper list "$MUTANTS_FILE" "$ONLY") || exit 1
IDS=() FILES=() DESCS=()
while IFS=$'\t' read -r id file desc; do
  IDS+=("$id") FILES+=("$file") DESCS+=("$desc")
done <<<"$ROWS"
[[ ${#IDS[@]} -gt 0 && -n ${IDS[0]} ]] || die "no mutants selected"

if [[ $LIST == 1 ]]; then
  for i in "${!IDS[@]}"; do printf '%-26s %-40s %s\n' "${IDS[$i]}" "${FILES[$i]}" "${DESCS[$i]}"; done
  echo "${#IDS[@]} mutants"
  exit 0
fi

if [[ $CHECK == 1 ]]; then
  missing=0
  for i in "${!IDS[@]}"; do
    if ! problem=$(helper check "$MUTANTS_FILE" "${IDS[$i]}"); then
      echo "NOT-APPLIED ${IDS[$i]}: $problem"
      missing=$((missing + 1))
    fi
  done
  echo "${#IDS[@]} mutants, $missing anchor(s) not found"
  [[ $missing == 0 ]] && exit 0 || exit 2
fi

# ---- restoring ----------------------------------------------------------------

mkdir -p "$BUILD_DIR" || die "cannot create $BUILD_DIR"
STATE_DIR=$BUILD_DIR/mutants-state
LOG_DIR=$BUILD_DIR/mutants-logs
mkdir -p "$STATE_DIR" "$LOG_DIR" || die "cannot create $STATE_DIR"

# While a mutant is applied, STATE_DIR holds the original bytes ("backup"),
# the mutated ones ("mutated") and the name of the file ("target"). The
# target name is written after the backup and removed first, so it only ever
# names a file whose backup is complete. A file that is neither the original
# nor the mutant has been edited by someone meanwhile: it is left alone.
RESTORE_FAILED=0
restore_file() {
  [[ -f $STATE_DIR/target ]] || return 0
  [[ $RESTORE_FAILED == 0 ]] || return 1  # said once already
  local target
  target=$(<"$STATE_DIR/target")
  if ! cmp -s "$STATE_DIR/backup" "$target"; then
    if [[ -f $STATE_DIR/mutated ]] && ! cmp -s "$STATE_DIR/mutated" "$target"; then
      echo "mutants.sh: $target was edited while it was mutated and is left as it is; its original is" \
        "$STATE_DIR/backup (remove $STATE_DIR/target once it is sorted out)" >&3
      RESTORE_FAILED=1
      return 1
    fi
    helper restore "$MUTANTS_FILE" "$STATE_DIR/backup" "$target" || {
      echo "mutants.sh: COULD NOT RESTORE $target; its original is $STATE_DIR/backup" >&3
      RESTORE_FAILED=1
      return 1
    }
  fi
  # A new modification time even when the bytes were already back, so that
  # the next build recompiles the original instead of keeping the mutant.
  touch "$target"
  rm -f "$STATE_DIR/target" "$STATE_DIR/mutated"
}

# A run that was killed outright may have left a mutant behind.
if [[ -f $STATE_DIR/target ]]; then
  echo "mutants.sh: an earlier run left $(<"$STATE_DIR/target") mutated; restoring it" >&2
  restore_file || exit 1
fi

# shellcheck disable=SC2317  # run by the EXIT trap
on_exit() {
  local rc=$?
  restore_file || rc=1
  exit "$rc"
}
trap on_exit EXIT
trap 'echo "mutants.sh: interrupted" >&3; exit 130' INT TERM HUP

# ---- checks and baseline ------------------------------------------------------

mapfile -t UNIQUE_FILES < <(printf '%s\n' "${FILES[@]}" | sort -u)
if [[ $FORCE != 1 ]] && git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  dirty=$(git status --porcelain -- "${UNIQUE_FILES[@]}")
  if [[ -n $dirty ]]; then
    echo "$dirty" >&2
    die "files to mutate have uncommitted changes; commit or stash them, or use --force"
  fi
fi

run_nice() { nice -n "$NICE" "$@"; }

build() { run_nice cmake --build "$BUILD_DIR" -j "$JOBS" >"$1" 2>&1; }

# --stop-on-failure (CMake 3.18+) ends a killed mutant's run early.
run_tests() {
  run_nice ctest --test-dir "$BUILD_DIR" -j "$JOBS" --timeout "$TIMEOUT" --stop-on-failure --output-on-failure \
    >"$1" 2>&1
}

# The first failing test named by ctest's summary, "(Timeout)" included,
# without the bytes GoogleTest prints for a parameter.
first_failure() {
  sed -n '/The following tests FAILED:/{n;s/^[[:space:]]*//;s/ *# GetParam() = .*\( ([A-Za-z ]*)\)$/\1/;s/ *<[^>]*>//g;p;q}' \
    "$1"
}

if [[ ! -f $BUILD_DIR/CMakeCache.txt ]]; then
  echo "== configuring $BUILD_DIR"
  # The mutants live in the core; the window is left out, as its build and
  # tests would add minutes to every mutant.
  run_nice cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKST_BUILD_BENCH=OFF \
    -DKST_BUILD_UI=OFF \
    >"$LOG_DIR/configure.log" 2>&1 || die "configuring failed; see $LOG_DIR/configure.log"
fi

START=$SECONDS
if [[ $BASELINE == 1 ]]; then
  echo "== baseline: building and running the unmutated suite"
  build "$LOG_DIR/baseline.build.log" || die "the unmutated code does not build; see $LOG_DIR/baseline.build.log"
  run_tests "$LOG_DIR/baseline.test.log" ||
    die "the unmutated suite fails ($(first_failure "$LOG_DIR/baseline.test.log")); see $LOG_DIR/baseline.test.log"
  echo "   passed ($((SECONDS - START)) s)"
fi

# ---- the mutants ----------------------------------------------------------------

STATUS=() NOTES=()
total=${#IDS[@]}
for i in "${!IDS[@]}"; do
  id=${IDS[$i]} file=${FILES[$i]}
  began=$SECONDS
  printf '== [%d/%d] %s (%s) ... ' "$((i + 1))" "$total" "$id" "$file"
  if ! problem=$(helper check "$MUTANTS_FILE" "$id"); then
    STATUS+=(NOT-APPLIED) NOTES+=("$problem")
    echo "NOT-APPLIED: $problem"
    continue
  fi
  rm -f "$STATE_DIR/mutated"
  cp "$file" "$STATE_DIR/backup" || die "cannot back up $file"
  printf '%s' "$file" >"$STATE_DIR/target"
  if ! problem=$(helper apply "$MUTANTS_FILE" "$id"); then
    restore_file || exit 1
    STATUS+=(NOT-APPLIED) NOTES+=("$problem")
    echo "NOT-APPLIED: $problem"
    continue
  fi
  cp "$file" "$STATE_DIR/mutated" || die "cannot keep a copy of the mutated $file"
  if ! build "$LOG_DIR/$id.build.log"; then
    if grep -q "Error running test executable" "$LOG_DIR/$id.build.log"; then
      # The build only failed when listing the tests of a mutated program.
      STATUS+=(KILLED) NOTES+=("listing the tests failed")
    else
      STATUS+=(BUILD-FAILED) NOTES+=("see $LOG_DIR/$id.build.log")
    fi
  elif run_tests "$LOG_DIR/$id.test.log"; then
    STATUS+=(SURVIVED) NOTES+=("")
  else
    failed=$(first_failure "$LOG_DIR/$id.test.log")
    STATUS+=(KILLED) NOTES+=("${failed:-ctest failed, see $LOG_DIR/$id.test.log}")
  fi
  restore_file || exit 1
  echo "${STATUS[-1]} ($((SECONDS - began)) s)"
done

# ---- report ---------------------------------------------------------------------

REPORT=$BUILD_DIR/mutants-report.txt
killed=0 survived=0 broken=0 missing=0
for s in "${STATUS[@]}"; do
  case $s in
    KILLED) killed=$((killed + 1)) ;;
    SURVIVED) survived=$((survived + 1)) ;;
    BUILD-FAILED) broken=$((broken + 1)) ;;
    NOT-APPLIED) missing=$((missing + 1)) ;;
  esac
done
elapsed=$((SECONDS - START))
{
  echo "Mutation testing of $(git rev-parse --short HEAD 2>/dev/null || echo "the working tree")" \
    "on $(date '+%Y-%m-%d %H:%M'), $((elapsed / 60)) min $((elapsed % 60)) s"
  echo
  printf '%-26s %-12s %-40s %s\n' ID RESULT FILE DESCRIPTION
  for i in "${!IDS[@]}"; do
    printf '%-26s %-12s %-40s %s\n' "${IDS[$i]}" "${STATUS[$i]}" "${FILES[$i]}" "${DESCS[$i]}"
  done
  echo
  echo "Details:"
  for i in "${!IDS[@]}"; do
    [[ -n ${NOTES[$i]} ]] && printf '  %-26s %s\n' "${IDS[$i]}" "${NOTES[$i]}"
  done
  echo
  extra=""
  [[ $broken -gt 0 ]] && extra+=", $broken failed to build"
  [[ $missing -gt 0 ]] && extra+=", $missing not applied"
  echo "$total mutants, $killed killed, $survived survived$extra"
} | tee "$REPORT"
echo "(report written to $REPORT)"

[[ $missing -gt 0 ]] && exit 2
exit 0
