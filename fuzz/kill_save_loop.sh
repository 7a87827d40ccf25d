#!/usr/bin/env bash
# Kills a process that saves a case over and over, and checks the pair on disk after each kill as
# the open command finds it: both files must read whole and be of one generation. Usage:
#   fuzz/kill_save_loop.sh path/to/save_loop [kills] [save|save-one-by-one|at-renames]
# (save_loop is built by the test build and by a build with -DHALVORINE_FUZZ=ON). save kills at
# random moments; at-renames stops each save just before one of its renames (the record's, the
# assessments file's, the items file's, in turn) and kills it there. The mode save-one-by-one
# commits each file on its own, as saves did before the pair writer: the loop should then report
# mixed pairs. Temporaries are not cleared between kills: the next save must remove those of
# the killed ones, so at most the last kill's few may be left.
set -euo pipefail
tool="$1"
kills="${2:-20}"
mode="${3:-save}"
folder="$(mktemp -d /tmp/halvorine-kill-loop-XXXXXX)"
trap 'rm -rf "$folder"' EXIT

failures=0
finished=0
most=0
for k in $(seq 1 "$kills"); do
  touch "$folder/started"
  rm -f "$folder/paused"
  run_mode="$mode"
  if [ "$mode" = at-renames ]; then
    run_mode=save
    # The first rename is the commit record's; the second and third are the two files'.
    export SAVE_LOOP_PAUSE_AT="rename:$(( (k - 1) % 3 + 1 ))"
  fi
  # Each run counts its generations from its own thousand, so no two runs write alike.
  "$tool" "$run_mode" "$folder" $((k * 1000)) &
  pid=$!
  if [ "$mode" = at-renames ]; then
    while [ ! -e "$folder/paused" ]; do sleep 0.01; done
  else
    # Until this run has saved once, then a random moment within its next saves.
    while [ ! "$folder/loop.rls" -nt "$folder/started" ]; do sleep 0.02; done
    sleep "0.$((RANDOM % 10))$((RANDOM % 10))"
  fi
  kill -9 "$pid"
  wait "$pid" 2>/dev/null || true
  left=$(find "$folder" -name '.~*' | wc -l)
  if result="$("$tool" check "$folder" 2>"$folder/said")"; then
    said=""
    if grep -q "has been finished" "$folder/said"; then said=" (the open finished the killed save)"; finished=$((finished + 1)); fi
    echo "kill $k${SAVE_LOOP_PAUSE_AT:+ at ${SAVE_LOOP_PAUSE_AT}}: whole pair, $result$said"
  else
    echo "kill $k: FAILED: $result"
    failures=$((failures + 1))
  fi
  [ "$left" -gt "$most" ] && most=$left
  echo "        temporaries beside the case after the kill: $left"
  rm -f "$folder/started" "$folder/said"
done
echo "$kills kills, $failures failures, $finished saves finished by the next open, at most $most temporaries at once"
[ "$failures" -eq 0 ]
