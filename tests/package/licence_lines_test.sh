#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every source file of the project names its licence in its first lines.
#   licence_lines_test.sh SOURCE_ROOT
set -euo pipefail
root=$1
missing=0
while IFS= read -r -d '' file; do
  if ! head -n 3 "$file" | grep -q 'SPDX-License-Identifier: GPL-3.0-or-later'; then
    echo "no SPDX licence line: ${file#$root/}"
    missing=$((missing + 1))
  fi
done < <(find "$root/src" "$root/tools" "$root/tests" "$root/bench" "$root/fuzz" \
            -path "$root/fuzz/corpus" -prune -o \
            -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.sh' -o -name '*.py' \
                       -o -name 'CMakeLists.txt' -o -name '*.ui' \) -print0)
[ "$missing" -eq 0 ] && echo "every source file names its licence"
exit $((missing > 0))
