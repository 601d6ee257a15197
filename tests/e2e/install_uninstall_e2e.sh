#!/usr/bin/env bash
# `make install-files` and `make uninstall` on a staged tree (DESTDIR), with
# the prefix a distribution uses: the install puts exactly the game's files
# where desktops look for them, the uninstall takes exactly those away and
# leaves no folder of ours behind, while a file that is not ours stays.
set -euo pipefail
bin_dir="$1"
source_dir="$2"
source "$source_dir/tests/e2e/lib.sh"

e2e_keep_install_manifest "$bin_dir"
manifest="$bin_dir/install_manifest.txt"

stage="$E2E_WORK/stage"
make_in_source() { env -u MAKEFLAGS -u MFLAGS -u MAKELEVEL make --no-print-directory -C "$source_dir" BUILD_DIR="$bin_dir" DESTDIR="$stage" PREFIX=/usr "$@"; }
listing() { (cd "$stage" && find . -mindepth 1 \( -type f -o -type l \) | sed 's#^\.##' | sort); }

make_in_source install-files >"$E2E_WORK/install.log" 2>&1 || e2e_fail "install failed: $(cat "$E2E_WORK/install.log")"
expected="$(sort <<'EOF'
/usr/bin/tandrill
/usr/lib/tandrill/tandrill
/usr/lib/tandrill/gift.pzl
/usr/lib/tandrill/tandrill.hlp
/usr/share/applications/org.tandrill.Tandrill.desktop
/usr/share/metainfo/org.tandrill.Tandrill.metainfo.xml
/usr/share/man/man6/tandrill.6
/usr/share/icons/hicolor/48x48/apps/org.tandrill.Tandrill.png
/usr/share/icons/hicolor/64x64/apps/org.tandrill.Tandrill.png
/usr/share/icons/hicolor/128x128/apps/org.tandrill.Tandrill.png
/usr/share/icons/hicolor/256x256/apps/org.tandrill.Tandrill.png
EOF
)"
[ "$(listing)" = "$expected" ] || e2e_fail "the install put:
$(listing)"
[ "$(sort "$manifest")" = "$expected" ] || e2e_fail "the install list does not name what was installed"
[ "$(readlink "$stage/usr/bin/tandrill")" = "../lib/tandrill/tandrill" ] || e2e_fail "bin/tandrill does not link into the program folder"
[ -x "$stage/usr/lib/tandrill/tandrill" ] && [ -x "$stage/usr/lib/tandrill/gift.pzl" ] || e2e_fail "the game or its gift template is not executable"
[ -x "$stage/usr/lib/tandrill/tandrill.hlp" ] && e2e_fail "the help file is executable"
cmp -s "$stage/usr/lib/tandrill/tandrill" "$bin_dir/tandrill" || e2e_fail "the installed game is not the built one"
for size in 48 64 128 256; do
  [ "$(identify -format '%wx%h' "$stage/usr/share/icons/hicolor/${size}x${size}/apps/org.tandrill.Tandrill.png")" = "${size}x${size}" ] ||
    e2e_fail "the ${size} pixel icon has another size"
done
grep -q '^Icon=org.tandrill.Tandrill$' "$stage/usr/share/applications/org.tandrill.Tandrill.desktop" ||
  e2e_fail "the desktop entry does not name the installed icon"

# A file that is not ours, in a folder the install also uses, survives the
# uninstall together with its folders; everything else goes.
echo "[Desktop Entry]" >"$stage/usr/share/applications/other.desktop"
make_in_source uninstall >"$E2E_WORK/uninstall.log" 2>&1 || e2e_fail "uninstall failed: $(cat "$E2E_WORK/uninstall.log")"
left="$(cd "$stage" && find . -mindepth 1 | sort)"
[ "$left" = "$(printf '%s\n' ./usr ./usr/share ./usr/share/applications ./usr/share/applications/other.desktop)" ] ||
  e2e_fail "the uninstall left:
$left"

# Without the stranger, a second round leaves the stage empty; uninstalling
# again then finds nothing to remove and is no error.
rm "$stage/usr/share/applications/other.desktop"
make_in_source install-files >"$E2E_WORK/install.log" 2>&1 || e2e_fail "the second install failed"
make_in_source uninstall >"$E2E_WORK/uninstall.log" 2>&1 || e2e_fail "the second uninstall failed"
[ -z "$(find "$stage" -mindepth 1)" ] || e2e_fail "the uninstall left: $(cd "$stage" && find . -mindepth 1)"
make_in_source uninstall >"$E2E_WORK/uninstall.log" 2>&1 || e2e_fail "a repeated uninstall failed"
grep -q removed "$E2E_WORK/uninstall.log" && e2e_fail "a repeated uninstall removed something"
echo "ok: install and uninstall"
