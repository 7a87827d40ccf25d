#!/usr/bin/env bash
# Kills a process that saves a case over and over, 20 times at random moments, and checks the
# pair on disk after each kill: both files must read whole and be of one generation. Usage:
#   fuzz/kill_save_loop.sh path/to/save_loop [kills] [save|save-one-by-one]
# (save_loop is built by the test build and by a build with -DHALVORINE_FUZZ=ON). The mode
# save-one-by-one commits each file on its own, as saves did before the pair writer: the
# loop should then report mixed pairs.
set -euo pipefail
tool="$1"
kills="${2:-20}"
mode="${3:-save}"
folder="$(mktemp -d /tmp/halvorine-kill-loop-XXXXXX)"
trap 'rm -rf "$folder"' EXIT

failures=0
seen=""
for k in $(seq 1 "$kills"); do
  touch "$folder/started"
  # Each run counts its generations from its own thousand, so no two runs write alike.
  "$tool" "$mode" "$folder" $((k * 1000)) &
  pid=$!
  # Until this run has saved once, then a random moment within its next saves.
  while [ ! "$folder/loop.rls" -nt "$folder/started" ]; do sleep 0.02; done
  sleep "0.$((RANDOM % 10))$((RANDOM % 10))"
  kill -9 "$pid"
  wait "$pid" 2>/dev/null || true
  if result="$("$tool" check "$folder")"; then
    echo "kill $k: whole pair, $result"
    seen="$seen $result"
  else
    echo "kill $k: FAILED: $result"
    failures=$((failures + 1))
  fi
  # Temporaries a killed save leaves behind are its only trace: short hidden names.
  left=$(find "$folder" -name '.~*' | wc -l)
  rm -f "$folder/started"
  echo "        temporaries left by the killed save: $left"
  find "$folder" -name '.~*' -delete
done
echo "$kills kills, $failures failures"
[ "$failures" -eq 0 ]
