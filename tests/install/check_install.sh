#!/usr/bin/env bash
# check_install.sh BUILD_DIR DESTDIR: installs the build under /usr into a
# fresh DESTDIR and checks the installed files: the list, the desktop entry
# (desktop-file-validate), the AppStream description (appstreamcli) and the
# file types (update-mime-database must accept them).
set -euo pipefail
build=$1
dest=$2
rm -rf "$dest"
DESTDIR="$dest" cmake --install "$build" --prefix /usr >/dev/null

expected=$(cat <<'LIST'
/usr/bin/varkol
/usr/bin/varkol-cli
/usr/share/applications/varkol.desktop
/usr/share/icons/hicolor/128x128/apps/varkol.png
/usr/share/icons/hicolor/16x16/apps/varkol.png
/usr/share/icons/hicolor/24x24/apps/varkol.png
/usr/share/icons/hicolor/256x256/apps/varkol.png
/usr/share/icons/hicolor/32x32/apps/varkol.png
/usr/share/icons/hicolor/48x48/apps/varkol.png
/usr/share/icons/hicolor/64x64/apps/varkol.png
/usr/share/icons/hicolor/scalable/apps/varkol.svg
/usr/share/metainfo/si.varkol.Varkol.metainfo.xml
/usr/share/mime/packages/varkol.xml
LIST
)
actual=$(cd "$dest" && find . -type f | sed 's|^\.||' | LC_ALL=C sort)
if [ "$actual" != "$expected" ]; then
  echo "installed files differ from the expected list:"
  diff <(echo "$expected") <(echo "$actual") || true
  exit 1
fi
for program in varkol varkol-cli; do
  [ -x "$dest/usr/bin/$program" ] || { echo "$program is not executable"; exit 1; }
done

desktop-file-validate "$dest/usr/share/applications/varkol.desktop"
appstreamcli validate --no-net "$dest/usr/share/metainfo/si.varkol.Varkol.metainfo.xml"

# The icon names and sizes a desktop looks up.
grep -qx 'Icon=varkol' "$dest/usr/share/applications/varkol.desktop"
grep -qx 'Exec=varkol %F' "$dest/usr/share/applications/varkol.desktop"
for png in "$dest"/usr/share/icons/hicolor/*x*/apps/varkol.png; do
  size=$(basename "$(dirname "$(dirname "$png")")")
  shown=$(python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print("%dx%d" % struct.unpack(">II", d[16:24]) if d[:8]==b"\x89PNG\r\n\x1a\n" else "none")' "$png")
  [ "$shown" = "$size" ] || { echo "$png is $shown, not $size"; exit 1; }
done

# Every MIME type of the desktop entry is described, and the description is
# accepted by the database tool (it reports faults on stderr).
mime="$dest/mime-check/mime"
mkdir -p "$mime/packages"
cp "$dest/usr/share/mime/packages/varkol.xml" "$mime/packages/"
errors=$(XDG_DATA_HOME="$dest/mime-check" XDG_DATA_DIRS="$dest/mime-check" \
         update-mime-database "$mime" 2>&1 >/dev/null || echo failed)
if [ -n "$errors" ]; then
  echo "update-mime-database: $errors"
  exit 1
fi
types=$(sed -n 's/^MimeType=//p' "$dest/usr/share/applications/varkol.desktop" | tr ';' '\n' | sed '/^$/d')
for type in $types; do
  [ -f "$mime/${type}.xml" ] || { echo "no description of $type"; exit 1; }
done
echo "installed files: OK"
