#!/usr/bin/env bash
# A take measured in parts on a real single-node Slurm cluster and with GNU
# parallel gives the results of one run over the whole take.
#
#   split-take-test.sh STEREOLINT_BINARY SOURCE_DIR
#
# Makes a 32-frame side-by-side video of three shots (the cut between the
# first two falls between two tasks, the other inside one), starts its own
# munged, slurmctld and slurmd in a scratch folder (stopped by their pid
# files on any exit), and checks that:
#   - scripts/slurm-qc --tasks 4 --wait merges into the report.json one run
#     over the take writes, byte for byte, and into the same RESULTS.csv
#     (the TIME column aside: it is the milliseconds each frame's
#     measurement took, which no two runs share);
#   - after a task's output and done-marker are deleted, --resume runs that
#     task alone and the merge is the same again;
#   - scripts/parallel-qc, on this machine, does the same with the alignment
#     method (its table is ALIGNMENT.csv), and resumes a lost task;
#   - parallel-qc splits a folder of links to the frames, beside hidden
#     files that are no frames, as one run reads it, and refuses --per-shot.
# Exits 77 (a skip for CTest) only when a service cannot start, saying which.
set -euo pipefail
binary=$(realpath "$1")
source_dir=$(realpath "$2")
skip=77

scratch=$(mktemp -d /tmp/stereolint-cluster.XXXXXX)
declare -a pid_files=()
stop_services() {
  local file pid
  # Newest first: slurmd, slurmctld, munged.
  for ((i = ${#pid_files[@]} - 1; i >= 0; --i)); do
    file=${pid_files[i]}
    [[ -s "$file" ]] || continue
    pid=$(cat "$file")
    kill "$pid" 2>/dev/null || continue
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  done
  rm -rf "$scratch"
}
trap stop_services EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
step() { echo "[${SECONDS}s] $*"; }
skip_because() {
  echo "SKIP: $1 cannot start here: $2" >&2
  [[ -f "$scratch/log/$1.log" ]] && tail -n 5 "$scratch/log/$1.log" >&2
  exit $skip
}

# --- the take --------------------------------------------------------------
# Three shots from the image library's sample photographs, each a pan of
# 320 x 180 views whose right view sits 0, 1 and 2 rows higher than the
# left one (PASS, FIX and REJECT under the default limits).
make_take() {
  local data=/usr/share/doc/opencv-doc/examples/data shot=0 frames=(8 12 12) first=1 picture
  mkdir -p "$scratch/frames"
  for picture in aloeL.jpg building.jpg fruits.jpg; do
    ffmpeg -v error -loop 1 -i "$data/$picture" -frames:v "${frames[shot]}" -start_number "$first" \
      -filter_complex "[0:v]scale=360:210,crop=320:182:'n*2':10,split[a][b];\
[a]crop=320:180:0:${shot}[left];[b]crop=320:180:0:0[right];[left][right]hstack" \
      "$scratch/frames/%03d.png"
    first=$((first + frames[shot]))
    shot=$((shot + 1))
  done
  ffmpeg -v error -framerate 24 -i "$scratch/frames/%03d.png" -c:v libx264 -preset veryfast -crf 12 \
    -pix_fmt yuv420p "$scratch/take.mp4"
}

# --- the cluster -----------------------------------------------------------
free_port() {
  local port
  for port in $(shuf -i 20000-60000 -n 40); do
    ss -Hltn "sport = :$port" | grep -q . || { echo "$port"; return 0; }
  done
  return 1
}

start_cluster() {
  local host
  host=$(hostname -s)
  mkdir -p "$scratch"/{state,spool,log,run,munge}
  chmod 700 "$scratch/munge"
  # A munge key and socket of its own, so nothing of the machine's is used.
  mungekey --create --keyfile="$scratch/munge/munge.key" 2>"$scratch/log/munged.log" ||
    skip_because munged "mungekey cannot make a key"
  pid_files+=("$scratch/run/munged.pid")
  /usr/sbin/munged --force --key-file="$scratch/munge/munge.key" \
    --socket="$scratch/munge/munge.socket" --pid-file="$scratch/run/munged.pid" \
    --log-file="$scratch/log/munged.log" --seed-file="$scratch/munge/munged.seed" ||
    skip_because munged "munged exited with $?"
  export SLURM_CONF=$scratch/slurm.conf
  cat >"$SLURM_CONF" <<CONF
ClusterName=stereolint-test
SlurmctldHost=$host
SlurmctldPort=$(free_port)
SlurmdPort=$(free_port)
SlurmUser=$(id -un)
SlurmdUser=root
AuthType=auth/munge
AuthInfo=socket=$scratch/munge/munge.socket
StateSaveLocation=$scratch/state
SlurmdSpoolDir=$scratch/spool
SlurmctldPidFile=$scratch/run/slurmctld.pid
SlurmdPidFile=$scratch/run/slurmd.pid
SlurmctldLogFile=$scratch/log/slurmctld.log
SlurmdLogFile=$scratch/log/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SchedulerType=sched/backfill
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
ReturnToService=2
MpiDefault=none
MessageTimeout=5
NodeName=$host CPUs=$(nproc) RealMemory=4000 State=UNKNOWN
PartitionName=main Nodes=$host Default=YES MaxTime=INFINITE State=UP
CONF
  pid_files+=("$scratch/run/slurmctld.pid")
  /usr/sbin/slurmctld -f "$SLURM_CONF" -i || skip_because slurmctld "slurmctld exited with $?"
  pid_files+=("$scratch/run/slurmd.pid")
  /usr/sbin/slurmd -f "$SLURM_CONF" || skip_because slurmd "slurmd exited with $?"
  for _ in $(seq 100); do
    [[ "$(sinfo -h -o %t 2>/dev/null)" == idle ]] && return 0
    sleep 0.2
  done
  [[ -s "$scratch/run/slurmctld.pid" ]] || skip_because slurmctld "it wrote no pid file"
  skip_because slurmd "the node did not become idle within 20 s ($(sinfo -h -o %t 2>&1))"
}

# --- comparisons -----------------------------------------------------------
# A table without its TIME column.
without_time() {
  awk -F, -v OFS=, 'NR == 1 { for (i = 1; i <= NF; ++i) if ($i == "TIME") t = i }
                    { if (t) $t = ""; print }' "$1"
}

# The merged results in MERGED against one run's in SINGLE: the report and
# the table TABLE.
same_results() {
  local single=$1 merged=$2 table=$3 what=$4
  cmp "$single/report.json" "$merged/report.json" || fail "$what: report.json differs from one run's"
  [[ -s "$single/$table" ]] || fail "the single run wrote no $table"
  diff <(without_time "$single/$table") <(without_time "$merged/$table") >&2 ||
    fail "$what: $table differs from one run's (TIME aside)"
  [[ -s "$merged/report.html" ]] || fail "$what: no report.html"
}

# Deletes a task's output and done-marker and the merged results, as a task
# that failed leaves them.
lose_task() {
  rm -rf "$1/parts/$2" "$1/parts/$2.done" "$1"/report.* "$1"/*.csv
}

# --- the split and the table merge, without a cluster ----------------------
check_split_and_tables() {
  (
    split_take_program=cluster-test
    source "$source_dir/scripts/lib/split-take.sh"
    [[ "$(split_take_ranges 10 4 3 | tr '\n' ' ')" == "001 1 3 002 4 6 003 7 8 004 9 10 " ]] ||
      fail "10 frames in 4 tasks: $(split_take_ranges 10 4 3 | tr '\n' ' ')"
    [[ "$(split_take_ranges 2 5 3 | tr '\n' ' ')" == "001 1 1 002 2 2 " ]] ||
      fail "2 frames in 5 tasks: $(split_take_ranges 2 5 3 | tr '\n' ' ')"
    (($(split_take_task_count 130000 0 5000) == 26)) || fail "130000 frames, 5000 a task"
    # Parts whose rows came in the order their frames finished, the steps of
    # a frame in their order.
    local out=$scratch/tables header=",ID,SIZE,MEDIAN,TIME"
    mkdir -p "$out/parts/001" "$out/parts/002"
    printf '%s\n' "$header" "VERTICAL,2,12,-3,1" "ROTATION,2,12,0.1,1" "VERTICAL,1,12,-2,1" \
      "ROTATION,1,12,0.2,1" >"$out/parts/001/RESULTS.csv"
    printf '%s\n' "$header" "VERTICAL,10,12,-1,1" "ROTATION,10,12,0.3,1" "VERTICAL,9,12,-4,1" \
      "ROTATION,9,12,0.4,1" >"$out/parts/002/RESULTS.csv"
    split_take_merge_table "$out" RESULTS.csv
    [[ "$(cut -d, -f1,2 "$out/RESULTS.csv" | tr '\n' ' ')" == \
       ",ID VERTICAL,1 ROTATION,1 VERTICAL,2 ROTATION,2 VERTICAL,9 ROTATION,9 VERTICAL,10 ROTATION,10 " ]] ||
      fail "the merged table is not in frame order: $(cat "$out/RESULTS.csv")"
    echo "ALIGNMENT,1" >>"$out/parts/002/RESULTS.csv"
    sed -i 1s/TIME/POINTS/ "$out/parts/002/RESULTS.csv"
    split_take_merge_table "$out" RESULTS.csv 2>/dev/null && fail "parts of different headers were merged"
    true
  )
}

# --- the test --------------------------------------------------------------
# Each slurm-qc --wait is bounded, so that a job that never runs fails the
# test and the services are still stopped (CTest's timeout would kill the
# test without its clean-up).
step "the split into ranges and the table merge"
check_split_and_tables
step "making the take"
make_take
step "starting munged, slurmctld, slurmd"
start_cluster
cd "$scratch"
# Stereolint, but failing on the frames 9-16 while the file "failing" exists.
mkdir bin
cat >bin/Stereolint <<SCRIPT
#!/bin/sh
case " \$* " in *" -s 9-16 "*) [ -e "$scratch/failing" ] && exit 1 ;; esac
exec "$binary" "\$@"
SCRIPT
chmod +x bin/Stereolint
ln -s "$(dirname "$binary")/../report/stereolint-report" bin/stereolint-report
touch failing
step "one run over the take"
# --fail-on reject: the REJECT shot ends a run, or a task of its frames, with
# exit code 3, which the split takes for a success.
args=(-i take.mp4 -o VERTICALLY -d Stereolint -t 1 --pictures none --fail-on reject
      -p "WIDTH:10,HEIGHT:10,DETECTOR:GridFAST,EXTRACTOR:ORB,MATCHER:BruteForce-Hamming,HIERARCHY:VERTICAL;ROTATION;SCALE")
status=0
"$binary" "${args[@]}" -m CONSOLE --qc -r single/ >single.log 2>&1 || status=$?
((status == 3)) || fail "one run over the take ended with $status, not 3: $(tail -n 5 single.log)"
grep -q '^Take REJECT: 3 shots (1 PASS, 1 FIX, 1 REJECT), 32 frames$' single.log ||
  fail "the take was meant to have three shots, PASS, FIX and REJECT: $(grep '^Take' single.log)"

# Output folders with a blank, a "%" (sbatch's own patterns) and "$(…)"
# (a shell's) are folders like any other.
slurm='slurm %j'
step "slurm-qc --tasks 4 --wait, task 2 failing"
timeout 90 "$source_dir/scripts/slurm-qc" --tasks 4 --wait --binary bin/Stereolint "$slurm" -- "${args[@]}" \
  >slurm.log 2>&1 && fail "slurm-qc --wait succeeded with a failing task: $(cat slurm.log)"
[[ "$(cat "$slurm/job/ranges")" == $'001 1 8\n002 9 16\n003 17 24\n004 25 32' ]] ||
  fail "unexpected ranges: $(cat "$slurm/job/ranges")"
grep -q "tasks 2 failed" slurm.log || fail "slurm-qc did not name the failed task: $(cat slurm.log)"
[[ -f "$slurm/parts/001.done" && ! -e "$slurm/parts/002.done" && ! -e "$slurm/report.json" ]] ||
  fail "a failed task must leave no done-marker and stop the merge"

rm failing
step "slurm-qc --resume"
timeout 90 "$source_dir/scripts/slurm-qc" --resume "$slurm" --wait >>slurm.log 2>&1 ||
  fail "slurm-qc --resume failed: $(cat slurm.log)"
grep -q '^array [0-9]* tasks 2$' "$slurm/job/jobs" || fail "the resume did not run task 2 alone"
same_results single "$slurm" RESULTS.csv "slurm-qc"
[[ "$(cat "$slurm/parts/001.done") $(cat "$slurm/parts/004.done")" == "0 3" ]] ||
  fail "the done-markers hold the exit codes: $(cat "$slurm"/parts/*.done)"

step "one run and parallel-qc --tasks 3 with the alignment method"
# Two workers a task: a part's rows come in the order its frames finish.
alignment=(-i take.mp4 -o VERTICALLY -d Alignment --pictures none)
"$binary" "${alignment[@]}" -t 1 -m CONSOLE --qc -r single-alignment/ >single-alignment.log 2>&1 ||
  fail "one run of the alignment method failed: $(tail -n 5 single-alignment.log)"
parallel='parallel $(touch injected)'
"$source_dir/scripts/parallel-qc" --tasks 3 --jobs 1 --binary "$binary" "$parallel" -- "${alignment[@]}" -t 2 \
  >parallel.log 2>&1 || fail "parallel-qc failed: $(cat parallel.log)"
[[ ! -e injected ]] || fail "parallel-qc ran a command of the output folder's name"
same_results single-alignment "$parallel" ALIGNMENT.csv "parallel-qc"
lose_task "$parallel" 003
step "parallel-qc --resume after task 3 is lost"
"$source_dir/scripts/parallel-qc" --resume "$parallel" >>parallel.log 2>&1 ||
  fail "parallel-qc --resume failed: $(cat parallel.log)"
grep -q "tasks 3, " parallel.log || fail "the resume did not run task 3 alone: $(cat parallel.log)"
same_results single-alignment "$parallel" ALIGNMENT.csv "parallel-qc --resume"

step "parallel-qc over a folder of links beside hidden companion files"
# Every frame a link (a link farm), and files other systems leave beside
# them: the split counts the frames a run reads, 32, not the files.
mkdir farm
for frame in frames/*.png; do ln -s "../$frame" "farm/${frame##*/}"; done
for name in ._001.png ._017.png .DS_Store; do echo "not a frame" >"farm/$name"; done
sequence=(-i farm -o VERTICALLY -d Alignment --pictures none -t 1)
"$binary" "${sequence[@]}" -m CONSOLE --qc -r single-farm/ >single-farm.log 2>&1 ||
  fail "one run over the link farm failed: $(tail -n 5 single-farm.log)"
"$source_dir/scripts/parallel-qc" --tasks 3 --binary "$binary" farm-out -- "${sequence[@]}" \
  >farm.log 2>&1 || fail "parallel-qc over the link farm failed: $(cat farm.log)"
[[ "$(cat farm-out/job/ranges)" == $'001 1 11\n002 12 22\n003 23 32' ]] ||
  fail "the link farm's ranges: $(cat farm-out/job/ranges)"
same_results single-farm farm-out ALIGNMENT.csv "parallel-qc over a link farm"
"$source_dir/scripts/parallel-qc" --tasks 3 --binary "$binary" per-shot-out -- "${sequence[@]}" \
  --qc --per-shot 2 >per-shot.log 2>&1 && fail "parallel-qc split a --per-shot run"
grep -q '^parallel-qc: --per-shot cannot be split' per-shot.log ||
  fail "--per-shot was not refused by name: $(cat per-shot.log)"
echo "PASS: slurm-qc and parallel-qc merge into one run's results, resumed or not"
