#!/usr/bin/env bash
# Builds the Debian package from a built tree into a scratch folder, unpacks it there with
# dpkg-deb -x (nothing is installed on the machine) and checks what a user would get: the file
# list, the control fields, the programs run from the unpacked tree, the desktop entries, the
# AppStream files, the icons, the manual pages against the programs' --help, and lintian.
#   check_package.sh BUILD_DIR CPACK VERSION SAMPLE.bmp
set -euo pipefail

build=$1 cpack=$2 version=$3 sample=$4
scratch=$(mktemp -d "${TMPDIR:-/tmp}/pictoma-package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

for tool in dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli man lintian readelf strings; do
    command -v "$tool" >/dev/null || { echo "$tool is missing: run scripts/setup.sh" >&2; exit 1; }
done

# The package, built from this tree's install rules into the scratch folder only.
if ! "$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log" >&2
    exit 1
fi
arch=$(dpkg --print-architecture)
deb="$scratch/out/pictoma_${version}_${arch}.deb"
[ -f "$deb" ] || { echo "no $deb; cpack made: $(ls "$scratch/out")" >&2; exit 1; }

# Control fields: the name, the version, and Depends computed from the libraries plus the
# run-time pieces no link shows.
field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = pictoma ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', not $version"
depends=$(field Depends)
for need in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6 \
    qt6-qpa-plugins qt6-image-formats-plugins libqt6svg6 fonts-wqy-microhei xdg-utils; do
    [[ ", $depends," == *", $need"[\ ,]* ]] || fail "Depends lacks $need: $depends"
done

root="$scratch/root"
dpkg-deb -x "$deb" "$root"

# Exactly these files, nothing left out and nothing extra.
expected="$scratch/expected" actual="$scratch/actual"
{
    printf '%s\n' usr/bin/pictoma usr/bin/pictoma-convert usr/bin/vantrel \
        usr/lib/pictoma/pictoma-decode.so \
        usr/share/applications/pictoma.desktop usr/share/applications/vantrel.desktop \
        usr/share/doc/pictoma/changelog.gz usr/share/doc/pictoma/copyright \
        usr/share/doc/pictoma/examples/sample.bmp usr/share/doc/pictoma/readme.txt \
        usr/share/metainfo/org.example.Pictoma.metainfo.xml \
        usr/share/metainfo/org.example.Vantrel.metainfo.xml
    for page in pictoma pictoma-convert vantrel; do echo "usr/share/man/man1/$page.1.gz"; done
    for app in pictoma vantrel; do
        echo "usr/share/icons/hicolor/scalable/apps/$app.svg"
        for size in 16 32 48 64 128; do echo "usr/share/icons/hicolor/${size}x$size/apps/$app.png"; done
    done
} | LC_ALL=C sort >"$expected"
(cd "$root" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort) >"$actual"
diff -u "$expected" "$actual" >"$scratch/list.diff" || fail "file list differs:"$'\n'"$(cat "$scratch/list.diff")"

bin="$root/usr/bin"
# The programs must find nothing of the build tree: no run path, every library resolved.
for program in pictoma pictoma-convert vantrel; do
    readelf -d "$bin/$program" >"$scratch/$program.dynamic"
    if grep -qE 'RPATH|RUNPATH' "$scratch/$program.dynamic"; then fail "$program has a run path"; fi
    ldd "$bin/$program" >"$scratch/$program.ldd"
    if grep -q 'not found' "$scratch/$program.ldd"; then fail "$program misses libraries"; fi
done

# Help > Topics looks for readme.txt in this folder, relative to the installed program.
strings "$bin/pictoma" >"$scratch/pictoma.strings"
grep -qx '\.\./share/doc/pictoma/' "$scratch/pictoma.strings" ||
    fail "pictoma does not look for its readme.txt in ../share/doc/pictoma"

export QT_QPA_PLATFORM=offscreen
[ "$("$bin/pictoma-convert" --version)" = "pictoma-convert $version" ] ||
    fail "pictoma-convert --version says '$("$bin/pictoma-convert" --version)'"
[ "$("$bin/vantrel" --version)" = "vantrel $version" ] ||
    fail "vantrel --version says '$("$bin/vantrel" --version)'"
"$bin/vantrel" --help >"$scratch/vantrel.help" || fail "vantrel --help failed"
grep -q '^Usage: vantrel' "$scratch/vantrel.help" || fail "vantrel --help prints no usage"
"$bin/pictoma-convert" --help >"$scratch/pictoma-convert.help" || fail "pictoma-convert --help failed"
"$bin/pictoma" --help >"$scratch/pictoma.help" || fail "pictoma --help failed"

# The sample converts as the build tree's converter converts it, and the picture decoders of
# the packaged Qt plugins read the same picture back from a PNG.
"$bin/pictoma-convert" "$sample" >"$scratch/sample.txt" || fail "pictoma-convert on the sample failed"
"$build/tools/pictoma-convert" "$sample" >"$scratch/sample.build.txt"
grep -q '^str\[\]={' "$scratch/sample.txt" || fail "the sample's C form does not start with str[]={"
cmp -s "$scratch/sample.txt" "$scratch/sample.build.txt" || fail "the sample's C form differs from the build tree's"
"$bin/pictoma-convert" -f png -o "$scratch/sample.png" "$sample" || fail "writing the sample as PNG failed"
"$bin/pictoma-convert" -o "$scratch/sample.from-png.txt" "$scratch/sample.png" ||
    fail "importing the sample's PNG failed"
cmp -s "$scratch/sample.txt" "$scratch/sample.from-png.txt" || fail "the sample read back from PNG differs"

# Desktop entries and AppStream files as installed, together with the icons they name.
for entry in "$root"/usr/share/applications/*.desktop; do
    desktop-file-validate "$entry" >"$scratch/desktop.log" 2>&1 ||
        fail "desktop-file-validate $(basename "$entry"):"$'\n'"$(cat "$scratch/desktop.log")"
done
grep -q '^Exec=vantrel %f$' "$root/usr/share/applications/vantrel.desktop" || fail "Vantrel's entry takes no %f"
grep -q '^MimeType=text/plain;$' "$root/usr/share/applications/vantrel.desktop" || fail "Vantrel's entry is not for text/plain"
grep -q '^MimeType=image/bmp;' "$root/usr/share/applications/pictoma.desktop" || fail "Pictoma's entry is not for image/bmp"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.xml >"$scratch/appstream.log" 2>&1 ||
    fail "appstreamcli validate:"$'\n'"$(cat "$scratch/appstream.log")"
appstreamcli validate-tree --no-net "$root" >"$scratch/appstream-tree.log" 2>&1 ||
    fail "appstreamcli validate-tree:"$'\n'"$(cat "$scratch/appstream-tree.log")"

# Each PNG is as large as the folder it lies in says.
for png in "$root"/usr/share/icons/hicolor/*x*/apps/*.png; do
    want=$(basename "$(dirname "$(dirname "$png")")")
    size=$(od -An -tu1 -j16 -N8 "$png" | awk '{ printf "%dx%d", $3 * 256 + $4, $7 * 256 + $8 }')
    [ "$size" = "$want" ] || fail "$png is $size"
done

# The history names this version first: the changelog and both AppStream files.
zcat "$root/usr/share/doc/pictoma/changelog.gz" >"$scratch/changelog"
head -1 "$scratch/changelog" | grep -q "^pictoma ($version) " ||
    fail "the changelog's first entry is not $version"
for metainfo in "$root"/usr/share/metainfo/*.xml; do
    grep -m1 '<release ' "$metainfo" >"$scratch/release" || true
    grep -q "version=\"$version\"" "$scratch/release" ||
        fail "$(basename "$metainfo"): the newest release is not $version"
done

# Manual pages render without a warning and name every option and environment variable their
# program's --help names.
for program in pictoma pictoma-convert vantrel; do
    page="$root/usr/share/man/man1/$program.1.gz"
    MANWIDTH=80 man --warnings -l "$page" >"$scratch/$program.man" 2>"$scratch/$program.man.err" ||
        fail "man -l $program.1 failed"
    [ -s "$scratch/$program.man.err" ] && fail "man -l $program.1 warns:"$'\n'"$(cat "$scratch/$program.man.err")"
    grep -q "$version" "$scratch/$program.man" || fail "$program.1 does not carry version $version"
    for option in $(grep -oE '(^|[ ,])--?[a-zA-Z][a-zA-Z-]*' "$scratch/$program.help" | tr -d ' ,' | sort -u); do
        grep -qF -- "$option" "$scratch/$program.man" || fail "$program.1 does not describe $option"
    done
    for variable in $(grep -oE '\$?[A-Z][A-Z]+_[A-Z_]+' "$scratch/$program.help" | tr -d '$' | sort -u); do
        grep -qF -- "$variable" "$scratch/$program.man" || fail "$program.1 does not describe $variable"
    done
done

# Lintian's errors fail the test; its warnings are listed.
lintian --tag-display-limit 0 "$deb" >"$scratch/lintian.log" 2>&1 || true
grep -E '^W: ' "$scratch/lintian.log" >&2 || true
if grep -qE '^E: ' "$scratch/lintian.log"; then fail "lintian:"$'\n'"$(cat "$scratch/lintian.log")"; fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) of $deb failed" >&2
    exit 1
fi
echo "pictoma_${version}_$arch.deb: $(wc -l <"$actual") files, all checks passed"
