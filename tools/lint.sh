#!/usr/bin/env bash
# Checks the C++ sources and fails on any finding:
#   1. formatting of every tracked *.cpp and *.h against .clang-format;
#   2. clang-tidy (.clang-tidy) over the files of BUILD_DIR's
#      compile_commands.json, two at a time;
#   3. cppcheck over src/ and tools/.
# Usage: tools/lint.sh BUILD_DIR   (a configured build folder)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

# The folders clang-tidy covers; bench/ only when BUILD_DIR is configured
# with it. tests/ is left out until its findings are fixed: the default 0
# below becomes 1 then (LINT_TESTS=1 in the environment takes it in once).
LINT_TESTS="${LINT_TESTS:-0}"
tidy_dirs=(src tools bench)
if [ "$LINT_TESTS" = 1 ]; then
    tidy_dirs+=(tests)
fi

if [ $# -ne 1 ]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
build_dir=$(cd "$1" && pwd)
if [ ! -f "$build_dir/compile_commands.json" ]; then
    echo "$1 has no compile_commands.json: configure it with cmake first" >&2
    exit 2
fi

failed=0

echo "== clang-format"
unformatted=()
while IFS= read -r file; do
    clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done < <(git ls-files '*.cpp' '*.h')
if [ ${#unformatted[@]} -gt 0 ]; then
    for file in "${unformatted[@]}"; do
        echo "not formatted: $file (clang-format -i $file)"
    done
    failed=1
fi

echo "== clang-tidy (${tidy_dirs[*]})"
# One entry per file: the tests' helpers are compiled into several programs,
# and clang-tidy would otherwise check them once per program.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 - "$build_dir/compile_commands.json" "$work/compile_commands.json" "$root" \
    "${tidy_dirs[@]}" >"$work/files" <<'PY'
import json, os, sys
source, target, root, dirs = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
prefixes = tuple(os.path.join(root, d) + os.sep for d in dirs)
seen, kept = set(), []
for entry in json.load(open(source)):
    path = os.path.normpath(os.path.join(entry["directory"], entry["file"]))
    if path.startswith(prefixes) and path not in seen:
        seen.add(path)
        kept.append(entry)
json.dump(kept, open(target, "w"), indent=1)
for entry in kept:
    print(os.path.normpath(os.path.join(entry["directory"], entry["file"])))
PY
# Headers of the folders checked here only.
header_dirs=$(IFS='|'; echo "${tidy_dirs[*]}")
root_pattern=$(printf '%s' "$root" | sed 's/[][\.*^$+?(){}|]/\\&/g')
header_filter="^$root_pattern/($header_dirs)/[^/]*\\.h\$"
# Each file's findings are printed in one piece, only when it has any.
if ! xargs -a "$work/files" -P 2 -I '{}' sh -c \
    'out=$(clang-tidy --quiet -p "$1" --header-filter="$2" "$3" 2>&1) ||
        { printf "%s\n" "$out" | grep -v "warnings* generated\.\$"; exit 1; }' \
    sh "$work" "$header_filter" '{}'; then
    failed=1
fi

echo "== cppcheck (src tools)"
# SDL's and the system's headers are described by cppcheck's own sdl and
# posix libraries rather than parsed, hence no missingIncludeSystem.
if ! cppcheck --quiet -j 2 --std=c++17 --language=c++ --library=sdl --library=posix \
    --enable=warning,style,performance,portability --inline-suppr --error-exitcode=1 \
    --suppress=missingIncludeSystem -I src -I tools \
    --template='{file}:{line}:{column}: {severity}: {message} [{id}]' src tools; then
    failed=1
fi

if [ "$failed" -ne 0 ]; then
    echo "lint: findings above" >&2
    exit 1
fi
echo "lint: no findings"
