#!/bin/sh
# Writes the PE checksum into FILE's optional header. The linker leaves it
# 0; the kernel's loader checks a driver's checksum.
set -eu
file=$1
header=$(od -An -tu4 -j60 -N4 "$file" | tr -d ' ')
field=$((header + 88))
size=$(wc -c < "$file" | tr -d ' ')
# 16-bit words folded with their carries, the checksum field left out.
sum=$(od -An -v -tu2 "$file" | awk -v skip=$((field / 2)) '
  { for (i = 1; i <= NF; i++) {
      if (n != skip && n != skip + 1) { s += $i; s = s % 65536 + int(s / 65536) }
      n++ } }
  END { print s }')
total=$((sum + size))
bytes=$(printf '\\%03o\\%03o\\%03o\\%03o' $((total & 255)) $(((total >> 8) & 255)) \
  $(((total >> 16) & 255)) $(((total >> 24) & 255)))
printf "$bytes" | dd of="$file" bs=1 seek="$field" conv=notrunc 2>/dev/null
