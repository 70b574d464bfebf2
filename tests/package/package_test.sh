#!/usr/bin/env bash
# Builds the Debian packages through scripts/package.sh (dpkg-buildpackage
# with the debian/ folder), then checks what each package holds and depends
# on, what lintian says pedantically, the hardening of both programs, the
# desktop files, the AppStream metadata, the manual pages and the bash
# completion, and installs both into a throwaway dpkg root and removes them.
set -uo pipefail

source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

need() {
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null; then
      if [ "${CI:-}" = "true" ]; then echo "FAIL: $tool is not installed" >&2; exit 1; fi
      echo "SKIP: $tool is not installed (bash scripts/setup.sh --packages-only)"; exit 77
    fi
  done
}
need dpkg-architecture dpkg-buildpackage dh dpkg dpkg-deb lintian readelf desktop-file-validate appstreamcli man flock

# Package builds in the developer's checkout are staged beside the build folder.
BUILD_DIR="$work/out" bash "$source_dir/scripts/package.sh" >"$work/package.log" 2>&1 \
  || { cat "$work/package.log" >&2; exit 1; }
version="$(cd "$source_dir" && dpkg-parsechangelog -S Version)"
deb() { echo "$work/out/$1_${version}_amd64.deb"; }
for p in tonquill discwright; do
  [ -f "$(deb "$p")" ] || { echo "FAIL: no $(basename "$(deb "$p")")" >&2; ls "$work/out" >&2; exit 1; }
  [ -f "$(deb "$p-dbgsym")" ] || fail "no debug symbols package for $p"
done

# What each package holds, and that neither holds the other's files.
check_contents() {
  local p="$1" other="$2"; shift 2
  local contents
  contents="$(dpkg-deb -c "$(deb "$p")" | awk '{print $6}')"
  for path in "$@"; do
    grep -qx "\./$path" <<<"$contents" || fail "$p lacks /$path"
  done
  grep -q "/$other[^/]*\$" <<<"$contents" && fail "$p holds files of $other: $(grep "/$other" <<<"$contents")"
  grep -q '^\./usr/local' <<<"$contents" && fail "$p installs into /usr/local"
}
icons() { for s in 16 22 24 32 48 64 128 256; do echo "usr/share/icons/hicolor/${s}x$s/apps/$1.png"; done
          echo "usr/share/icons/hicolor/scalable/apps/$1.svg"; }
multiarch="$(dpkg-architecture -qDEB_HOST_MULTIARCH)"
# The parts the recorder loads only when it needs them.
modules=(); for m in desktop sound mixer image; do modules+=("usr/lib/$multiarch/tonquill/libtonquill-$m.so"); done
check_contents tonquill discwright usr/bin/tonquill "${modules[@]}" \
  usr/share/applications/io.github.tonquill.Tonquill.desktop usr/share/applications/tonquill-preset.desktop \
  usr/share/metainfo/io.github.tonquill.Tonquill.metainfo.xml usr/share/mime/packages/tonquill.xml \
  usr/share/tonquill/Help/index.htm usr/share/man/man1/tonquill.1.gz usr/share/bash-completion/completions/tonquill \
  usr/share/doc/tonquill/copyright usr/share/doc/tonquill/changelog.Debian.gz $(icons tonquill) \
  usr/share/tonquill/translations/tonquill_de.qm usr/lib/systemd/user/tonquill.service
check_contents discwright tonquill usr/bin/discwright \
  usr/share/applications/io.github.tonquill.Discwright.desktop \
  usr/share/metainfo/io.github.tonquill.Discwright.metainfo.xml usr/share/man/man1/discwright.1.gz \
  usr/share/bash-completion/completions/discwright usr/share/doc/discwright/copyright $(icons discwright) \
  usr/share/tonquill/translations/discwright_de.qm

# Depends: each program's own libraries; the recorder's package leaves
# libburn and FFmpeg's container library to the CD creator's (its player
# decodes Ogg with FFmpeg's codecs only); the title history needs Qt's SQLite driver.
depends_table="
tonquill    has  libqt6widgets6 libqt6network6 libqt6multimedia6 libqt6sql6-sqlite libmpg123-0 libasound2 libtag1v5 libavcodec libswresample
tonquill    lacks libburn4 libavformat libicu
discwright  has  libqt6widgets6 libburn4 libavformat libavcodec libswresample libicu
discwright  lacks libmpg123-0 libtag1v5 libqt6multimedia6 libqt6sql6
"
while read -r p kind libs; do
  [ -n "$p" ] || continue
  depends="$(dpkg-deb -f "$(deb "$p")" Depends)"
  for lib in $libs; do
    if grep -q "\b$lib" <<<"$depends"; then [ "$kind" = has ] || fail "$p depends on $lib: $depends"
    else [ "$kind" = lacks ] || fail "$p's Depends lacks $lib: $depends"; fi
  done
done <<<"$depends_table"
[ "$(dpkg-deb -f "$(deb tonquill)" Recommends)" = "discwright, at, xdg-utils, qt6-translations-l10n, qt6-image-formats-plugins" ] \
  || fail "tonquill recommends: $(dpkg-deb -f "$(deb tonquill)" Recommends)"

# lintian, pedantic: any tag that is not overridden (with its reason) fails.
lintian --pedantic -I -E --fail-on none --no-tag-display-limit "$(deb tonquill)" "$(deb discwright)" \
  "$(deb tonquill-dbgsym)" "$(deb discwright-dbgsym)" >"$work/lintian.log" 2>&1
if grep -q '^[EWIPX]:' "$work/lintian.log"; then
  fail "lintian reports tags:"; grep '^[EWIPX]:' "$work/lintian.log" >&2
fi

# Hardening: position-independent, BIND_NOW, fortified calls, stack protector.
mkdir -p "$work/x"
for p in tonquill discwright; do
  dpkg-deb -x "$(deb "$p")" "$work/x"
  bin="$work/x/usr/bin/$p"
  readelf -h "$bin" | grep -q 'Type:.*DYN' || fail "$p is not position-independent"
  readelf -d "$bin" | grep -Eq 'FLAGS.*\bNOW\b|BIND_NOW' || fail "$p is not linked with BIND_NOW"
  readelf -lW "$bin" | grep -q GNU_RELRO || fail "$p has no RELRO segment"
  syms="$(readelf --dyn-syms -W "$bin")"
  grep -q '__[a-z_]*_chk@' <<<"$syms" || fail "$p calls no fortified functions"
  grep -q '__stack_chk_fail@' <<<"$syms" || fail "$p has no stack protector"
done
# The recorder's loadable parts are hardened alike.
for m in "${modules[@]}"; do
  lib="$work/x/$m"
  readelf -d "$lib" | grep -Eq 'FLAGS.*\bNOW\b|BIND_NOW' || fail "$m is not linked with BIND_NOW"
  readelf -lW "$lib" | grep -q GNU_RELRO || fail "$m has no RELRO segment"
done
grep -q '__[a-z_]*_chk@' <<<"$(readelf --dyn-syms -W "$work/x/${modules[0]}")" \
  || fail "${modules[0]} calls no fortified functions"

# Release, version and date in the metadata follow debian/changelog; every
# screenshot listed is one kept in data/screenshots.
upstream="${version%-*}"
released="$(date -u -d "$(cd "$source_dir" && dpkg-parsechangelog -S Date)" +%F)"
for f in "$work"/x/usr/share/metainfo/*.metainfo.xml; do
  grep -q "<release version=\"$upstream\" date=\"$released\"" "$f" || fail "$(basename "$f"): no release $upstream of $released"
  shots="$(grep -o '<image>[^<]*</image>' "$f" | sed 's/<[^>]*>//g')"
  [ -n "$shots" ] || fail "$(basename "$f") lists no screenshot"
  for url in $shots; do
    [[ $url == https://*/data/screenshots/* ]] || fail "screenshot address $url"
    [ -s "$source_dir/data/screenshots/${url##*/}" ] || fail "data/screenshots/${url##*/} is missing"
  done
done
appstreamcli validate --no-net --explain "$work"/x/usr/share/metainfo/*.metainfo.xml >"$work/appstream.log" 2>&1 \
  || { cat "$work/appstream.log" >&2; fail "appstreamcli validate"; }
for f in "$work"/x/usr/share/applications/*.desktop; do
  # Every complaint of Debian 12's validator counts, warnings included.
  out="$(desktop-file-validate "$f" 2>&1)" || fail "desktop-file-validate $(basename "$f"): $out"
  [ -z "$out" ] || fail "desktop-file-validate: $out"
done
for f in "$work"/x/usr/share/applications/io.github.*.desktop; do
  for key in StartupNotify=true X-GNOME-SingleWindow=true Keywords=; do
    grep -q "^$key" "$f" || fail "$(basename "$f") lacks $key"
  done
done

# Manual pages: rendered without warnings, with every section.
for p in tonquill discwright; do
  page="$work/x/usr/share/man/man1/$p.1.gz"
  warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >"$work/$p.txt")"
  [ -z "$warnings" ] || fail "man --warnings $p: $warnings"
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS FILES ENVIRONMENT "EXIT STATUS" SIGNALS; do
    grep -q "^$section" "$work/$p.txt" || fail "$p(1) has no $section"
  done
  grep -q -- '--help' "$work/$p.txt" && grep -q -- '--version' "$work/$p.txt" || fail "$p(1) lacks --help or --version"
  # Every variable the program's sources read is documented.
  case $p in tonquill) dirs="platform config listen sources recorder ui app/tonquill_main.cpp";;
             discwright) dirs="cdcreator app/discwright_main.cpp";; esac
  vars="$(cd "$source_dir" && grep -rhoE '(qEnvironmentVariable[A-Za-z]*|getenv)\("[A-Z_]+"' $dirs | grep -oE '"[A-Z_]+"' | tr -d '"' | sort -u)"
  for var in $vars; do grep -q "\b$var\b" "$work/$p.txt" || fail "$p(1) does not document $var"; done
done

# bash completion, table-driven: words typed -> what is offered, in a folder
# with a preset, a playlist, a text file and a subfolder.
mkdir -p "$work/cwd/sub" "$work/home/Presets"
touch "$work/cwd/a.tvp" "$work/cwd/b.pls" "$work/cwd/c.txt" "$work/cwd/song.mp3" "$work/home/Presets/saved.tvp"
completion_table="
tonquill|tonquill |a.tvp b.pls sub $work/home/Presets/saved.tvp
tonquill|tonquill -|-installassc -uninstallassc --record --watch --history --serve --record-last-preset --open-search --open-library --help --version
tonquill|tonquill --serve |--listen --tls-cert --tls-key
tonquill|tonquill --serve --listen |
tonquill|tonquill --serve --tls-cert |a.tvp b.pls c.txt song.mp3 sub
tonquill|tonquill --watch |a.tvp b.pls sub $work/home/Presets/saved.tvp
tonquill|tonquill --record a.tvp --|--record --watch
tonquill|tonquill --history --s|--station --since
tonquill|tonquill --history --since |
tonquill|tonquill --rec|--record --record-last-preset
tonquill|tonquill --record |a.tvp b.pls sub $work/home/Presets/saved.tvp
tonquill|tonquill --record a.tvp |a.tvp b.pls sub $work/home/Presets/saved.tvp
tonquill|tonquill --record-last-preset |
tonquill|tonquill --open-library |
tonquill|tonquill --open-|--open-search --open-library
tonquill|tonquill -u|-uninstallassc
tonquill|tonquill a.tvp |-noop
tonquill|tonquill b.pls |
discwright|discwright -|--help --version
discwright|discwright |song.mp3 sub
discwright|discwright a.tvp |song.mp3 sub
discwright|discwright so|song.mp3
discwright|discwright --help |
"
words() { tr ' ' '\n' | grep -v '^$' | sort | tr '\n' ' '; }
while IFS='|' read -r p line expected; do
  [ -n "$p" ] || continue
  got="$(cd "$work/cwd" && TONQUILL_HOME="$work/home" bash -c '
    shopt -s extglob; source "$1"; read -ra COMP_WORDS <<<"$2"; [[ $2 == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); "_$3" 2>/dev/null; echo "${COMPREPLY[*]}"' \
    _ "$work/x/usr/share/bash-completion/completions/$p" "$line" "$p" | words)"
  [ "$got" = "$(words <<<"$expected")" ] || fail "completing '$line': '$got', expected '$expected'"
done <<<"$completion_table"

# A throwaway root with an empty dpkg database: the packages' dependencies
# are the host's business, their maintainer scripts run outside the root.
root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/triggers"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
dpkg_root() { dpkg --root="$root" --force-depends --force-script-chrootless --force-not-root --log=/dev/null "$@"; }
dpkg_root -i "$(deb tonquill)" "$(deb discwright)" >"$work/install.log" 2>&1 \
  || { cat "$work/install.log" >&2; fail "dpkg -i failed"; }
for p in tonquill discwright; do [ -x "$root/usr/bin/$p" ] || fail "$p is not installed"; done
grep -q '<glob pattern="\*.tvp"/>' "$root/usr/share/mime/packages/tonquill.xml" || fail "no MIME type for .tvp"
# The installed program finds its windows: with a display it loads its
# desktop part (which answers -uninstallassc in a message box of its own).
home="$work/home"; mkdir -p "$home"
(export HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" TONQUILL_HOME="$home/tonquill" \
   QT_QPA_PLATFORM=offscreen; unset TONQUILL_HEADLESS; LD_DEBUG=files timeout 60 "$root/usr/bin/tonquill" -uninstallassc) \
  >"$work/windows.log" 2>&1 || true
grep -q "calling init: $root/usr/lib/$multiarch/tonquill/libtonquill-desktop.so" "$work/windows.log" \
  || { cat "$work/windows.log" >&2; fail "the installed tonquill does not load its desktop part"; }
dpkg_root -r tonquill discwright >"$work/remove.log" 2>&1 || { cat "$work/remove.log" >&2; fail "dpkg -r failed"; }
left="$(find "$root/usr" -type f 2>/dev/null)"
[ -z "$left" ] || fail "files left after removal: $left"

[ "$failures" -eq 0 ] && echo "package ok: $(cd "$work/out" && echo *.deb)"
exit $(( failures > 0 ))
