#!/bin/sh
# Package build speed: a driver tree of 200 MB (half text, half compressed data) packed by
# "pellora-cli build" against Info-ZIP "zip -r -q" of the same tree, and the package opened again
# (CPackageFile load) against "unzip -q" of its archive; then the package's archive extracted with the
# program's checks against the extraction as it was before them. Same machine, same run, warm file cache.
# Targets: build time <= zip's, peak RSS < 100 MB, checks cost < 5 % of the extraction.
set -e
BUILD=$(cd "${1:-build-bench}" && pwd)
SIZE_MB=${PELLORA_BENCH_TREE_MB:-200}
RUNS=${PELLORA_BENCH_RUNS:-3}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
# The program's temporary folder lies beside the tree, on the same file system.
export TMPDIR="$WORK/tmp"
mkdir -p "$TMPDIR" "$WORK/out"

echo "== package build: ${SIZE_MB} MB driver tree (half text, half compressed data), median of $RUNS runs"

python3 - "$WORK/tree" "$SIZE_MB" <<'PY'
import gzip, os, random, sys

root, megabytes = sys.argv[1], int(sys.argv[2])
half = megabytes * 1024 * 1024 // 2
rnd = random.Random(20261207)
parts = ["x64", "i386", "Drivers", "Common", "Lang", "en-US", "de-DE", "Color", "Fonts", "Help", "Profiles"]
folders = [""]
for _ in range(60):
    folders.append(os.path.join(*[rnd.choice(parts) for _ in range(rnd.randint(1, 4))]))
keys = ["CopyFiles", "DataFile", "ConfigFile", "HelpFile", "DriverFile", "Include", "Needs", "DependentFiles"]
values = ["ntprint.inf", "unidrv.dll", "unidrvui.dll", "VDRX3400.GPD", "VDRXUI.DLL", "stdnames.gpd", "%VARDO%"]
lines = ["%s=%s,%s,%d\r\n" % (rnd.choice(keys), rnd.choice(values), rnd.choice(values), rnd.randint(0, 99999))
         for _ in range(4000)]
lines += ["[%s.%s]\r\n" % (rnd.choice(parts), rnd.choice(keys)) for _ in range(500)]
lines += ["\"VARDO RX-C%d\" = VD%04X.PPD, LPTENUM\\VARDORX%04X\r\n" % (i, i, i) for i in range(1000)]

def size():
    return int(min(8 << 20, max(300, rnd.lognormvariate(10.4, 1.7))))

def place(name):
    folder = os.path.join(root, rnd.choice(folders))
    os.makedirs(folder, exist_ok=True)
    return os.path.join(folder, name)

os.makedirs(root, exist_ok=True)
with open(os.path.join(root, "VARDO.INF"), "w", newline="") as inf:
    inf.write("[Manufacturer]\r\n%VARDO%=VARDO,NTamd64\r\n[VARDO.NTamd64]\r\n\"VARDO RX-C3400\" = RX.PPD\r\n"
              "[Strings]\r\nVARDO=\"VARDO\"\r\n")
written, n = 0, 0
while written < half:
    want = size()
    text = "".join(rnd.choices(lines, k=want // 40 + 1)).encode()[:want]
    with open(place("file%05d.%s" % (n, rnd.choice(["inf", "ini", "txt", "ppd", "gpd"]))), "wb") as out:
        out.write(text)
    written, n = written + len(text), n + 1
written = 0
while written < half:
    data = gzip.compress(os.urandom(size()), compresslevel=1)
    with open(place("data%05d.%s" % (n, rnd.choice(["cab", "gz", "dll", "bin"]))), "wb") as out:
        out.write(data)
    written, n = written + len(data), n + 1
print("tree: %d files, %.1f MB" % (n + 1, sum(os.path.getsize(os.path.join(d, f)) for d, _, fs in os.walk(root) for f in fs) / 1048576))
PY
# Warm the file cache for both sides.
find "$WORK/tree" -type f -exec cat {} + > /dev/null

PROGRAM="$WORK/program"
mkdir -p "$PROGRAM"
cp "$BUILD/bin/Modelname.dat" "$BUILD/bin/TSST0000.dat" "$BUILD/bin/DAVORUDI.so" "$PROGRAM/"
printf '#!/bin/sh\nexit 0\n' > "$PROGRAM/CVSetUp.exe"

# One timed run: "seconds peak-KB" of the command into $WORK/last.
timed() {
    /usr/bin/time -f "%e %M" -o "$WORK/last" "$@" > /dev/null
}
median() {
    sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

PACKAGE="$WORK/out/package.exe"
if [ -x "$BUILD/bin/pellora-cli" ]; then
    cp "$BUILD/bin/pellora-cli" "$PROGRAM/"
    "$PROGRAM/pellora-cli" script --model RX-C3400 --address 10.0.0.5 --folder "$WORK/tree" -o "$WORK/project.qsm" > /dev/null
    BUILDER="pellora-cli build"
    set -- "$PROGRAM/pellora-cli" build "$WORK/project.qsm" -o "$PACKAGE"
else
    BUILDER="PackageBuildBench build"
    set -- "$BUILD/bench/PackageBuildBench" build "$PROGRAM" "$WORK/tree" "$PACKAGE"
fi
: > "$WORK/ours"
: > "$WORK/ours-rss"
: > "$WORK/zip"
: > "$WORK/zip-rss"
i=0
while [ "$i" -lt "$RUNS" ]; do
    rm -f "$PACKAGE" "$WORK/ref.zip"
    timed "$@"
    cut -d' ' -f1 "$WORK/last" >> "$WORK/ours"
    cut -d' ' -f2 "$WORK/last" >> "$WORK/ours-rss"
    (cd "$WORK" && timed zip -r -q "$WORK/ref.zip" tree)
    cut -d' ' -f1 "$WORK/last" >> "$WORK/zip"
    cut -d' ' -f2 "$WORK/last" >> "$WORK/zip-rss"
    i=$((i + 1))
done

# The package's archive on its own, for unzip.
python3 - "$PACKAGE" "$WORK/archive.zip" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
at = 512000 + 12
count = struct.unpack_from("<I", data, at)[0]
at += 4
for _ in range(count + 1):  # the names, then the command string
    length = data[at]
    at += 1
    if length == 0xFF:
        length = struct.unpack_from("<H", data, at)[0]
        at += 2
    at += length
length = struct.unpack_from("<I", data, at)[0]
open(sys.argv[2], "wb").write(data[at + 4:at + 4 + length])
PY
: > "$WORK/load"
: > "$WORK/load-rss"
: > "$WORK/unzip"
i=0
while [ "$i" -lt "$RUNS" ]; do
    rm -rf "$WORK/x1" "$WORK/x2"
    timed "$BUILD/bench/PackageBuildBench" load "$PACKAGE" "$WORK/x1"
    cut -d' ' -f1 "$WORK/last" >> "$WORK/load"
    cut -d' ' -f2 "$WORK/last" >> "$WORK/load-rss"
    timed unzip -q "$WORK/archive.zip" -d "$WORK/x2"
    cut -d' ' -f1 "$WORK/last" >> "$WORK/unzip"
    i=$((i + 1))
done

# The extraction's checks against the extraction before them, on the package's own archive.
CHECKS=$("$BUILD/bench/PackageBuildBench" checks "$WORK/archive.zip" "$WORK/checks" $((RUNS * 2 + 1)))

python3 - "$BUILDER" "$(median < "$WORK/ours")" "$(median < "$WORK/zip")" "$(sort -n "$WORK/ours-rss" | tail -1)" \
    "$(sort -n "$WORK/zip-rss" | tail -1)" "$(stat -c %s "$PACKAGE")" "$(stat -c %s "$WORK/ref.zip")" \
    "$(median < "$WORK/load")" "$(median < "$WORK/unzip")" "$(sort -n "$WORK/load-rss" | tail -1)" $CHECKS <<'PY'
import sys
builder = sys.argv[1]
(ours, zip_s, rss, zip_rss, size, zip_size, load, unzip_s, load_rss, checked, unchecked, checked_cpu,
 unchecked_cpu) = (float(v) for v in sys.argv[2:])
print(f"{builder:24s} {ours:7.2f} s   peak RSS {rss/1024:6.1f} MB   package {size/1048576:7.1f} MB")
print(f"{'zip -r -q':24s} {zip_s:7.2f} s   peak RSS {zip_rss/1024:6.1f} MB   archive {zip_size/1048576:7.1f} MB")
print(f"build time / zip time    {ours/zip_s:7.2f}   (target <= 1.00)")
print(f"build peak RSS           {rss/1024:7.1f} MB (target < 100)")
print(f"{'package load':24s} {load:7.2f} s   peak RSS {load_rss/1024:6.1f} MB")
print(f"{'unzip -q':24s} {unzip_s:7.2f} s")
print(f"load time / unzip time   {load/unzip_s:7.2f}")
print(f"{'checked extraction':24s} {checked:7.2f} s   {checked_cpu:7.2f} s CPU")
print(f"{'extraction before checks':24s} {unchecked:7.2f} s   {unchecked_cpu:7.2f} s CPU")
print(f"cost of the checks       {100 * (checked / unchecked - 1):+7.1f} % wall {100 * (checked_cpu / unchecked_cpu - 1):+7.1f} % CPU (target < 5)")
PY
