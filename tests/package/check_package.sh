#!/usr/bin/env bash
# The Debian package in the build folder, as a player meets it: the
# metainfo's version, computed dependencies, exactly the staged install's
# files (man pages compressed) plus copyright, changelog and lintian
# overrides, nothing for lintian to say, a launchable entry that is there,
# and the unpacked game starting from its bin/ link with an empty data
# folder to its first frame and Quit (exit 0), writing only into that folder.
set -euo pipefail
bin_dir="$1"
source_dir="$2"
source "$source_dir/tests/e2e/lib.sh"

version="$(dpkg-parsechangelog -l "$source_dir/debian/changelog" -S Version)"
deb="$bin_dir/tandrill_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || e2e_fail "no package $deb (scripts/build-deb.sh builds it)"
metainfo_version="$(grep -o '<release version="[^"]*"' "$source_dir/resources/desktop/org.tandrill.Tandrill.metainfo.xml" |
  head -1 | cut -d'"' -f2)"
[ "$metainfo_version" = "$version" ] ||
  e2e_fail "the package is version $version but the metainfo's newest release is $metainfo_version"

field() { dpkg-deb -f "$deb" "$1"; }
field Depends | grep -q 'libsdl2-2.0-0' || e2e_fail "the library dependencies were not computed: $(field Depends)"
field Recommends | grep -q 'sf3-soundfont-gm' || e2e_fail "the MIDI sound font is not recommended"
field Suggests | grep -q 'xdg-utils' || e2e_fail "the mail opener is not suggested"

# ---- the files, against a staged install ----------------------------------
e2e_keep_install_manifest "$bin_dir"

stage="$E2E_WORK/stage"
env -u MAKEFLAGS -u MFLAGS -u MAKELEVEL make --no-print-directory -C "$source_dir" install-files \
  BUILD_DIR="$bin_dir" DESTDIR="$stage" PREFIX=/usr >"$E2E_WORK/install.log" 2>&1 ||
  e2e_fail "the staged install failed: $(cat "$E2E_WORK/install.log")"
unpacked="$E2E_WORK/unpacked"
dpkg-deb -x "$deb" "$unpacked"
listing() { (cd "$1" && find . -mindepth 1 \( -type f -o -type l \) | sed 's#^\.##' | sort); }
expected="$( (listing "$stage" | sed 's#^\(/usr/share/man/.*\)$#\1.gz#'
  printf '%s\n' /usr/share/doc/tandrill/copyright /usr/share/doc/tandrill/changelog.gz \
    /usr/share/lintian/overrides/tandrill) | sort)"
[ "$(listing "$unpacked")" = "$expected" ] || e2e_fail "the package's files differ from the staged install:
$(diff <(echo "$expected") <(listing "$unpacked") || true)"

# The programs are built anew for the package (and stripped); every other
# file is the staged one, and the command links into the program folder.
while IFS= read -r f; do
  case "$f" in
    /usr/lib/tandrill/tandrill | /usr/lib/tandrill/gift.pzl) [ -x "$unpacked$f" ] || e2e_fail "$f is not executable" ;;
    /usr/share/man/*) zcat "$unpacked$f.gz" | cmp -s - "$stage$f" || e2e_fail "$f differs from the staged one" ;;
    *) if [ -L "$stage$f" ]; then [ "$(readlink "$unpacked$f")" = "$(readlink "$stage$f")" ]; else cmp -s "$unpacked$f" "$stage$f"; fi ||
         e2e_fail "$f differs from the staged one" ;;
  esac
done < <(listing "$stage")
cmp -s "$unpacked/usr/lib/tandrill/tandrill" "$unpacked/usr/lib/tandrill/gift.pzl" ||
  e2e_fail "the gift template is not a copy of the packaged game"

# ---- the distribution's checkers -------------------------------------------
lintian --fail-on error,warning "$deb" >"$E2E_WORK/lintian.txt" 2>&1 ||
  e2e_fail "lintian: $(grep -v 'root privileges' "$E2E_WORK/lintian.txt")"
# The metainfo and the desktop entry are the staged ones (compared above),
# which the tests install.metainfo and install.desktop_entry validate.
# Software centres find the game's desktop entry by the id the metainfo names.
metainfo="$(tr -d '\n' <"$unpacked/usr/share/metainfo/org.tandrill.Tandrill.metainfo.xml")"
launchable="$(grep -o '<launchable type="desktop-id">[^<]*' <<<"$metainfo" | cut -d'>' -f2)"
[ -f "$unpacked/usr/share/applications/$launchable" ] || e2e_fail "the launchable '$launchable' is not in the package"

# ---- the unpacked game -----------------------------------------------------
data="$E2E_WORK/data"
home="$E2E_WORK/home"
report="$E2E_WORK/report.txt"
mkdir -p "$data" "$home"
before="$(cd "$unpacked" && find . | sort)"
e2e_start_x 1024x768x24
(cd "$home" && exec env -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME="$home" TANDRILL_DATA_DIR="$data" \
   TANDRILL_REPORT="$report" SDL_AUDIODRIVER=dummy "$unpacked/usr/bin/tandrill") &
E2E_APP_PID=$!
e2e_wait_for "$report" '^room storeRoom' 300
e2e_wait_for "$report" '^first-frame' 300
xdotool key --clearmodifiers alt+q
e2e_wait_until "the game to end after Quit" 150 bash -c "! kill -0 $E2E_APP_PID 2>/dev/null"
set +e
wait "$E2E_APP_PID"
rc=$?
set -e
E2E_APP_PID=""
[ "$rc" -eq 0 ] || e2e_fail "exit code $rc after Quit"
[ -f "$data/tandrill.pzl" ] || e2e_fail "the unpacked game wrote no library into the data folder"
[ "$(cd "$unpacked" && find . | sort)" = "$before" ] || e2e_fail "the unpacked game wrote beside its own files"
echo "ok: the package $(basename "$deb") ($(du -k "$deb" | cut -f1) KiB)"
