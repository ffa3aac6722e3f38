#!/usr/bin/env bash
# The Debian package as a server gets it: CPack packs this build's programs,
# dpkg -x unpacks the package into a scratch root, and the checks look at what
# lies there (every file that ships and nothing else, the dependencies that
# dpkg-shlibdeps found) and run the unpacked program on its own libraries and
# IP database.
# Usage: package_test.sh BUILD_DIR LIBDIR SITE VERSION
set -euo pipefail
build=$1 libdir=$2 site=$3 version=$4
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

(cd "$build" && cpack -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1) ||
    { cat "$scratch/cpack.log" >&2; fail "cpack could not build the package"; }
debs=("$scratch"/out/quellix_"$version"_*.deb)
[ -f "${debs[0]}" ] || fail "no quellix_${version}_*.deb in $(ls "$scratch/out")"
deb=${debs[0]}
echo "packed ${deb##*/}"

[ "$(dpkg-deb -f "$deb" Package)" = quellix ] || fail "package name $(dpkg-deb -f "$deb" Package)"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version $(dpkg-deb -f "$deb" Version)"
depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libc6* && $depends == *libstdc++6* ]] || fail "Depends: $depends"

root=$scratch/root
dpkg -x "$deb" "$root"
expected=(
    usr/bin/quellix
    "usr/$libdir/libquellix.so"
    "usr/$libdir/libpelvoro.so"
    usr/include/quellix.h
    usr/include/pelvoro.h
    usr/share/man/man1/quellix.1
    usr/share/bash-completion/completions/quellix
    usr/lib/systemd/system/quellix-scan@.service
    usr/lib/systemd/system/quellix-scan@.timer
    usr/lib/systemd/system/quellix-watch@.service
)
[ -f "$build/bin/QQWry.dat" ] && expected+=(usr/share/quellix/QQWry.dat)
shipped=$(cd "$root" && find . -type f -printf '%P\n' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
[ "$shipped" = "$wanted" ] ||
    fail "the package holds other files than it should:$(diff <(echo "$wanted") <(echo "$shipped") | sed -n 's/^[<>]/\n&/p')"
grep -q '^ExecStart=/usr/bin/quellix ' "$root"/usr/lib/systemd/system/quellix-*.service ||
    fail "the units do not start /usr/bin/quellix"

program=$root/usr/bin/quellix
unset LD_LIBRARY_PATH
loaded=$(ldd "$program" | sed -n 's/^\s*libpelvoro\.so => \(.*\) (0x[0-9a-f]*)$/\1/p')
[[ -n $loaded && $(realpath "$loaded") == "$(realpath "$root/usr/$libdir/libpelvoro.so")" ]] ||
    fail "the unpacked program does not load the unpacked libpelvoro.so: $(ldd "$program")"

# Every library search path entry is absolute or relative to the program:
# an empty or relative one is taken from the working directory, which may be
# a site under scan.
for binary in "$build/bin/quellix" "$program"; do
    search=$(readelf -d "$binary" | sed -n 's/.*Library r[a-z]*path: \[\(.*\)\]$/\1/p')
    [[ ":$search:" != *::* ]] || fail "$binary searches the working directory for libraries: [$search]"
    IFS=: read -ra entries <<<"$search"
    for entry in "${entries[@]}"; do
        [[ $entry == /* || $entry == '$ORIGIN'* ]] || fail "$binary searches a relative path for libraries: $entry"
    done
done

version_line=$("$program" --version) || fail "quellix --version failed"
[[ $version_line == "quellix $version"* && $version_line != *$'\n'* ]] ||
    fail "quellix --version printed: $version_line"

status=0
findings=$("$program" scan --no-progress "$site") || status=$?
[ "$status" = 1 ] || fail "scan of the sample site exited with $status, not 1 (findings)"
trojans=$(grep $'^木马\t' <<<"$findings" | cut -f2 | LC_ALL=C sort)
planted=$(printf "$site/%s\n" blog/uploads/notes.php portal/tmp/marker.jsp uploads/readme.asp |
    LC_ALL=C sort)
[ "$trojans" = "$planted" ] || fail "trojans found in the sample site: $trojans"

# No database beside the unpacked program: locate must find the installed one.
if [ -f "$root/usr/share/quellix/QQWry.dat" ]; then
    "$program" locate 1.2.3.4 >/dev/null || fail "locate did not find usr/share/quellix/QQWry.dat"
else
    echo "this build fetched no QQWry.dat; the package carries none and locate was not run"
fi
echo "the package unpacks, runs and finds the sample site's trojans"
