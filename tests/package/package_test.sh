#!/usr/bin/env bash
# Packs the built programs with CPack, checks what the .deb holds and what
# lintian says, installs it into a throwaway dpkg root, validates the
# installed desktop files and metadata, and removes it again.
set -uo pipefail

build="$1"
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
need cpack dpkg dpkg-deb lintian desktop-file-validate appstreamcli

for program in tonquill discwright; do
  [ -x "$build/app/$program" ] || { echo "FAIL: $build/app/$program is not built" >&2; exit 1; }
done

(cd "$build" && cpack --config CPackConfig.cmake -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) \
  || { cat "$work/cpack.log" >&2; exit 1; }
deb="$(ls "$work"/out/tonquill_*_amd64.deb 2>/dev/null | head -1)"
[ -n "$deb" ] || { echo "FAIL: no tonquill_<version>_amd64.deb" >&2; exit 1; }

contents="$(dpkg-deb -c "$deb" | awk '{print $6}')"
for path in usr/bin/tonquill usr/bin/discwright \
    usr/share/applications/tonquill.desktop usr/share/applications/discwright.desktop \
    usr/share/applications/tonquill-preset.desktop usr/share/mime/packages/tonquill.xml \
    usr/share/metainfo/io.github.tonquill.Tonquill.metainfo.xml \
    usr/share/metainfo/io.github.tonquill.Discwright.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/tonquill.svg usr/share/icons/hicolor/48x48/apps/discwright.png \
    usr/share/tonquill/Help/index.htm usr/share/doc/tonquill/copyright usr/share/man/man1/tonquill.1.gz; do
  grep -qx "\./$path" <<<"$contents" || fail "the package lacks /$path"
done
grep -q '^\./usr/local' <<<"$contents" && fail "the package installs into /usr/local"
depends="$(dpkg-deb -f "$deb" Depends)"
for lib in libqt6widgets6 libqt6network6 libmpg123-0 libburn4 libavformat; do
  grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done

lintian --no-tag-display-limit "$deb" >"$work/lintian.log" 2>&1
if grep -q '^E:' "$work/lintian.log"; then
  fail "lintian reports errors:"; grep '^E:' "$work/lintian.log" >&2
fi

# A throwaway root with an empty dpkg database: the package's dependencies
# are the host's business, its maintainer scripts run outside the root.
root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/triggers"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
dpkg_root() { dpkg --root="$root" --force-depends --force-script-chrootless --force-not-root --log=/dev/null "$@"; }
dpkg_root -i "$deb" >"$work/install.log" 2>&1 || { cat "$work/install.log" >&2; fail "dpkg -i failed"; }
[ -x "$root/usr/bin/tonquill" ] || fail "tonquill is not installed"
for f in "$root"/usr/share/applications/*.desktop; do
  desktop-file-validate "$f" || fail "desktop-file-validate: $f"
done
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml >"$work/appstream.log" 2>&1 \
  || { cat "$work/appstream.log" >&2; fail "appstreamcli validate"; }
grep -q '<glob pattern="\*.tvp"/>' "$root/usr/share/mime/packages/tonquill.xml" || fail "no MIME type for .tvp"

dpkg_root -r tonquill >"$work/remove.log" 2>&1 || { cat "$work/remove.log" >&2; fail "dpkg -r failed"; }
left="$(find "$root/usr" -type f 2>/dev/null)"
[ -z "$left" ] || fail "files left after removal: $left"

[ "$failures" -eq 0 ] && echo "package ok: $(basename "$deb")"
exit $(( failures > 0 ))
