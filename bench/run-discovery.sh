#!/bin/sh
# Network discovery: a probe of 127.0.0.0/24 through HalvaneWrapper.so (halvane-probe, time-out 2 s) with
# five snmpd agents answering as printers on 127.0.0.21-25, against net-snmp's snmpget asking the 254
# hosts one after the other in a shell loop (same time-out, no retries). Same machine, same run.
# Targets: all five printers found, the probe ends within the time-out + 0.5 s, peak RSS < 100 MB.
# The snmpget loop waits out the time-out on every silent host: about 8 minutes for the whole range
# (PELLORA_BENCH_SNMPGET_HOSTS=N asks hosts 1..N only).
set -e
BUILD=$(cd "${1:-build-bench}" && pwd)
TIMEOUT=2
LAST_HOST=${PELLORA_BENCH_SNMPGET_HOSTS:-254}
WORK=$(mktemp -d)
AGENTS=""
cleanup() {
    for pid in $AGENTS; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in $AGENTS; do
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$WORK"
}
trap cleanup EXIT

echo "== network discovery: 127.0.0.0/24, five printers answering, time-out ${TIMEOUT} s"

export MIBS=
for n in 21 22 23 24 25; do
    mkdir -p "$WORK/agent$n"
    cat > "$WORK/agent$n/snmpd.conf" <<EOF
dontLogTCPWrappersConnects yes
rocommunity public 127.0.0.0/8
sysName bench-printer-$n
override .1.3.6.1.2.1.25.3.2.1.2.1 object_id .1.3.6.1.2.1.25.3.1.5
override .1.3.6.1.4.1.2699.1.2.1.2.1.1.3.1 octet_str "MFG:VARDO;MDL:RX-C34$n;"
override .1.3.6.1.2.1.2.2.1.6.1 octet_str 0x0000AA0000$n
EOF
    SNMP_PERSISTENT_DIR="$WORK/agent$n/state" snmpd -f -C -c "$WORK/agent$n/snmpd.conf" \
        -Lf "$WORK/agent$n/snmpd.log" -p "$WORK/agent$n/snmpd.pid" -I -hr_device,interfaces,ifTable,smux \
        "udp:127.0.0.$n:161" > /dev/null 2>&1 &
    AGENTS="$AGENTS $!"
done
for n in 21 22 23 24 25; do
    tries=0
    until snmpget -v2c -c public -t 1 -r 0 "127.0.0.$n" 1.3.6.1.2.1.1.5.0 > /dev/null 2>&1; do
        tries=$((tries + 1))
        [ "$tries" -lt 15 ] || { echo "snmpd on 127.0.0.$n does not answer" >&2; exit 1; }
    done
done

/usr/bin/time -f "%e %M" -o "$WORK/probe-time" "$BUILD/tools/halvane-probe" "$BUILD/bin/HalvaneWrapper.so" \
    --timeout "$TIMEOUT" --network 127.0.0.0 255.255.255.0 > "$WORK/probe-out"

start=$(date +%s.%N)
i=1
: > "$WORK/snmpget-out"
while [ "$i" -le "$LAST_HOST" ]; do
    snmpget -v2c -c public -t "$TIMEOUT" -r 0 -Oqv "127.0.0.$i" 1.3.6.1.2.1.25.3.2.1.2.1 1.3.6.1.2.1.1.5.0 \
        1.3.6.1.4.1.2699.1.2.1.2.1.1.3.1 >> "$WORK/snmpget-out" 2>/dev/null || true
    i=$((i + 1))
done
end=$(date +%s.%N)

python3 - "$WORK/probe-out" "$(cat "$WORK/probe-time")" "$WORK/snmpget-out" "$start" "$end" "$TIMEOUT" "$LAST_HOST" <<'PY'
import sys
lines = [line.rstrip("\n").split("\t") for line in open(sys.argv[1])]
results = [line for line in lines if line[0] == "result"]
end = [line for line in lines if line[0] == "end"]
wall, rss_kb = sys.argv[2].split()
printers = sum(1 for line in open(sys.argv[3]) if "25.3.1.5" in line)
loop = float(sys.argv[5]) - float(sys.argv[4])
timeout, hosts = float(sys.argv[6]), int(sys.argv[7])
ends_ms = int(end[0][1]) if end else -1
first_ms = min((int(r[1]) for r in results), default=-1)
print(f"halvane-probe     {len(results)} printers, first after {first_ms} ms, end mark after {ends_ms} ms, "
      f"{float(wall):.2f} s wall, peak RSS {int(rss_kb)/1024:.1f} MB")
for r in sorted(results, key=lambda r: r[2]):
    print(f"                  {r[2]:12s} {r[3]:18s} {r[4]}  {r[6]}  ({r[1]} ms)")
print(f"snmpget loop      {printers} printers among hosts 1-{hosts}, {loop:.1f} s wall")
print(f"all five found    {'yes' if len(results) == 5 else 'NO'}")
print(f"end mark          {ends_ms/1000:.2f} s (target <= {timeout + 0.5:.1f} s)")
print(f"peak RSS          {int(rss_kb)/1024:.1f} MB (target < 100)")
print(f"speed-up          {loop / float(wall):.0f} x wall over the snmpget loop")
PY
