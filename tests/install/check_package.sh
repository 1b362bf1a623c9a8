#!/usr/bin/env bash
# check_package.sh BUILD_DIR OUTDIR VERSION: makes the Debian package of the
# build with cpack and checks it with dpkg-deb: its name, its fields, the
# library dependencies found by dpkg-shlibdeps and the files it holds.
set -euo pipefail
build=$1
out=$2
version=$3
rm -rf "$out"
mkdir -p "$out"
(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
deb="$out/varkol_${version}_amd64.deb"
[ -f "$deb" ] || { echo "no $deb:"; ls "$out"; exit 1; }

field() { dpkg-deb --field "$deb" "$1"; }
fail() { echo "$*"; dpkg-deb --info "$deb"; exit 1; }
[ "$(field Package)" = varkol ] || fail "Package is not varkol"
[ "$(field Version)" = "$version" ] || fail "Version is not $version"
[ "$(field Architecture)" = amd64 ] || fail "Architecture is not amd64"
[ "$(field Section)" = science ] || fail "Section is not science"
depends=$(field Depends)
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6charts6 libqt6svg6 \
               libzip4; do
  [[ ", $depends," == *", $library "* || ", $depends," == *", $library,"* ]] ||
    fail "Depends lacks $library: $depends"
done
# No maintainer scripts: Debian's triggers take care of the databases.
if dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -Eq 'preinst|postinst|prerm|postrm'; then
  fail "the package has maintainer scripts"
fi

expected=$(cat <<'LIST'
./usr/bin/varkol
./usr/bin/varkol-cli
./usr/share/applications/varkol.desktop
./usr/share/icons/hicolor/128x128/apps/varkol.png
./usr/share/icons/hicolor/16x16/apps/varkol.png
./usr/share/icons/hicolor/24x24/apps/varkol.png
./usr/share/icons/hicolor/256x256/apps/varkol.png
./usr/share/icons/hicolor/32x32/apps/varkol.png
./usr/share/icons/hicolor/48x48/apps/varkol.png
./usr/share/icons/hicolor/64x64/apps/varkol.png
./usr/share/icons/hicolor/scalable/apps/varkol.svg
./usr/share/metainfo/si.varkol.Varkol.metainfo.xml
./usr/share/mime/packages/varkol.xml
LIST
)
# Files only (directory lines end in "/"), owned by root.
listing=$(dpkg-deb --contents "$deb")
actual=$(echo "$listing" | awk '$6 !~ /\/$/ {print $6}' | LC_ALL=C sort)
if [ "$actual" != "$expected" ]; then
  echo "packaged files differ from the expected list:"
  diff <(echo "$expected") <(echo "$actual") || true
  exit 1
fi
if echo "$listing" | awk '{print $2}' | grep -qv '^root/root$'; then
  fail "files not owned by root"
fi
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes; Depends: $depends"
