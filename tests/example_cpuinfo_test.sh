#!/bin/sh
# The example cpuinfo.exe, run under Wine, reports this machine's processor:
# its first line is the vendor identification that Linux shows in
# /proc/cpuinfo, then the brand string, then family, model and stepping.
#   example_cpuinfo_test.sh EMULATOR CPUINFO_EXE
set -eu
report=$("$1" "$2" | tr -d '\r')
vendor=$(printf '%s\n' "$report" | sed -n 1p)
expected=$(sed -n 's/^vendor_id[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
status=0
if [ "$vendor" != "$expected" ]; then
  echo "first line: '$vendor', expected the vendor '$expected'"
  status=1
fi
if ! printf '%s\n' "$report" | sed -n 3p |
    grep -Eq '^family [0-9]+ model [0-9]+ stepping [0-9]+$'; then
  echo "third line is not 'family N model N stepping N'"
  status=1
fi
lines=$(printf '%s\n' "$report" | wc -l)
if [ "$lines" -ne 3 ]; then
  echo "expected 3 lines, got $lines"
  status=1
fi
printf '%s\n' "$report"
exit $status
