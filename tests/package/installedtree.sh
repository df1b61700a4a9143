#!/bin/sh
# Builds the Debian package from this build folder, unpacks it into a scratch
# root and runs what it installed, after lintian has found no error in it: the extractor from libexec, and the app,
# which must find that extractor from its own folder.
#   installedtree.sh BUILD_DIR
set -eu
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cd "$build"
cpack -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1 || { cat "$scratch/cpack.log"; exit 1; }
package=$(ls "$scratch"/out/*.deb)
dpkg-deb --field "$package" Depends | grep -q libarchive || { echo "no libarchive dependency"; exit 1; }
dpkg -x "$package" "$scratch/root"

# Debian's own checks of the package: an error fails, a warning does not.
command -v lintian >/dev/null || { echo "lintian is not installed"; exit 1; }
lintian --tag-display-limit 0 "$package" >"$scratch/lintian.log" 2>&1 || true
if grep '^E: ' "$scratch/lintian.log"; then exit 1; fi

app=$scratch/root/usr/bin/kestrune
extractor=$scratch/root/usr/libexec/kestrune/kestrune-extract
for file in "$app" "$extractor" \
    "$scratch/root/usr/share/doc/kestrune/copyright" \
    "$scratch/root/usr/share/man/man1/kestrune.1.gz" \
    "$scratch/root/usr/share/kestrune/translations/kestrune_de.qm" \
    "$scratch/root/usr/share/applications/org.kestrune.Kestrune.desktop" \
    "$scratch/root/usr/share/metainfo/org.kestrune.Kestrune.metainfo.xml" \
    "$scratch/root/usr/share/icons/hicolor/scalable/apps/org.kestrune.Kestrune.svg"; do
    [ -e "$file" ] || { echo "not installed: ${file#"$scratch"/root}"; exit 1; }
done

# The file types of the split namings parse, as the desktop will read them.
cp -r "$scratch/root/usr/share/mime" "$scratch/mime"
update-mime-database "$scratch/mime" >"$scratch/mime.log" 2>&1 || { cat "$scratch/mime.log"; exit 1; }
grep -q "application/x-kestrune-zip-volume:\*\.zip\.\[0-9\]" "$scratch/mime/globs2" ||
    { echo "no file type for archive.zip.001"; exit 1; }

"$extractor" --help | grep -q "Exit status" || { echo "installed extractor does not run"; exit 1; }
QT_QPA_PLATFORM=offscreen "$app" --version | grep -q "^Kestrune " || { echo "installed app does not run"; exit 1; }
# …and reads its translations from where the package put them.
env -u LC_ALL -u LC_MESSAGES LANGUAGE=de LANG=de_DE.UTF-8 QT_QPA_PLATFORM=offscreen "$app" --help |
    grep -q "Fügt geteilte Zip-Archive zusammen" || { echo "installed app finds no translation"; exit 1; }
# The app looks for its extractor beside itself, then where the build said.
[ "$(QT_QPA_PLATFORM=offscreen "$app" --extractor-path)" = "$extractor" ] ||
    { echo "installed app looks for its extractor elsewhere"; exit 1; }
echo "package installs a working app and extractor"
