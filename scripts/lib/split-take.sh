# shellcheck shell=bash
# The st_ variables are set by the sourcing script (see split_take_prepare).
# shellcheck disable=SC2154
# Splitting a take into frame ranges that separate Stereolint runs measure,
# and merging their results into those of one run over the whole take.
# Sourced by scripts/slurm-qc and scripts/parallel-qc, and copied into every
# job folder, whose task and merge scripts source the copy (a cluster node
# may not see the repository, only the shared output folder).
#
# An output folder OUT holds:
#   OUT/job/settings.sh      the saved settings (sourced; see split_take_save)
#   OUT/job/ranges           one line per task: NUMBER FIRST LAST (frames from 1)
#   OUT/job/task.sh N        runs task N (or $SLURM_ARRAY_TASK_ID)
#   OUT/job/merge.sh         merges the parts into OUT/
#   OUT/job/split-take.sh    this file
#   OUT/job/merged           written when a merge succeeded (its time)
#   OUT/job/logs/            task-NNN.log: each task's Stereolint output;
#                            merge.log; the scheduler's own logs
#   OUT/parts/NNN/           the result prefix of task NNN
#   OUT/parts/NNN.done       written when task NNN succeeded: its exit code
#                            (0, or 3 or 4 when --fail-on found its level or
#                            too little to judge)
#   OUT/report.json, OUT/report.html, OUT/RESULTS.csv (and any other table
#   the parts write, e.g. ALIGNMENT.csv): the merged results
#
# Functions print their complaints on standard error, prefixed with the
# calling script's name ($split_take_program), and return non-zero.

split_take_program=${split_take_program:-split-take}

split_take_fail() {
  echo "$split_take_program: $*" >&2
  return 1
}

# Refuses the options the split sets itself: each task's result prefix (-r)
# and frame range (-s); and those a split cannot give as one run does:
# --per-shot finds the shots of the frames a run reads, which differ from
# task to task, and --count-frames analyses nothing.
split_take_check_args() {
  local word
  for word in "$@"; do
    case "$word" in
      -r | -s) split_take_fail "the Stereolint arguments must not hold $word: each task gets its own" \
                 "result prefix (-r) and frame range (-s)"; return 1 ;;
      --per-shot | --per-shot=*)
        split_take_fail "--per-shot cannot be split: each task would find the shots of its own" \
          "frames and analyse other frames than one run over the take; use --every N, or run" \
          "Stereolint on the whole take"; return 1 ;;
      --count-frames) split_take_fail "the Stereolint arguments must not hold --count-frames"; return 1 ;;
    esac
  done
}

# The number of frames of the take, as Stereolint reads them: asked of the
# program itself (--count-frames, with the arguments of the tasks), so that
# the split reads the inputs exactly as a task does (links followed, hidden
# files left out, a video's frames counted when its header only estimates
# them), and refuses what a task would refuse before anything is submitted.
# Uses st_binary and st_args.
split_take_count_frames() {
  local count errors status=0
  errors=$(mktemp)
  count=$("$st_binary" "${st_args[@]}" -m CONSOLE --qc --count-frames 2>"$errors") || status=$?
  if ((status != 0)) || ! [[ "$count" =~ ^[0-9]+$ ]] || ((count == 0)); then
    local why
    # An Error: block's message line, or an argument error's first lines.
    why=$(sed -n 's/^[[:space:]]*\[message *\]: //p' "$errors")
    [[ -n "$why" ]] || why=$(grep -v -e '^HELP:' -e '^[[:space:]]*$' "$errors" | head -n 2)
    rm -f "$errors"
    # The tasks would fail the same way: nothing is submitted.
    split_take_fail "cannot count the frames of the take: Stereolint --count-frames:" \
      "${why//$'\n'/; }"
    return 1
  fi
  rm -f "$errors"
  echo "$count"
}

# Prints the ranges of FRAMES frames in TASKS tasks (fewer when there are
# fewer frames): contiguous, in frame order, and as equal as whole frames
# allow, the first FRAMES mod TASKS tasks taking one frame more. One line
# per task: its number with WIDTH digits, its first and last frame.
split_take_ranges() {
  local frames=$1 tasks=$2 width=$3 size extra first=1 task last
  ((tasks > frames)) && tasks=$frames
  size=$((frames / tasks))
  extra=$((frames % tasks))
  for ((task = 1; task <= tasks; ++task)); do
    last=$((first + size - 1 + (task <= extra ? 1 : 0)))
    printf "%0${width}d %d %d\n" "$task" "$first" "$last"
    first=$((last + 1))
  done
}

# How many tasks FRAMES frames make with --tasks T (T) or with
# --frames-per-task F (as many as keep every task at F frames or fewer).
split_take_task_count() {
  local frames=$1 tasks=$2 per_task=$3
  if ((per_task > 0)); then echo $(((frames + per_task - 1) / per_task)); else echo "$tasks"; fi
}

# The tasks of OUT without a done-marker, as a comma-separated list of
# their numbers (without leading zeros), empty when every task is done.
split_take_unfinished() {
  local out=$1 number first last list=""
  while read -r number first last; do
    [[ -f "$out/parts/$number.done" ]] || list+="${list:+,}$((10#$number))"
  done <"$out/job/ranges"
  echo "$list"
}

# Writes the job folder of OUT: settings, ranges, task and merge scripts.
# Uses the variables the calling script set: st_binary, st_report (absolute
# paths), st_args (array), st_frames, st_tasks; OUT is an absolute path.
split_take_write_job() {
  local out=$1 lib=$2 width=3
  ((${#st_tasks} > width)) && width=${#st_tasks}
  mkdir -p "$out/job/logs" "$out/parts"
  cp "$lib" "$out/job/split-take.sh"
  split_take_ranges "$st_frames" "$st_tasks" "$width" >"$out/job/ranges"
  st_tasks=$(wc -l <"$out/job/ranges")
  st_cwd=$PWD
  declare -p st_binary st_report st_args st_frames st_tasks st_cwd >"$out/job/settings.sh"
  local quoted
  printf -v quoted '%q' "$out"
  cat >"$out/job/task.sh" <<SCRIPT
#!/usr/bin/env bash
# Runs one task of this split: task.sh NUMBER (or the Slurm array index).
source $quoted/job/split-take.sh
split_take_run_task $quoted "\${1:-\${SLURM_ARRAY_TASK_ID:?give the task number}}"
SCRIPT
  cat >"$out/job/merge.sh" <<SCRIPT
#!/usr/bin/env bash
# Merges the parts of this split into the output folder.
source $quoted/job/split-take.sh
split_take_merge $quoted
SCRIPT
  chmod +x "$out/job/task.sh" "$out/job/merge.sh"
}

# Runs task NUMBER of OUT: clears its part (a table is appended to, so a
# second attempt starts from nothing), runs Stereolint on its range with
# --qc into OUT/parts/NNN/, and on exit code 0, 3 or 4 writes the done-marker.
# Returns 0 on success, else Stereolint's exit code.
split_take_run_task() {
  local out=$1 task=$2 number first last found=""
  source "$out/job/settings.sh"
  while read -r number first last; do
    if ((10#$number == task)); then found=1; break; fi
  done <"$out/job/ranges"
  [[ -n "$found" ]] || { split_take_fail "no task $task in $out/job/ranges"; return 2; }
  # Relative paths in the arguments are those of the folder the split was
  # made in (a node of a cluster, or a machine reached by ssh, starts
  # elsewhere).
  cd "$st_cwd" || { split_take_fail "cannot enter $st_cwd"; return 2; }
  rm -rf "$out/parts/$number" "$out/parts/$number.done"
  mkdir -p "$out/parts/$number"
  # The last task reads on to the take's end, wherever that lies: its
  # report then says it reached the end, also of a video whose header
  # counts more frames than it holds.
  local status=0 until=$last
  [[ "$number" == "$(tail -n 1 "$out/job/ranges" | cut -d' ' -f1)" ]] && until=2147483647
  "$st_binary" "${st_args[@]}" -m CONSOLE -s "$first-$until" --qc -r "$out/parts/$number/" \
    >"$out/job/logs/task-$number.log" 2>&1 || status=$?
  if ((status == 0 || status == 3 || status == 4)); then
    echo "$status" >"$out/parts/$number.done"
    return 0
  fi
  split_take_fail "task $number (frames $first-$last) ended with exit code $status;" \
    "see $out/job/logs/task-$number.log"
  return "$status"
}

# Merges one table NAME.csv of the parts into OUT/NAME.csv: the header once,
# then every part's rows ordered by frame (the ID column; a frame's rows
# keep their order), as one Stereolint run with one worker writes them.
split_take_merge_table() {
  local out=$1 name=$2 header="" part first
  local -a parts=()
  for part in "$out"/parts/*/"$name"; do
    [[ -f "$part" ]] || continue
    IFS= read -r first <"$part" || true
    [[ -z "$header" ]] && header=$first
    [[ "$first" == "$header" ]] ||
      { split_take_fail "$part has another header than the other parts' $name"; return 1; }
    parts+=("$part")
  done
  local merged="$out/$name.merging"
  {
    printf '%s\n' "$header"
    for part in "${parts[@]}"; do tail -n +2 "$part"; done | LC_ALL=C sort -s -t, -k2,2n
  } >"$merged"
  mv -f "$merged" "$out/$name"
}

# Merges every part of OUT once all tasks are done: stereolint-report into
# OUT/report.json and OUT/report.html, then each table. Returns non-zero,
# naming the unfinished tasks, when a task has no done-marker.
split_take_merge() {
  local out=$1 unfinished number first last name
  source "$out/job/settings.sh"
  rm -f "$out/job/merged"
  unfinished=$(split_take_unfinished "$out")
  [[ -z "$unfinished" ]] ||
    { split_take_fail "tasks $unfinished of $out are not done: nothing merged"; return 1; }
  local -a prefixes=()
  while read -r number first last; do prefixes+=("$out/parts/$number/"); done <"$out/job/ranges"
  "$st_report" "$out/" "${prefixes[@]}" >"$out/job/logs/merge.log" 2>&1 ||
    { split_take_fail "stereolint-report could not merge the parts; see $out/job/logs/merge.log"; return 1; }
  local -a names=()
  mapfile -t names < <(find "$out/parts" -mindepth 2 -maxdepth 2 -name '*.csv' -printf '%f\n' | sort -u)
  for name in "${names[@]}"; do split_take_merge_table "$out" "$name" || return 1; done
  date -u +%FT%TZ >"$out/job/merged"
  echo "$split_take_program: merged ${#prefixes[@]} parts into $out/"
}

# The Stereolint program a split runs when no --binary is given, for a
# calling script in the folder HERE: build/plain/app/Stereolint of the source
# tree (HERE is its scripts/), else Stereolint beside the script (both
# installed in the same bin/), else Stereolint on the PATH.
split_take_default_binary() {
  local here=$1
  if [[ -x "$here/../build/plain/app/Stereolint" ]]; then realpath "$here/../build/plain/app/Stereolint"
  elif [[ -x "$here/Stereolint" ]]; then echo "$here/Stereolint"
  else command -v Stereolint || { split_take_fail "no Stereolint found: give --binary"; return 1; }
  fi
}

# --version: the calling script's name, then the version text of the
# Stereolint it runs (BINARY, or the default one for the script in HERE).
split_take_version() {
  local here=$1 binary=${2:-}
  [[ -n "$binary" ]] || binary=$(split_take_default_binary "$here") || return 1
  echo "$split_take_program runs $binary:"
  "$binary" --version
}

# The settings of a new split, from the command line of slurm-qc or
# parallel-qc: checks the arguments, resolves the programs, counts the
# frames. Needs st_binary (may be empty), st_args, st_frames (0 = count),
# st_tasks, st_per_task; sets st_binary, st_report, st_frames, st_tasks.
split_take_prepare() {
  local here=$1 out=$2
  [[ -e "$out/job" ]] &&
    { split_take_fail "$out already holds a split: resume it (--resume $out) or choose another folder"; return 1; }
  ((${#st_args[@]} > 0)) || { split_take_fail "no Stereolint arguments after --"; return 1; }
  split_take_check_args "${st_args[@]}" || return 1
  [[ -n "$st_binary" ]] || st_binary=$(split_take_default_binary "$here") || return 1
  [[ -x "$st_binary" ]] || { split_take_fail "$st_binary is not an executable program"; return 1; }
  st_binary=$(realpath "$st_binary")
  # stereolint-report beside Stereolint: in a build folder, or installed.
  local build
  build=$(dirname "$(dirname "$st_binary")")
  if [[ -x "$build/report/stereolint-report" ]]; then st_report=$build/report/stereolint-report
  elif [[ -x "$(dirname "$st_binary")/stereolint-report" ]]; then st_report=$(dirname "$st_binary")/stereolint-report
  else st_report=$(command -v stereolint-report) || { split_take_fail "no stereolint-report beside $st_binary"; return 1; }
  fi
  if ((st_frames == 0)); then st_frames=$(split_take_count_frames) || return 1; fi
  st_tasks=$(split_take_task_count "$st_frames" "$st_tasks" "$st_per_task")
}

# The number after -t in the Stereolint arguments (1 when absent).
split_take_threads() {
  local threads=1 i
  local -a words=("$@")
  for ((i = 0; i + 1 < ${#words[@]}; ++i)); do
    [[ "${words[i]}" == "-t" && "${words[i + 1]}" =~ ^[0-9]+$ ]] && threads=${words[i + 1]}
  done
  echo "$threads"
}

# Reads a whole number option value, refusing anything else.
split_take_number() {
  local option=$1 value=${2-}
  [[ "$value" =~ ^[0-9]+$ ]] && ((10#$value > 0)) ||
    { split_take_fail "$option takes a whole number of at least 1, not \"$value\""; return 1; }
  echo $((10#$value))
}
