# shellcheck shell=bash
# What every check of .ci/checks sources: it runs at the top of the tree,
# with the folder that the checks of one run share, and helpers for a
# clean root and for what the package mirror could not serve.
cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit
# A command that fails inside $(...) fails the check too.
shopt -s inherit_errexit
# On tmpfs, which the builds in it are one more variation for; others may
# enter it, for the rebuild by another user. A check run alone has one of
# its own.
if [[ -z ${CI_WORK:-} ]]; then
    CI_WORK=$(mktemp -d -p /dev/shm)
    export CI_WORK
    chmod 711 "$CI_WORK"
    trap 'rm -rf "$CI_WORK"' EXIT
fi
work=$CI_WORK
# shellcheck disable=SC2034 # for the checks
packages=build/packages

# The Debian mirror that this machine's apt uses, looked up once a run.
# shellcheck disable=SC2016 # apt's format, not the shell's
mirror() {
    if [[ ! -s $work/mirror ]]; then
        apt-get indextargets --format '$(REPO_URI)' 'Label: Debian' | sort -u | head -n 1 >"$work/mirror"
    fi
    cat "$work/mirror"
}

# A part of the check that could not run; for a whole check, its exit
# status is 77 after this.
not_run() { # what why
    echo "$1: NOT RUN: $2" | tee -a "$work/not-run"
}

# Whether mmdebstrap, whose output is in the log, stopped where the mirror
# serves it: at the update of its package lists, or at their download.
fetch_failed() { # log
    case $(grep '^I: ' "$1" | tail -n 1) in
    "I: running apt-get update..." | "I: downloading packages with apt...") return 0 ;;
    esac
    return 1
}

# A clean root of a release's main and updates suites from the mirror this
# machine uses, made once for all the checks of a run: 77 where the mirror
# could not serve it, which is not tried again; the caller says what could
# not run for it.
root() ( # release file mmdebstrap-option...
    exec 8>>"$work/$2.lock"
    flock 8
    [[ ! -e $work/$2 ]] || exit 0
    [[ ! -e $work/$2.unserved ]] || exit 77
    local mirror
    mirror=$(mirror)
    mmdebstrap --variant=minbase --aptopt='Acquire::Retries "3"' "${@:3}" "$1" "$work/part-$2" \
        "deb $mirror $1 main" "deb $mirror $1-updates main" >"$work/$2.log" 2>&1 ||
        {
            tail -n 20 "$work/$2.log" >&2
            fetch_failed "$work/$2.log" || exit 1
            touch "$work/$2.unserved"
            exit 77
        }
    mv "$work/part-$2" "$work/$2"
)

# sbuild's and autopkgtest's unshare modes map root to a range of its own.
subids_for_root() {
    ((EUID)) || grep -qs '^root:' /etc/subuid || echo root:1000000:65536 | tee -a /etc/subuid >>/etc/subgid
}

# Builds the source package in DIR for the architecture with sbuild, in a
# clean root of the release made for it, with its tests under qemu-user,
# into DIR/out; 77 where the mirror could not serve the build. sbuild
# builds a cross build without its tests unless told otherwise, and exits
# with 0 whatever its summary says. Its .changes names the changelog's
# distribution, as a build here does.
sbuild_in_clean_root() { # release architecture dir
    local summary distribution mirror_stage=$'(^|\n)Fail-Stage: (apt-get-update|install-deps)(\n|$)'
    distribution=$(dpkg-parsechangelog -SDistribution)
    subids_for_root
    local status=0
    root "$1" "$1-buildd.tar" --variant=buildd --include=apt-utils || status=$?
    if ((status == 77)); then
        not_run "the $2 package" "the package mirror could not serve a clean $1 root"
    fi
    ((status == 0)) || return "$status"
    mkdir -p "$3/out"
    (cd "$3/out" && DEB_BUILD_OPTIONS="" DEB_BUILD_PROFILES=cross sbuild --host="$2" \
        --dist="$distribution" \
        --chroot-mode=unshare --chroot="$work/$1-buildd.tar" --nolog --no-run-lintian \
        --no-run-autopkgtest ../pair-sum_*.dsc >log 2>&1) || true
    summary=$(grep -E '^(Build Profiles|Status|Fail-Stage): |tests passed' "$3/out/log") || true
    echo "$2: ${summary//$'\n'/; }"
    if [[ $summary == *"Status: successful"* && $summary == *"100% tests passed"* ]]; then
        return
    fi
    tail -n 40 "$3/out/log"
    [[ $summary =~ $mirror_stage ]] || return 1
    not_run "the $2 package" "the package mirror could not serve the build's dependencies"
    return 77
}
