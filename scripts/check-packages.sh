#!/usr/bin/env bash
# Checks that a fresh machine gets everything the build and the tests use from
# scripts/install-deps.sh: every CMake package configuration the configure step found (the
# <Name>_DIR entries of each CMake cache given) and every tool of scripts/test-tools.txt must be
# a file of a Debian package (dpkg -S) that install-deps.sh names, or that one of those
# depends on (Depends and Pre-Depends as dpkg records them, followed through: apt installs
# them whatever the options). A package that came only as a recommendation or by chance is on this machine but
# not on a fresh one; the check fails naming it.
#
#   bash scripts/check-packages.sh [--install SCRIPT] [--tools LIST] CMAKECACHE...
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
install="$root/scripts/install-deps.sh"
tools="$root/scripts/test-tools.txt"
caches=()
while [ $# -gt 0 ]; do
    case "$1" in
        --install) install="$2"; shift 2 ;;
        --tools) tools="$2"; shift 2 ;;
        *) caches+=("$1"); shift ;;
    esac
done

mapfile -t named < <(bash "$install" --list)
problems=()

is_named() {
    local p
    for p in "${named[@]}"; do [ "$p" = "$1" ] && return 0; done
    return 1
}

# The packages install-deps.sh installs: those it names and, through their dependencies,
# everything apt installs with them (Pre-Depends and Depends of the installed packages, as
# dpkg records them; a virtual package stands for those providing it). Worked out when first
# needed.
installed_with=""
is_installed_with() {
    is_named "$1" && return 0
    if [ -z "$installed_with" ]; then
        installed_with=$(dpkg-query -W -f='${Package}\t${Provides}\t${Pre-Depends}, ${Depends}\n' | awk -F'\t' \
            -v roots="${named[*]}" '
            function clean(a) { sub(/\(.*/, "", a); sub(/:.*/, "", a); gsub(/[ \t]/, "", a); return a }
            {
                deps[$1] = $3
                n = split($2, pv, ",")
                for (i = 1; i <= n; i++) { v = clean(pv[i]); if (v != "") prov[v] = prov[v] " " $1 }
            }
            function add(p) { if (p in deps && !(p in seen)) { seen[p] = 1; queue[++last] = p } }
            END {
                n = split(roots, r, " ")
                for (i = 1; i <= n; i++) add(r[i])
                for (q = 1; q <= last; q++) {
                    m = split(deps[queue[q]], d, ",")
                    for (j = 1; j <= m; j++) {
                        k = split(d[j], alt, "|")
                        for (a = 1; a <= k; a++) {
                            name = clean(alt[a])
                            add(name)
                            if (name in prov) { np = split(prov[name], ps, " "); for (x = 1; x <= np; x++) add(ps[x]) }
                        }
                    }
                }
                for (p in seen) print p
            }')
    fi
    grep -qx -- "$1" <<<"$installed_with"
}

# Packages owning a path ("pkg1, pkg2: /path" lines of dpkg -S), without architecture.
owners() {
    { dpkg -S "$1" 2>/dev/null || true; } | sed -n "s|^\(.*\): $1\$|\1|p" | tr ',' '\n' | sed 's/^ *//; s/:.*//' | sort -u
}

# What owns `path` (or, for a link such as an alternative, the file it leads to) must be named.
check_owned() {
    local what=$1 path=$2 pkgs p
    pkgs=$(owners "$path")
    [ -z "$pkgs" ] && pkgs=$(owners "$(readlink -f "$path")")
    if [ -z "$pkgs" ]; then
        problems+=("$what: $path belongs to no Debian package (installed by hand?)")
        return
    fi
    for p in $pkgs; do is_installed_with "$p" && return; done
    problems+=("$what: $path comes from $(echo $pkgs | sed 's/ /, /g'), which scripts/install-deps.sh does not install")
}

for cache in "${caches[@]}"; do
    [ -f "$cache" ] || { problems+=("no CMake cache $cache"); continue; }
    while IFS= read -r entry; do
        name=${entry%%_DIR:PATH=*}
        dir=${entry#*_DIR:PATH=}
        config=""
        for c in "$dir/${name}Config.cmake" "$dir/$(tr '[:upper:]' '[:lower:]' <<<"$name")-config.cmake"; do
            [ -f "$c" ] && config=$c && break
        done
        [ -n "$config" ] || continue  # not a package configuration (an include folder, a NOTFOUND)
        check_owned "CMake package $name" "$config"
    done < <(grep -E '^[A-Za-z0-9_]+_DIR:PATH=' "$cache")
done

if [ -f "$tools" ]; then
    while read -r kind name _; do
        case "$kind" in
            ''|'#'*) continue ;;
            command)
                path=$(command -v "$name" || true)
                [ -n "$path" ] || { problems+=("tool $name is not installed"); continue; }
                check_owned "tool $name" "$path" ;;
            file)
                found=""
                for path in $name; do
                    [ -e "$path" ] && { found=$path; break; }
                done
                [ -n "$found" ] || { problems+=("file $name is not installed"); continue; }
                check_owned "file" "$found" ;;
            python)
                path=$(/usr/bin/python3 -c "import $name, sys; sys.stdout.write($name.__file__)" 2>/dev/null || true)
                [ -n "$path" ] || { problems+=("python module $name is not installed"); continue; }
                check_owned "python module $name" "$path" ;;
            *) problems+=("$tools: unknown kind '$kind'") ;;
        esac
    done <"$tools"
fi

if [ ${#problems[@]} -gt 0 ]; then
    printf 'check-packages: %s\n' "${problems[@]}" >&2
    echo "check-packages: add the packages to scripts/install-deps.sh" >&2
    exit 1
fi
echo "check-packages: every package the build and the tests use is installed by scripts/install-deps.sh"
