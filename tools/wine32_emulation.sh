#!/bin/sh
# Where this kernel runs no 32-bit code (WoW64 then can't start the 32-bit
# program), puts what runs it under emulation into
# ${XDG_CACHE_HOME:-$HOME/.cache}/fmvframes/emu32-VERSION: qemu's user-mode
# emulator for i386 (qemu-user from the backports suite: the stable one's
# spends a minute of CPU in every Wine process), and the 32-bit Wine of
# exactly the installed wine64's version (its loader and Unix libraries, and
# the C library they need, from i386 packages unpacked here: no architecture
# is added to the machine), which runs in a 32-bit prefix served by the
# installed wineserver. Its Windows DLLs are those tools/wine32_dlls.sh keeps,
# with zlib1.dll made as libwine's own install makes it. Only what the runs
# load, stripped: some 30 MiB.
# Does nothing where the kernel runs 32-bit code, where wine64 or the DLLs
# are missing, or where it is there already. One run at a time; Ctrl+C, a
# TERM or a closed terminal (HUP) ends it at once.
set -eu
tools=$(cd "$(dirname "$0")" && pwd)
. "$tools/apt_reason.sh"
. "$tools/apt_private.sh"
version=$(wine64_version) || exit 0
caches=${XDG_CACHE_HOME:-$HOME/.cache}/fmvframes
dlls=$caches/wine32-$version/i386-windows
cache=$caches/emu32-$version
[ -f "$dlls/kernel32.dll" ] || exit 0
[ ! -x "$cache/wine" ] || exit 0
# The kernel's own answer: a 32-bit system call from a 64-bit program.
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
g++ -o "$probe/int80" "$tools/../cmake/int80.cpp"
# (A shell of its own waits for it, so that its end by a signal goes unsaid.)
if sh -c '"$0"; exit $?' "$probe/int80" 2>/dev/null; then exit 0; fi
lock emu32
[ ! -x "$cache/wine" ] || exit 0

fail() {
  echo "wine32_emulation.sh: could not fetch the emulated 32-bit Wine ($version): $1" >&2
  exit 1
}
rm -rf "$probe"
wine64_origin "$version"
suite=${suite%%/*}  # wine64's, which wine32:i386 of its version shares
# The stable suite's backports, wherever wine64 came from.
stable=${suite%-backports}
stable=${stable%-updates}
stable=${stable%-security}
echo "Fetching the emulated 32-bit Wine (qemu-user from $stable-backports, wine32:i386 $version)"

scratch emu32
apt_state "$state" amd64,i386
cat >"$state/sources.list" <<EOF
deb [arch=amd64$signed] $uri $stable-backports main
deb [arch=i386$signed] $uri $suite main
EOF
apt_private update --error-on=any >"$state/log" 2>&1 ||
  fail "$(apt_reason "$state/log")"
cd "$state/archives"
apt_private download qemu-user "wine32:i386=$version" "libwine:i386=$version" \
  libc6:i386 libgcc-s1:i386 libz-mingw-w64 >>"$state/log" 2>&1 ||
  fail "$(apt_reason "$state/log")"
for package in qemu-user wine32 libwine libc6 libgcc-s1 libz-mingw-w64; do
  set -- "$state"/archives/"${package}"_*.deb
  [ -f "$1" ] && [ $# = 1 ] || fail "apt left no single package $package"
  step dpkg-deb -x "$1" "$unpacked/deb"
done

# The emulator, the loader, the C library and Wine's Unix libraries; the
# loader's DLLs are the cached ones, linked, and zlib1.dll, made here.
deb=$unpacked/deb
root=$unpacked/root
lib=$root/usr/lib/i386-linux-gnu
mkdir -p "$root/usr/lib/wine" "$lib/wine/i386-unix" "$lib/wine/i386-windows"
ln -s usr/lib "$root/lib"  # the loader's /lib/ld-linux.so.2
cp "$deb/usr/bin/qemu-i386" "$unpacked/qemu-i386"
cp "$deb/usr/lib/wine/wine" "$root/usr/lib/wine/wine.real"
for so in "$deb"/lib/i386-linux-gnu/*.so* "$deb"/usr/lib/i386-linux-gnu/*.so*; do
  [ ! -f "$so" ] || strip --strip-debug -o "$lib/${so##*/}" "$so"
done
cp -P "$deb/lib/ld-linux.so.2" "$root/usr/lib/"
strip --strip-debug "$deb"/usr/lib/i386-linux-gnu/wine/i386-unix/*.so
cp "$deb"/usr/lib/i386-linux-gnu/wine/i386-unix/*.so "$lib/wine/i386-unix/"
mkdir -p "$root/usr/share"
cp -R "$deb/usr/share/wine" "$root/usr/share/"  # its locales and fonts
for dll in "$dlls"/*; do
  ln -s "../../../../../../../wine32-$version/i386-windows/${dll##*/}" "$lib/wine/i386-windows/"
done
# What a 32-bit prefix loads besides: under WoW64, the 64-bit side's.
for dll in apisetschema.dll; do
  i686-w64-mingw32-strip --strip-debug -o "$lib/wine/i386-windows/$dll" \
    "$deb/usr/lib/i386-linux-gnu/wine/i386-windows/$dll"
done
zlib=$deb/usr/i686-w64-mingw32/lib/zlib1.dll
{ head -c 64 "$zlib"; printf 'Wine builtin DLL'; head -c 16 /dev/zero; tail -c +97 "$zlib"; } \
  >"$lib/wine/i386-windows/zlib1.dll"
rm -rf "$deb"
# Wine starts each new process through the loader beside its own, named as
# it was started (its argv[0]): this script, so that the 32-bit loader runs
# under the emulator again; without its preloader, which can't run either.
# Every path in it is quoted for the shell, whatever the cache's path holds.
cat >"$root/usr/lib/wine/wine" <<EOF
#!/bin/sh
export WINELOADERNOEXEC=1
exec $(quoted "$cache/qemu-i386") -L $(quoted "$cache/root") -0 "\$0" $(quoted "$cache/root/usr/lib/wine/wine.real") "\$@"
EOF
chmod 755 "$root/usr/lib/wine/wine"
ln -s root/usr/lib/wine/wine "$unpacked/wine"
[ -f "$root/usr/lib/ld-linux.so.2" ] && [ -f "$lib/libc.so.6" ] ||
  fail "wine32:i386 $version left no C library to run with"
rm -rf "$caches"/emu32-*  # an earlier version's too
mv "$unpacked" "$cache"
echo "The emulated 32-bit Wine is in $cache"
