#!/usr/bin/env bash
# The installed Stereolint as a user meets it, twice: from the Debian package
# this build makes (CPack), unpacked with dpkg -x into a scratch root, and
# from `cmake --install` into a scratch prefix. In each:
#   - Stereolint, stereolint-report and stereolint-correct --version name the program,
#     its version, the revision and the libraries;
#   - Stereolint measures a real misaligned pair (the "aloe" photograph of
#     opencv-doc, its right view moved down 6 rows), and stereolint-report
#     merges its report into the same report.json;
#   - slurm-qc --help works, and slurm-qc --version finds the Stereolint
#     installed beside it (not the build's, not one on the PATH);
#   - the manual pages read without a warning from man, and the completion
#     offers the methods (-d) and parameter keys (-p).
# The package itself: its name, version and architecture, the libraries it
# depends on, the suggested tools.
#
#   package-test.sh BUILD_DIR CPACK CMAKE MISALIGN_PROGRAM
set -euo pipefail
build=$(realpath "$1") cpack=$2 cmake=$3 misalign=$(realpath "$4")

scratch=$(mktemp -d /tmp/stereolint-package.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
fail() { echo "FAIL: $*" >&2; exit 1; }
step() { echo "[${SECONDS}s] $*"; }
# The installed programs only: no build folder, nothing of ours on the PATH.
export PATH=/usr/bin:/bin

data=/usr/share/doc/opencv-doc/examples/data
"$misalign" "$data/aloeL.jpg" "$data/aloeR.jpg" aloe 6 0 1 >/dev/null
[[ -f aloe-sbs.png ]] || fail "stereolint-misalign made no aloe-sbs.png"
revision=$("$build/app/Stereolint" --version | sed -n 's/^revision //p')

# Checks the programs installed under PREFIX (a root's /usr, or a prefix).
check_installed() {
  local prefix=$1 name=$2 version out
  step "$name: --version"
  version=$("$prefix/bin/Stereolint" --version)
  [[ "$version" == "Stereolint 1.0.0"$'\n'"revision $revision"$'\n'"OpenCV 4."* ]] ||
    fail "$name: Stereolint --version says: $version"
  grep -q '^FFmpeg .*(libavformat [0-9.]*, libavcodec [0-9.]*, libavutil [0-9.]*, libswscale [0-9.]*)$' \
    <<<"$version" || fail "$name: no FFmpeg line in: $version"
  "$prefix/bin/stereolint-report" --version | head -n 1 | grep -qx 'stereolint-report 1.0.0' ||
    fail "$name: stereolint-report --version"
  "$prefix/bin/stereolint-correct" --version | head -n 1 | grep -qx 'stereolint-correct 1.0.0' ||
    fail "$name: stereolint-correct --version"

  step "$name: a misaligned pair measured, its report merged"
  out=$("$prefix/bin/Stereolint" -m CONSOLE -i aloe-sbs.png -o VERTICALLY -d Alignment -t 2 \
    -r "$name-run/" --qc --pictures none --quiet) || fail "$name: the run failed: $out"
  grep -q '^Take ' <<<"$out" || fail "$name: no take line in: $out"
  grep -Eq '^ALIGNMENT VERTICAL : -(5\.9|6\.0)' "$name-run/1_1_RESULT.txt" ||
    fail "$name: VERTICAL is not about -6 rows: $(cat "$name-run/1_1_RESULT.txt")"
  "$prefix/bin/stereolint-report" "$name-merged/" "$name-run/" ||
    fail "$name: stereolint-report could not merge"
  cmp "$name-run/report.json" "$name-merged/report.json" ||
    fail "$name: the merged report.json differs from the run's"
  grep -q "\"revision\": \"$revision\"" "$name-run/report.json" ||
    fail "$name: report.json names no revision $revision"

  step "$name: slurm-qc and parallel-qc"
  "$prefix/bin/slurm-qc" --help | grep -q '^Usage:' || fail "$name: slurm-qc --help"
  out=$("$prefix/bin/slurm-qc" --version)
  [[ "$out" == "slurm-qc runs $(realpath "$prefix/bin/Stereolint"):"$'\n'"Stereolint 1.0.0"* ]] ||
    fail "$name: slurm-qc --version says: $out"
  "$prefix/bin/parallel-qc" --help | grep -q '^Usage:' || fail "$name: parallel-qc --help"

  step "$name: manual pages and completion"
  local page warnings
  for page in Stereolint stereolint-report stereolint-correct; do
    [[ -f "$prefix/share/man/man1/$page.1.gz" ]] || fail "$name: no manual page $page.1.gz"
    warnings=$(MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [[ -z "$warnings" ]] || fail "$name: man warns about $page.1: $warnings"
    MANWIDTH=80 man -l "$prefix/share/man/man1/$page.1.gz" 2>/dev/null | grep -q -- '--version' ||
      fail "$name: $page.1 does not show --version"
  done
  MANWIDTH=80 man -l "$prefix/share/man/man1/Stereolint.1.gz" 2>/dev/null |
    grep -q -- '--pictures all|flagged|worst|none' || fail "$name: Stereolint.1 lacks --pictures"
  complete_words "$prefix/share/bash-completion/completions/Stereolint" Stereolint -d '' |
    grep -qx 'Stereolint Alignment' || fail "$name: -d completes to something else"
  complete_words "$prefix/share/bash-completion/completions/Stereolint" Stereolint -p 'WIDTH:5,HEI' |
    grep -qx '5,HEIGHT:' || fail "$name: -p WIDTH:5,HEI completes to something else"
  [[ -f "$prefix/share/doc/stereolint/README.md" && -f "$prefix/share/doc/stereolint/copyright" ]] ||
    fail "$name: no README.md or copyright in share/doc/stereolint"
}

# What bash completion offers for the words given, the last being the one
# completed: the completion script of FILE loaded as bash-completion does.
complete_words() {
  local file=$1; shift
  bash -c 'source /usr/share/bash-completion/bash_completion; source "$1"; shift
           COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
           _stereolint 2>/dev/null; echo "${COMPREPLY[*]}"' _ "$file" "$@"
}

step "the package"
"$cpack" -G DEB -B "$scratch/cpack" --config "$build/CPackConfig.cmake" >cpack.log 2>&1 ||
  fail "cpack failed: $(cat cpack.log)"
package=$scratch/cpack/stereolint_1.0.0_amd64.deb
[[ -f "$package" ]] || fail "no stereolint_1.0.0_amd64.deb: $(ls "$scratch/cpack")"
depends=$(dpkg-deb --field "$package" Depends)
for library in libopencv-core406 libavcodec59 libqt5core5a libisal2 libstdc++6; do
  grep -q "\\b$library\\b" <<<"$depends" || fail "the package does not depend on $library: $depends"
done
[[ "$(dpkg-deb --field "$package" Suggests)" == *slurm-client*parallel* ]] ||
  fail "the package does not suggest slurm-client and parallel"
dpkg -x "$package" root
check_installed "$scratch/root/usr" package

"$cmake" --install "$build" --prefix "$scratch/prefix" >install.log || fail "cmake --install failed"
check_installed "$scratch/prefix" install
step "passed"
