#!/bin/sh
# Writes the help document as the program reads it: Shift-JIS (CP932) with CR LF line ends.
# iconv stops on a character the code page lacks, and so does the build.
set -eu
src=$1 out=$2
iconv -f UTF-8 -t CP932 "$src" > "$out.tmp"
sed 's/\r*$/\r/' "$out.tmp" > "$out.tmp2"
rm -f "$out.tmp"
mv "$out.tmp2" "$out"
