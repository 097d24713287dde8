#!/bin/sh
# The Debian package as CPack builds it from the build folder: its name, fields and files.
# Exit 77 (skipped) where dpkg-deb, dpkg-shlibdeps or cpack is missing.
set -eu
build=$1 version=$2
for tool in cpack dpkg-deb dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || { echo "no $tool: skipped"; exit 77; }
done
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/log" 2>&1 || { cat "$out/log"; exit 1; }
deb="$out/fenmor_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "missing $deb"; ls "$out"; exit 1; }
fail=0
expect() {  # field, text the field must hold
  dpkg-deb -f "$deb" "$1" | grep -qF -- "$2" || { echo "$1 lacks $2: $(dpkg-deb -f "$deb" "$1")"; fail=1; }
}
expect Package fenmor
expect Depends "libqt6widgets6"
expect Depends "libqt6serialport6"
expect Depends "fonts-ipafont-gothic | fonts-noto-cjk"
expect Recommends "qt6-translations-l10n"
files=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/fenmor ./usr/bin/fenmor-convert ./usr/share/fenmor/Fenmor.txt \
         ./usr/share/applications/io.github.fenmor.Fenmor.desktop \
         ./usr/share/metainfo/io.github.fenmor.Fenmor.metainfo.xml \
         ./usr/share/icons/hicolor/scalable/apps/io.github.fenmor.Fenmor.svg \
         ./usr/share/icons/hicolor/256x256/apps/io.github.fenmor.Fenmor.png \
         ./usr/share/man/man1/fenmor.1.gz ./usr/share/man/man1/fenmor-convert.1.gz; do
  echo "$files" | grep -qx -- "$f" || { echo "not in the package: $f"; fail=1; }
done
# Nothing but the program's own files, and binaries without debug sections.
echo "$files" | grep -v -e '/$' -e '^./usr/bin/fenmor' -e '^./usr/share/' && fail=1
dpkg-deb -x "$deb" "$out/root"
if readelf -S "$out/root/usr/bin/fenmor" | grep -q '\.debug_info'; then echo "fenmor is not stripped"; fail=1; fi
exit $fail
