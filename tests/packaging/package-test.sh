#!/usr/bin/env bash
# Builds the Debian package from the build tree and checks its file list, its dependencies
# and what lintian says about it.
set -euo pipefail
build="$(cd "$1" && pwd)"
version="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log") || { cat "$work/cpack.log"; fail "cpack failed"; }
deb="$work/tessary_${version}_amd64.deb"
[ -f "$deb" ] || { ls "$work"; fail "no $deb"; }
echo "package: $(basename "$deb"), $(du -k "$deb" | cut -f1) KiB"

dpkg-deb --contents "$deb" | awk '{print $6}' | sed 's#^\./#/#' | sort >"$work/files"
id=io.github.tessary.Tessary
for f in /usr/bin/tessary /usr/share/applications/$id.desktop /usr/share/metainfo/$id.metainfo.xml \
    /usr/share/icons/hicolor/scalable/apps/$id.svg /usr/share/icons/hicolor/symbolic/apps/$id-symbolic.svg \
    /usr/share/icons/hicolor/16x16/apps/$id.png /usr/share/icons/hicolor/256x256/apps/$id.png \
    /usr/share/icons/hicolor/512x512/apps/$id.png \
    /usr/share/tessary/sounds/Ambient/rain.flac /usr/share/tessary/sounds/Ambient/birds.flac \
    /usr/share/tessary/sounds/Hero.flac /usr/share/tessary/sounds/beep.flac \
    /usr/share/doc/tessary/copyright /usr/share/doc/tessary/changelog.gz /usr/share/man/man1/tessary.1.gz; do
  grep -qxF "$f" "$work/files" || fail "missing from the package: $f"
done
# Nothing of the build's own: no tests, tools, benchmarks or static libraries.
if grep -vE '^/usr/(bin/tessary|share/(applications|metainfo|icons|tessary|doc/tessary|man/man1)(/.*)?)/?$|^/(usr(/bin|/share(/doc|/man)?)?)?/?$' "$work/files"; then
  fail "unexpected files in the package (above)"
fi
[ "$(grep -c '^/usr/bin/.' "$work/files")" = 1 ] || fail "more than one program in /usr/bin"
if grep -E '^/usr/share/icons/.*\.(png|svg)$' "$work/files" | grep -vF "/$id"; then
  fail "icons not named by the application id (above)"
fi

depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
for d in libqt6core6 libqt6quick6 libqt6multimedia6 libsndfile1 libsoxr0 libxcb1 libc6 \
    qml6-module-qtquick-controls qml6-module-qtquick-shapes qml6-module-qtquick-dialogs qt6-qpa-plugins libqt6svg6 fonts-noto-cjk; do
  grep -qE "(^|, )$d( |,|$)" <<<"$depends" || fail "Depends lacks $d"
done

if command -v lintian >/dev/null; then
  lintian --fail-on error --tag-display-limit 0 "$deb" | tee "$work/lintian" || fail "lintian reports errors"
  echo "lintian: $(grep -c '^E:' "$work/lintian" || true) errors, $(grep -c '^W:' "$work/lintian" || true) warnings"
fi
echo "package test passed"
