#!/usr/bin/env bash
# Lists the C++ files of the repository that clang-format, with the project's
# .clang-format, would change; exits non-zero when there is any.
# To format them: git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format -i
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

if ! command -v clang-format >/dev/null 2>&1; then
    bash scripts/install-deps.sh
fi
# A broken style file would otherwise show as every file being unformatted.
clang-format --style=file --dump-config >/dev/null

unformatted=()
while IFS= read -r -d '' file; do
    if ! clang-format --style=file --dry-run --Werror "$file" >/dev/null 2>&1; then
        unformatted+=("$file")
    fi
done < <(git ls-files -z '*.cpp' '*.h')

if [ ${#unformatted[@]} -gt 0 ]; then
    echo "Not formatted as .clang-format says (clang-format -i FILE fixes one):" >&2
    printf '  %s\n' "${unformatted[@]}" >&2
    exit 1
fi
