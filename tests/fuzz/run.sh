#!/usr/bin/env bash
# Runs the fuzz targets of a build made with -DFENMOR_FUZZ=ON for SECONDS each, starting from
# their seeds, each with a fresh temporary folder for what it writes. Fails when a target finds
# a crash, a sanitizer report or a broken property; the input is kept in BUILD/fuzz-artifacts.
#   tests/fuzz/run.sh BUILD SECONDS [NAME...]
# FENMOR_FUZZ_CORPUS=DIR keeps each target's grown corpus in DIR/NAME and starts from it next
# time; further libFuzzer flags can be given in FENMOR_FUZZ_FLAGS (e.g. "-jobs=2 -workers=2").
# The targets named in FENMOR_FUZZ_REPLAY_ONLY only run their seeds once, without a search.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
seconds=$2
shift 2
list="$build/tests/fuzz/fuzzers.txt"
[ -f "$list" ] || { echo "no $list: configure $build with -DFENMOR_FUZZ=ON" >&2; exit 2; }
artifacts="$build/fuzz-artifacts"
mkdir -p "$artifacts"
read -r -a extra <<<"${FENMOR_FUZZ_FLAGS:-}"

status=0
while IFS=$'\t' read -r -a line; do
  name=${line[0]} program=${line[1]}
  if (($#)) && [[ " $* " != *" $name "* ]]; then continue; fi
  work=$(mktemp -d)
  corpus="$work/corpus"
  [ -n "${FENMOR_FUZZ_CORPUS:-}" ] && corpus="$FENMOR_FUZZ_CORPUS/$name"
  mkdir -p "$corpus" "$work/tmp" "$work/cwd"
  for seed in "${line[@]:2}"; do
    [ -e "$seed" ] || continue
    if [ -d "$seed" ]; then cp -n "$seed"/* "$corpus"/ 2>/dev/null || true; else cp -n "$seed" "$corpus"/; fi
  done
  limit=(-max_total_time="$seconds")
  [[ " ${FENMOR_FUZZ_REPLAY_ONLY:-} " == *" $name "* ]] && limit=(-runs=0)
  dict=()
  [ -f "$here/$name.dict" ] && dict=(-dict="$here/$name.dict")
  # An empty working folder: a file written there by a name without its folder is found.
  if (cd "$work/cwd" && TMPDIR="$work/tmp" exec "$program" "${limit[@]}" -timeout=30 -print_final_stats=1 \
      -artifact_prefix="$artifacts/$name-" "${dict[@]}" "${extra[@]}" "$corpus") >"$work/log" 2>&1; then
    runs=$(grep -E '^stat::number_of_executed_units' "$work/log" | awk '{print $2}')
    echo "$name: $runs runs (${limit[*]}), no finding"
  else
    echo "$name: FAILED" >&2
    grep -v -E '^#[0-9]+' "$work/log" | tail -n 60 >&2
    status=1
  fi
  rm -rf "$work"
done <"$list"
exit $status
