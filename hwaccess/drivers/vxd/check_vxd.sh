#!/bin/sh
# Reads VXD with readers independent of the project's LE writer: file(1)
# must call it an LE VxD, and winedump must find the LE header for Windows
# 386, every object with its page map entries, and the resident names
# MODULE (ordinal 0) and MODULE_DDB (ordinal 1).
set -eu
vxd=$1 module=$2
fail() {
  echo "$vxd: $*" >&2
  exit 1
}
kind=$(file -b "$vxd")
case $kind in
  *"LE executable"*VxD*) ;;
  *) fail "file(1) does not see an LE VxD: $kind" ;;
esac
dump=$(winedump "$vxd")
printf '%s\n' "$dump" | grep -Eq '^ +Magic: +454c \(LE\)' || fail "winedump finds no LE header"
printf '%s\n' "$dump" | grep -Eq '^ +Target operating system: +Windows 386' ||
  fail "winedump does not see a Windows 386 module"
objects=$(printf '%s\n' "$dump" | awk '/^ +Object table entries:/ { print $4 }')
pages=$(printf '%s\n' "$dump" | awk '/^ +Number of memory pages:/ { print $5 }')
# Object rows, and the page map rows listed under each object.
listed=$(printf '%s\n' "$dump" | grep -Ec '^ +[0-9a-f]{4} [0-9a-f]{8} [0-9a-f]{8} [0-9a-f]{8} ')
mapped=$(printf '%s\n' "$dump" | grep -Ec '^ +[0-9a-f]{8} [0-9a-f]{6} [0-9a-f]{2}$')
[ "${objects:-0}" -ge 1 ] && [ "$listed" -eq "$objects" ] ||
  fail "winedump lists $listed of ${objects:-0} objects"
[ "${pages:-0}" -ge 1 ] && [ "$mapped" -eq "$pages" ] ||
  fail "winedump lists $mapped page map entries for ${pages:-0} pages"
names=$(printf '%s\n' "$dump" | sed -n '/^Resident name table:/,/^$/p')
printf '%s\n' "$names" | grep -Eq "^ +0: $module\$" || fail "no resident name $module as ordinal 0"
printf '%s\n' "$names" | grep -Eq "^ +1: ${module}_DDB\$" ||
  fail "no resident name ${module}_DDB as ordinal 1"
echo "$(basename "$vxd"): $(wc -c <"$vxd" | tr -d ' ') bytes, $objects objects, $pages pages; file: $kind"
