# Sourced by the set-up scripts that fetch Debian packages for the tests
# without touching the machine's apt: an apt state of their own, and long
# steps that a signal ends at once. The caller defines fail MESSAGE.

# The installed wine64's version; fails where it is not installed (removed
# with its configuration kept, a package still has a version).
wine64_version() {
  case $(dpkg-query -W -f='${Status} ${Version}' wine64 2>/dev/null) in
  "install ok installed "*) dpkg-query -W -f='${Version}' wine64 ;;
  *) return 1 ;;
  esac
}

# The suite that offers wine64 VERSION, as apt-cache madison lists it:
#     wine64 | 8.0~repack-4 | http://deb.debian.org/debian bookworm/main amd64 Packages
# Sets uri (http://deb.debian.org/debian) and suite (bookworm/main).
wine64_origin() {
  origin=$(apt-cache madison wine64 |
    awk -F ' [|] ' -v version="$1" '$2 == version { print $3; exit }')
  [ -n "$origin" ] ||
    fail "wine64 $1 is in no package list: run apt-get update, or upgrade wine64"
  uri=${origin%% *}
  suite=${origin#* }
  suite=${suite%% *}
}

# The shell acts on a signal only between commands: each long step runs in
# the background, in a process group of its own, so that Ctrl+C, a TERM or
# a closed terminal (HUP) ends the step and all it started (apt's download
# methods) at once.
child=""
stop() {
  trap - HUP INT TERM
  [ -z "$child" ] || kill -TERM "-$child" 2>/dev/null || true
  exit "$1"
}
trap 'stop 129' HUP
trap 'stop 130' INT
trap 'stop 143' TERM
# A step holds no lock of the fetch (fd 9): killed outright (KILL, an
# out-of-memory kill), the fetch leaves nobody holding it.
step() {
  setsid "$@" 9>&- &
  child=$!
  wait "$child"
}

# lock NAME: one run at a time in the cache; a run that waits says so.
lock() {
  mkdir -p "$caches"
  exec 9>"$caches/$1.lock"
  flock -n 9 || {
    echo "Waiting for another run that fetches into $caches"
    flock 9
  }
}
# scratch NAME: sets state (an apt state, where _apt can reach it) and
# unpacked (beside the cache, to be moved into place whole), both removed at
# the end. A fetch killed outright removes neither: the next one, holding
# the lock, removes what its record names first.
scratch() {
  record=$caches/$1.scratch
  if [ -f "$record" ]; then
    while IFS= read -r left; do rm -rf "$left"; done <"$record"
  fi
  rm -rf "$caches"/unpacked.*  # left by a fetch that kept no record
  state=$(mktemp -d)
  unpacked=$(mktemp -d "$caches/unpacked-$1.XXXXXX")
  printf '%s\n' "$state" "$unpacked" >"$record"
  trap 'rm -rf "$state" "$unpacked" "$record"' EXIT
}

# The text as one word for the shell, whatever it holds: 'O'\''Brien'.
quoted() {
  printf "'%s'" "$(printf '%s' "$1" | sed "s/'/'\\\\''/g")"
}

# apt_state DIR ARCHES: an empty apt state in DIR for ARCHES (the first the
# main one: amd64,i386), where the user _apt, as whom apt downloads when run
# as root, can reach it. The caller writes DIR/sources.list, with each
# line's architecture and the archive keyring (keyring below), and
# downloads into DIR/archives.
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
[ -f "$keyring" ] || keyring=""
apt_state() {
  state=$1 arches=$2
  chmod 755 "$state"
  mkdir -p "$state/lists/partial" "$state/archives/partial" "$state/parts"
  : >"$state/status"
  sandbox=""
  if [ "$(id -u)" = 0 ]; then
    chown _apt "$state/archives"
  else
    sandbox="-o APT::Sandbox::User=$(id -un)"  # no other user to drop to
  fi
}
# apt_private ARGS: apt-get in that state, as a step.
apt_private() {
  # shellcheck disable=SC2086 # the option is one word or none
  step apt-get -q -o Dir::State="$state" -o Dir::State::Lists="$state/lists" \
    -o Dir::State::status="$state/status" -o Dir::Cache="$state" \
    -o Dir::Cache::archives="$state/archives" \
    -o Dir::Etc::SourceList="$state/sources.list" \
    -o Dir::Etc::SourceParts="$state/parts" \
    -o APT::Architecture="${arches%%,*}" -o APT::Architectures="$arches" \
    $sandbox "$@"
}
# signed: the option that names the keyring in a sources.list line, if any.
signed=${keyring:+ signed-by=$keyring}
