#!/usr/bin/env bash
# Lists every include that runs back up the layer order and fails when there
# is any. Each folder may include only itself and the folders before it:
# platform (OS helpers) -> settings -> measures -> display -> menu -> app (the shell).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

layers=(platform settings measures display menu app)

rank() {
    local i
    for i in "${!layers[@]}"; do
        if [ "${layers[$i]}" = "$1" ]; then
            echo "$i"
            return
        fi
    done
    echo -1
}

found=0
while IFS=: read -r file line text; do
    from=$(rank "${file%%/*}")
    target=$(sed -E 's/^#include "([^/"]+)\/.*/\1/' <<<"$text")
    to=$(rank "$target")
    if [ "$to" -gt "$from" ]; then
        echo "$file:$line: $text (${file%%/*} includes $target, a layer above it)"
        found=1
    fi
done < <(git ls-files -- "${layers[@]/%//*.h}" "${layers[@]/%//*.cpp}" |
    xargs grep -Hn '^#include "[^/"]*/' || true)

if [ "$found" -ne 0 ]; then
    exit 1
fi
echo "Layers: no include runs back up (${layers[*]})."
