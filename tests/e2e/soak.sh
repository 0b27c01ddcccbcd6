#!/usr/bin/env bash
# A long random game: arrows held for random stretches, Space now and then,
# never Escape, for at least 200 000 flipped frames through the title, the
# levels and the end screens. The runner must end normally, and its memory
# must stay flat: the resident size and its peak, read from /proc at fixed
# call counts, may not grow between the first tenth of the run and its end.
#   soak.sh <tirlane> <tirlane-headless> <source dir>
# SOAK_CALLS, SOAK_SEED, SOAK_MIN_FLIPS and SOAK_GROWTH_KIB change the run.
set -euo pipefail

headless=$(realpath "$2")
src=$(realpath "$3")
calls=${SOAK_CALLS:-220000}
seed=${SOAK_SEED:-8}
min_flips=${SOAK_MIN_FLIPS:-200000}
growth_kib=${SOAK_GROWTH_KIB:-256}
sample_every=$((calls / 20))
((sample_every > 0)) || sample_every=1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$src"/assets/* "$work"/ 2>/dev/null || true
cd "$work"

# With the committed winning game at hand, the soak opens with it (its Escape
# dropped) so levels 2 to 4 and the victory screen are part of the run, and
# the random keys take over from the victory screen on.
start=0
if [[ -f $src/tests/data/win.txt ]]; then
    grep -Ev '^[[:space:]]*[0-9]+[[:space:]]+(down|up)[[:space:]]+27[[:space:]]*$' \
        "$src/tests/data/win.txt" >keys.txt || true
    last=$(awk '$1 ~ /^[0-9]+$/ { c = $1 } END { print c + 0 }' keys.txt)
    start=$((last + 1))
fi
python3 "$src/tools/soak/gen_input.py" --seed "$seed" --start "$start" --calls "$calls" >>keys.txt

# The trace goes through a pipe to awk, which sums it up and reads the
# runner's memory from /proc every sample_every calls.
mkfifo trace
"$headless" --calls "$calls" --input keys.txt --trace >trace &
pid=$!
awk -v pid="$pid" -v every="$sample_every" -v total="$calls" '
    function memory(   line, f, rss, hwm) {
        f = "/proc/" pid "/status"
        while ((getline line < f) > 0) {
            if (line ~ /^VmRSS:/) { split(line, a, " "); rss = a[2] }
            if (line ~ /^VmHWM:/) { split(line, a, " "); hwm = a[2] }
        }
        close(f)
        return rss " " hwm
    }
    /^call=/ {
        calls++
        split($2, f, "="); flips = f[2]
        split($3, sc, "="); seen[sc[2]]++
        if (calls % every == 0 && calls < total) print "sample", calls, flips, memory()
        last = $0
    }
    END {
        for (k in seen) print "screen", k, seen[k]
        split(last, l, " "); split(l[2], f, "=")
        print "end", calls, f[2]
    }' <trace >summary
status=0
wait "$pid" || status=$?
wait

if ((status != 0)); then
    echo "soak: tirlane-headless exited with status $status" >&2
    tail -5 summary >&2
    exit 1
fi

read -r _ done_calls flips < <(grep '^end ' summary)
# The sample at a fifth of the run, once every start-up cost is paid and the
# winning game (when there is one) has shown every screen.
read -r _ early_call _ early_rss early_hwm < <(grep "^sample " summary | sed -n 4p)
read -r _ late_call _ late_rss late_hwm < <(grep '^sample ' summary | tail -1)
for v in "$early_rss" "$early_hwm" "$late_rss" "$late_hwm"; do
    if ! [[ $v =~ ^[0-9]+$ ]]; then
        echo "soak: could not read the runner's memory from /proc" >&2
        exit 1
    fi
done
screens=$(awk '$1 == "screen" { print $2 }' summary | sort -n | tr '\n' ' ')

echo "soak: seed $seed, $done_calls calls, $flips frames, screens seen: $screens"
echo "soak: at call $early_call VmRSS ${early_rss} KiB (peak ${early_hwm} KiB)," \
    "at call $late_call VmRSS ${late_rss} KiB (peak ${late_hwm} KiB)"

fail=0
if ((done_calls != calls)); then
    echo "soak: the trace has $done_calls calls, expected $calls" >&2
    fail=1
fi
if ((flips < min_flips)); then
    echo "soak: only $flips frames, expected at least $min_flips" >&2
    fail=1
fi
for screen in 0 1 5; do
    if ! grep -q "^screen $screen " summary; then
        echo "soak: screen $screen never came up" >&2
        fail=1
    fi
done
if [[ -f $src/tests/data/win.txt ]]; then
    for screen in 2 3 4 6; do
        if ! grep -q "^screen $screen " summary; then
            echo "soak: screen $screen never came up (the winning game opens the soak)" >&2
            fail=1
        fi
    done
fi
if ((late_rss - early_rss > growth_kib || late_hwm - early_hwm > growth_kib)); then
    echo "soak: memory grew by more than $growth_kib KiB during play" >&2
    grep '^sample ' summary >&2
    fail=1
fi
exit $fail
