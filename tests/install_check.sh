#!/bin/sh
# Installs the build into a throw-away prefix and checks the FHS layout: the executables in bin/,
# the program's files in share/feedsmith/ where the installed programs find them, the desktop
# files valid, the manual pages present.
set -eu
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/feedsmith bin/feedsmith-cli share/feedsmith/language-en.xml share/feedsmith/styles.css \
         share/feedsmith/preview.html share/feedsmith/feeds/example.rsx share/applications/feedsmith.desktop \
         share/mime/packages/feedsmith.xml share/metainfo/io.github.feedsmith.Feedsmith.metainfo.xml \
         share/man/man1/feedsmith.1 share/man/man1/feedsmith-cli.1; do
    [ -e "$prefix/$f" ] || { echo "not installed: $f" >&2; exit 1; }
done
[ ! -e "$prefix/lib/feedsmith" ] || { echo "program files left in lib/feedsmith" >&2; exit 1; }
desktop-file-validate "$prefix/share/applications/feedsmith.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/io.github.feedsmith.Feedsmith.metainfo.xml" >/dev/null
# The installed tool finds its templates in ../share/feedsmith: the preview needs them.
work=$prefix/work
mkdir "$work"
cd "$work"
"$prefix/bin/feedsmith-cli" preview "$prefix/share/feedsmith/feeds/example.rsx" page.html >/dev/null
grep -q "Welcome to the example feed" page.html
# The window's --help and --version need no display.
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$prefix/bin/feedsmith" --version | grep -q "^feedsmith (Feedsmith) "
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$prefix/bin/feedsmith" --help | grep -q "FILE"
echo "installed layout checked"
