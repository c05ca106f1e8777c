#!/usr/bin/python3
"""The tests' set-up where it goes wrong: the emulated 32-bit Wine's fetch
(tools/wine32_emulation.sh) killed, waiting, in a cache whose path holds a
quote, for a wine64 of the backports suite, and a Wine prefix's start
interrupted (tests/wine_prefix.sh). Stand-ins on PATH play apt, dpkg, the
compiler and Wine, in a scratch cache; nothing is fetched.

usage: setup_test.py    (prints "N passed, N failed")
"""
import fcntl
import glob
import os
import signal
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
VERSION = "8.0~test"
STAND_INS = {
    # wine64 installed at VERSION, offered by the suite STANDIN_SUITE.
    "dpkg-query": 'case "$*" in *Status*) echo "install ok installed %s" ;; *) echo %s ;; esac' % (VERSION, VERSION),
    "apt-cache": 'echo " wine64 | %s | http://deb.example/debian ${STANDIN_SUITE:-bookworm}/main amd64 Packages"'
                 % VERSION,
    # update keeps the sources it was given; download makes a package a
    # name, or, with STANDIN_SLOW, says where it is and waits.
    "apt-get": r'''for a; do case $a in Dir::Etc::SourceList=*) list=${a#*=} ;; esac; done
case " $* " in
*" update "*) cp "$list" "$STANDIN_LOG/sources.list" ;;
*" download "*)
  [ -z "${STANDIN_SLOW:-}" ] || { echo $$ >"$STANDIN_LOG/slow"; exec sleep 600; }
  seen=""
  for a; do
    [ -n "$seen" ] && { name=${a%%[:=]*}; : >"${name}_1_i386.deb"; }
    [ "$a" = download ] && seen=1
  done ;;
esac
exit 0''',
    "dpkg-deb": r'''d=$3
mkdir -p "$d/usr/bin" "$d/usr/lib/wine" "$d/lib/i386-linux-gnu" "$d/usr/share/wine" \
  "$d/usr/lib/i386-linux-gnu/wine/i386-unix" "$d/usr/lib/i386-linux-gnu/wine/i386-windows" \
  "$d/usr/i686-w64-mingw32/lib"
printf '#!/bin/sh\necho qemu "$@"\n' >"$d/usr/bin/qemu-i386"; chmod 755 "$d/usr/bin/qemu-i386"
for f in usr/lib/wine/wine lib/i386-linux-gnu/libc.so.6 lib/ld-linux.so.2 \
    usr/lib/i386-linux-gnu/wine/i386-unix/ntdll.so usr/lib/i386-linux-gnu/wine/i386-windows/apisetschema.dll; do
  : >"$d/$f"
done
head -c 200 /dev/zero >"$d/usr/i686-w64-mingw32/lib/zlib1.dll"''',
    "strip": 'case $2 in -o) cp "$4" "$3" ;; esac',
    "i686-w64-mingw32-strip": 'case $2 in -o) cp "$4" "$3" ;; esac',
    # The kernel's answer: no 32-bit system calls.
    "g++": 'printf "#!/bin/sh\\nexit 1\\n" >"$2"; chmod 755 "$2"',
    # A server that stays, and a wineboot that takes its time.
    "wineserver": 'case $1 in -p) setsid sleep 300 </dev/null >/dev/null 2>&1 & ;; esac; exit 0',
    "wine": "exec sleep 300",
}


def world():
    """A folder with the stand-ins, a log and a home; the environment."""
    folder = tempfile.mkdtemp(prefix="fmv-setup-")
    bin_dir = os.path.join(folder, "bin")
    os.mkdir(bin_dir)
    for name, body in STAND_INS.items():
        with open(os.path.join(bin_dir, name), "w") as f:
            f.write("#!/bin/sh\n" + body + "\n")
        os.chmod(os.path.join(bin_dir, name), 0o755)
    os.mkdir(os.path.join(folder, "log"))
    env = dict(os.environ, PATH=bin_dir + ":" + os.environ["PATH"], STANDIN_LOG=os.path.join(folder, "log"))
    return folder, env


def with_cache(env, cache):
    """The cache, with the DLLs the fetch links to."""
    dlls = os.path.join(cache, "fmvframes", "wine32-" + VERSION, "i386-windows")
    os.makedirs(dlls, exist_ok=True)
    open(os.path.join(dlls, "kernel32.dll"), "w").close()
    return dict(env, XDG_CACHE_HOME=cache)


def fetch(env, **more):
    return subprocess.run(["sh", os.path.join(ROOT, "tools", "wine32_emulation.sh")], env=dict(env, **more),
                          capture_output=True, text=True, timeout=60)


def prefix_processes(prefix):
    found = []
    for environ in glob.glob("/proc/[0-9]*/environ"):
        try:
            with open(environ, "rb") as f:
                if ("WINEPREFIX=" + prefix).encode() in f.read().split(b"\0"):
                    found.append(environ)
        except OSError:
            pass
    return found


def killed_fetch(folder, env):
    """KILL during the download: no process holds the lock; the next fetch
    removes what the killed one left, and ends with the wrapper in place."""
    env = with_cache(env, os.path.join(folder, "cache"))
    caches = os.path.join(env["XDG_CACHE_HOME"], "fmvframes")
    os.makedirs(os.path.join(caches, "unpacked.old"))  # an older fetch's
    slow = os.path.join(env["STANDIN_LOG"], "slow")
    run = subprocess.Popen(["sh", os.path.join(ROOT, "tools", "wine32_emulation.sh")],
                           env=dict(env, STANDIN_SLOW="1"), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    end = time.time() + 30
    while not os.path.exists(slow) or not open(slow).read().strip():
        assert time.time() < end, "the download never started"
        time.sleep(0.05)
    run.kill()
    run.wait()
    with open(os.path.join(caches, "emu32.lock"), "w") as lock:
        try:
            fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
            free = True
        except BlockingIOError:
            free = False
    os.kill(int(open(slow).read()), signal.SIGKILL)
    assert free, "the killed fetch's download holds the lock"
    with open(os.path.join(caches, "emu32.scratch")) as f:
        left = f.read().split()
    assert all(os.path.exists(path) for path in left), left
    done = fetch(env)
    assert done.returncode == 0, done.stderr
    assert not any(os.path.exists(path) for path in left), left
    assert glob.glob(os.path.join(caches, "unpacked*")) == [], os.listdir(caches)


def waits_and_says_so(folder, env):
    """A run while another holds the lock says once that it waits."""
    env = with_cache(env, os.path.join(folder, "cache"))
    caches = os.path.join(env["XDG_CACHE_HOME"], "fmvframes")
    os.makedirs(caches, exist_ok=True)
    with open(os.path.join(caches, "emu32.lock"), "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        run = subprocess.Popen(["sh", os.path.join(ROOT, "tools", "wine32_emulation.sh")], env=env,
                               stdout=subprocess.PIPE, text=True)
        time.sleep(2)
        fcntl.flock(lock, fcntl.LOCK_UN)
    out = run.communicate(timeout=60)[0]
    assert run.returncode == 0 and out.count("Waiting for another run") == 1, out


def quoted_cache(folder, env):
    """A cache path with an apostrophe: the wrapper runs."""
    env = with_cache(env, os.path.join(folder, "O'Brien's cache"))
    done = fetch(env)
    assert done.returncode == 0, done.stderr
    wine = os.path.join(env["XDG_CACHE_HOME"], "fmvframes", "emu32-" + VERSION, "wine")
    ran = subprocess.run([wine, "x y"], capture_output=True, text=True)
    cache = os.path.dirname(wine)
    assert ran.returncode == 0 and ran.stdout.split("\n")[0] == "qemu -L %s/root -0 %s %s/root/usr/lib/wine/wine.real x y" % (
        cache, wine, cache), (ran.stdout, ran.stderr)


def backports(folder, env):
    """wine64 of bookworm-backports: qemu from bookworm-backports, wine32
    from wine64's own suite."""
    env = with_cache(env, os.path.join(folder, "cache"))
    done = fetch(env, STANDIN_SUITE="bookworm-backports")
    assert done.returncode == 0, done.stderr
    with open(os.path.join(env["STANDIN_LOG"], "sources.list")) as f:
        suites = [line.split("] ")[1].split()[1] for line in f if line.startswith("deb ")]
    assert suites == ["bookworm-backports", "bookworm-backports"], suites


def interrupted_start(folder, env):
    """Ctrl+C while the prefix is made: 130, and nothing of it left running."""
    prefix = os.path.join(folder, "prefix")
    start = subprocess.Popen(["bash", os.path.join(ROOT, "tests", "wine_prefix.sh"), "start", "wine", "wineserver",
                              prefix], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    end = time.time() + 10
    while len(prefix_processes(prefix)) < 3:  # the script, the server and wineboot
        assert time.time() < end, "wineboot never started"
        time.sleep(0.05)
    start.send_signal(signal.SIGINT)
    assert start.wait(timeout=20) == 130
    time.sleep(0.2)
    assert prefix_processes(prefix) == [], prefix_processes(prefix)


passed = failed = 0
for row in (killed_fetch, waits_and_says_so, quoted_cache, backports, interrupted_start):
    folder, env = world()
    try:
        row(folder, env)
        passed += 1
        print("ok", row.__name__)
    except Exception as error:  # noqa: BLE001 - each row says what went wrong
        failed += 1
        print("FAILED", row.__name__ + ":", repr(error))
    finally:  # nothing of a failed row left running
        for environ in prefix_processes(os.path.join(folder, "prefix")):
            os.kill(int(environ.split("/")[2]), signal.SIGKILL)
        subprocess.run(["rm", "-rf", folder])
print("%d passed, %d failed" % (passed, failed))
sys.exit(1 if failed else 0)
