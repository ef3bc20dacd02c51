#!/bin/sh
# Fails the build unless DRIVER imports from ntoskrnl.exe and hal.dll only,
# exactly the calls listed in IMPORTS (each one NT 4 exports, with its
# source in docs/driver-imports.md), is a native image and starts at
# DriverEntry (its address from MAP).
set -eu
objdump=$1 driver=$2 map=$3 expected=$4
headers=$("$objdump" -p "$driver")
dlls=$(printf '%s\n' "$headers" | awk '/DLL Name:/ { print tolower($3) }' | sort -u | tr '\n' ' ')
if [ "$dlls" != "hal.dll ntoskrnl.exe " ]; then
  echo "$driver imports from: $dlls(only ntoskrnl.exe and hal.dll allowed)" >&2
  exit 1
fi
calls=$(printf '%s\n' "$headers" | awk '
  /DLL Name:/ { dll = tolower($3); next }
  /^$/ { dll = "" }
  dll != "" && /^\t[0-9a-f]+\t/ { print dll, $NF }' | sort)
if [ "$calls" != "$(sort "$expected")" ]; then
  echo "$driver imports differ from $expected:" >&2
  printf '%s\n' "$calls" | diff "$expected" - >&2 || true
  exit 1
fi
if ! printf '%s\n' "$headers" | grep -Eq '^Subsystem[[:space:]]+00000001'; then
  echo "$driver is not a native image" >&2
  exit 1
fi
base=$(printf '%s\n' "$headers" | awk '$1 == "ImageBase" { print $2 }')
entry=$(printf '%s\n' "$headers" | awk '$1 == "AddressOfEntryPoint" { print $2 }')
driver_entry=$(awk '$2 == "DriverEntry@8" || $2 == "_DriverEntry@8" { print $1; exit }' "$map")
if [ -z "$driver_entry" ] || [ $((0x$base + 0x$entry)) -ne $((driver_entry)) ]; then
  echo "$driver does not start at DriverEntry" >&2
  exit 1
fi
