# Sourced by the benchmark scripts: the end-to-end tests' virtual X server and work folder (see
# tests/e2e/xvfb_session.sh) with a runtime folder of their own, and two helpers.
source tests/e2e/xvfb_session.sh
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# require_built PROGRAM...: stops with a message unless each program was built.
require_built() {
    for file in "$@"; do
        [ -x "$file" ] || fail "missing $file: build the target $(basename "$file")"
    done
}
# The median of the numbers on standard input, one a line.
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
