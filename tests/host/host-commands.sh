#!/bin/sh
# tovi-host against the simulated-hardware plug-in: captures of each depth to
# each format, checked by the libraries' own readers, a series in a group,
# reorientation, the option record kept between runs, and a failure's exit code.
#   host-commands.sh <run prefix or ""> <tovi-host> <plug-in> <data directory> <work directory> <build: native|windows>
# The native build also writes DICOM files and answers its dialogs headless;
# the Windows build's dialogs would wait for a user.
set -eu
run=$1 host=$2 plugin=$3 data=$4 work=$5 build=$6
rm -rf "$work" && mkdir -p "$work" && cd "$work"
fail() { echo "FAILED: $*" >&2; exit 1; }
# Paths as the program sees them: Wine's Z: drive for the Windows build.
path() { if [ -n "$run" ]; then echo "Z:$1" | tr / '\\'; else echo "$1"; fi; }
tovi() { $run "$host" "$@" --plugin "$(path "$plugin")" --data "$(path "$data")"; }

tovi info > info.txt || fail "info"
grep -q "interface version: 0x00020000" info.txt || fail "info: the version"
grep -q "Version *65536 (0x00010000)" info.txt || fail "info: the record's version field"

# Two sensors: the selection list and the hardware summary, the record untouched.
mkdir -p two
printf '<simulator time_scale="0.01">\n  <sensor family="2000" serial="A2000"/>\n  <sensor family="TOVIRAY" serial="B0042"/>\n</simulator>\n' \
    > two/simulator.xml
cp "$data/settings.xml" two/
$run "$host" list --plugin "$(path "$plugin")" --data "$(path "$work/two")" > list.txt || fail "list"
tr -d '\r' < list.txt > list-lf.txt
cat > list-expected.txt <<'LIST'
Select Sensor: Select that sensor that is to be used to capture the digital x-ray.
  Device Name | Sensor ID | Device ID
  2000 | XCCD0100C | usb\vid_7a1c&pid_2000\a2000
  TOVIRAY | TR2S0042D | usb\vid_7a1c&pid_1005\b0042
Hardware Detected:
  VXR 2000 hardware
  VXR TOVIRAY hardware
LIST
diff list-expected.txt list-lf.txt || fail "list"

tovi capture --teeth 8,9 --out front.png > capture8.txt || fail "8-bit capture"
grep -q "modality *IO" capture8.txt || fail "the description's modality"
grep -q "laterality *B" capture8.txt || fail "the description's laterality"
grep -q "processing" capture8.txt || fail "no progress was shown"
tovi capture --bits 16 --teeth 30 --out back.png > /dev/null || fail "16-bit capture to PNG"
tovi capture --bits 16 --teeth 30 --out back.bmp > /dev/null || fail "16-bit capture to BMP"
tovi capture --teeth 3 --primary A,B --out side.bmp > /dev/null || fail "8-bit capture to BMP"
for png in front.png back.png; do pngfix "$png" > /dev/null || fail "libpng rejects $png"; done
[ "$(head -c 2 side.bmp)" = "BM" ] || fail "side.bmp is no bitmap file"
if [ "$build" = native ]; then
    tovi capture --bits 16 --teeth 8,9 --out front.dcm > /dev/null || fail "capture to DICOM"
    dcmdump front.dcm > dump.txt || fail "dcmdump cannot read front.dcm"
    grep -q "(0008,0016) UI =DigitalIntraOralXRayImageStorageForPresentation" dump.txt ||
        fail "the SOP class"
    grep -q "(0008,0060) CS \[IO\]" dump.txt || fail "the modality"
    grep -q "(0020,0062) CS \[B\]" dump.txt || fail "the laterality"
    dciodvfy front.dcm > verify.txt 2>&1 || true
    grep -q "^IntraoralImageForPresentation" verify.txt || fail "not an intra-oral image"
    if grep "^Error" verify.txt; then fail "dciodvfy finds errors in front.dcm"; fi
fi

tovi capture --count 3 --teeth 30 --out series.bmp > series.txt || fail "a series of three"
for index in 1 2 3; do [ -s "series-$index.bmp" ] || fail "series-$index.bmp is missing"; done

tovi reorient --in side.bmp --teeth 3 --primary A,B --to-teeth 14 --out turned.bmp > /dev/null ||
    fail "reorient"
[ "$(head -c 2 turned.bmp)" = "BM" ] || fail "turned.bmp is no bitmap file"

if [ "$build" = native ]; then
    tovi configure --record record.bin > /dev/null || fail "configure"
    [ "$(wc -c < record.bin)" -eq 1280 ] || fail "the saved record is not 1280 bytes"
    tovi info --record record.bin > info2.txt || fail "info with the saved record"
    grep -q 'SensorId *"XCCD0100C"' info2.txt || fail "the saved record's sensor"
    tovi options --record record.bin > /dev/null || fail "options"
    [ "$(wc -c < record.bin)" -eq 1280 ] || fail "the record saved after the options"
fi

# A sensor whose 40th request fails: null, the plug-in's message, exit code 1.
mkdir -p failing
printf '<simulator time_scale="0.01">\n  <sensor family="2000" serial="FAIL" fail_request="40"/>\n</simulator>\n' \
    > failing/simulator.xml
cp "$data/settings.xml" failing/
status=0
$run "$host" capture --plugin "$(path "$plugin")" --data "$(path "$work/failing")" --out none.bmp \
    > none.txt 2> none.err || status=$?
[ "$status" -eq 1 ] || fail "a failed capture exits with $status"
grep -q "no image: Unable to read the sensor ID from the hardware.  Please check the hardware" none.err ||
    fail "the failure's message: $(cat none.err)"
[ ! -e none.bmp ] || fail "a failed capture wrote a file"
status=0
$run "$host" bogus > /dev/null 2>&1 || status=$?
[ "$status" -eq 2 ] || fail "an unknown command exits with $status"
echo "tovi-host: all commands passed"
