#!/usr/bin/env bash
# Mutation spot check: each patch beside this script brings back one fault that was mended. For each
# one the tree is patched, rebuilt and tested (all but the fuzz label); the failing tests are the
# ones that catch the fault. The patch is always taken out again, whatever happens.
#
#   run.sh TREE [BUILD_DIR]
#
# TREE       a git work tree of the engine (patches apply at its root)
# BUILD_DIR  default TREE/build/gcc; configured here with -DKELVARO_WERROR=OFF so that a mutated
#            build with, say, an unused variable still builds
#
# Environment: MUT_PATCHES (folder of the patches, default the folder of this script; spares/ holds
# more), MUT_OUT (folder for result-<name>.md and logs-<name>/, default the folder of this script),
# MUT_NAME (the <name>, default the tree's folder name), MUT_BUILD_JOBS (4), MUT_TEST_JOBS (6),
# MUT_TEST_TIMEOUT (seconds per test, 300), MUT_ONLY (words, e.g. "02 09": only the patches whose
# file name holds one of them).
set -u

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 TREE [BUILD_DIR]" >&2
    exit 2
fi
tree="$(cd "$1" && pwd)" || exit 2
build="${2:-$tree/build/gcc}"
name="${MUT_NAME:-$(basename "$tree")}"
out_dir="${MUT_OUT:-$here}"
build_jobs="${MUT_BUILD_JOBS:-4}"
test_jobs="${MUT_TEST_JOBS:-6}"
test_timeout="${MUT_TEST_TIMEOUT:-300}"
only="${MUT_ONLY:-}"
patches="${MUT_PATCHES:-$here}"
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-/work}"

result="$out_dir/result-$name.md"
work="$(mktemp -d)"
log="$out_dir/run-$name.log"
applied=""

log_line() { echo "[$(date -u +%H:%M:%S)] $*" | tee -a "$log"; }

# Whatever stops the run, the tree is left without the patch.
take_out() {
    if [ -n "$applied" ]; then
        if git -C "$tree" apply -R "$applied"; then
            log_line "reversed $(basename "$applied")"
        else
            log_line "COULD NOT REVERSE $(basename "$applied"): the tree needs 'git -C $tree checkout -- src'"
        fi
        applied=""
    fi
}
trap 'take_out; rm -rf "$work"' EXIT
trap 'take_out; exit 130' INT TERM

build_tree() {
    ninja -C "$build" -j"$build_jobs" >"$work/build.log" 2>&1
}

# Runs the suite; leaves the failing test names, one a line, in $work/failed.
run_tests() {
    # A machine whose /dev/null was replaced by a plain file fails tests that have nothing to do
    # with the patch; say so in the log.
    [ -c /dev/null ] || log_line "WARNING: /dev/null is not a device: failures may not be the patch's"
    rm -f "$build/Testing/Temporary/LastTestsFailed.log"
    ctest --test-dir "$build" -j"$test_jobs" -LE fuzz --timeout "$test_timeout" --output-on-failure >"$work/test.log" 2>&1
    local status=$?
    : >"$work/failed"
    if [ -f "$build/Testing/Temporary/LastTestsFailed.log" ]; then
        cut -d: -f2- "$build/Testing/Temporary/LastTestsFailed.log" | sort -u >"$work/failed"
    fi
    # A run that failed without naming a test (ctest itself stopped) counts as one failure.
    if [ $status -ne 0 ] && [ ! -s "$work/failed" ]; then echo "(ctest exited $status)" >"$work/failed"; fi
    grep -q "tests passed" "$work/test.log" || [ -s "$work/failed" ] || echo "(no test summary)" >"$work/failed"
}

: >"$log"
log_line "tree $tree, build $build"
cmake -S "$tree" -B "$build" -G Ninja -DKELVARO_WERROR=OFF >"$work/configure.log" 2>&1 || {
    log_line "configure failed"; cat "$work/configure.log"; exit 1; }

start=$(date +%s)
log_line "baseline build"
if ! build_tree; then log_line "the clean tree does not build"; tail -30 "$work/build.log"; exit 1; fi
log_line "baseline tests"
run_tests
cp "$work/failed" "$work/baseline"
log_line "baseline: $(wc -l <"$work/baseline") failing"

{
    echo "# Mutation results: $name"
    echo
    echo "Tree \`$tree\` at $(git -C "$tree" rev-parse --short HEAD), build \`$build\`, $(date -u '+%Y-%m-%d %H:%M') UTC."
    if [ -s "$work/baseline" ]; then
        echo "Failing before any patch (not counted below): $(paste -sd, "$work/baseline")."
    else
        echo "The clean tree passes every test (fuzz label left out)."
    fi
    echo
    echo "| # | mutation | result | failing tests | first failing tests | seconds |"
    echo "|---|---|---|---|---|---|"
} >"$result"

for patch in "$patches"/*.patch; do
    [ -f "$patch" ] || continue
    base="$(basename "$patch" .patch)"
    if [ -n "$only" ]; then
        wanted=""
        for word in $only; do [[ "$base" == *"$word"* ]] && wanted=yes; done
        [ -n "$wanted" ] || continue
    fi
    number="-" short="$base"
    if [[ "$base" =~ ^[0-9]+- ]]; then number="${base%%-*}" short="${base#*-}"; fi
    t0=$(date +%s)
    status="" count="" names=""
    if ! git -C "$tree" apply "$patch" 2>"$work/apply.log"; then
        status="did not apply"
    else
        applied="$patch"
        log_line "$base: applied, building"
        if ! build_tree; then
            status="did not build"
            mkdir -p "$out_dir/logs-$name"
            cp "$work/build.log" "$out_dir/logs-$name/$base.build.log"
        else
            log_line "$base: testing"
            run_tests
            comm -23 "$work/failed" "$work/baseline" >"$work/new"
            count=$(wc -l <"$work/new")
            names="$(head -3 "$work/new" | paste -sd, | sed 's/,/, /g')"
            if [ "$count" -gt 0 ]; then status="caught"; else status="NOT CAUGHT"; fi
            mkdir -p "$out_dir/logs-$name"
            cp "$work/new" "$out_dir/logs-$name/$base.failed"
            cp "$work/test.log" "$out_dir/logs-$name/$base.ctest.log"
        fi
        take_out
    fi
    seconds=$(( $(date +%s) - t0 ))
    log_line "$base: $status ${count:+($count failing)}"
    echo "| $number | $short | $status | ${count:--} | ${names:--} | $seconds |" >>"$result"
done

log_line "rebuilding the clean tree"
if build_tree; then log_line "clean tree rebuilt"; else log_line "THE CLEAN TREE DOES NOT REBUILD"; fi
total=$(( $(date +%s) - start ))
echo >>"$result"
echo "Whole run: $total s." >>"$result"
log_line "done in $total s: $result"
