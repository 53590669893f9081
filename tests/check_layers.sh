#!/bin/sh
# A source tree's folders import only downward. The ctests that call this
# name each tree's order: the module's folders, its public headers and the
# renderer's (tests/CMakeLists.txt, render/tests/CMakeLists.txt).
#
# LAYERS names the folders from the lowest up; folders joined by a comma
# stand side by side and may not include each other. A file may include its
# own folder's headers and those of any folder below it, never one above it
# or beside it; every include is rooted ("shading/tracer.h"), never "../".
# With PREFIX (vitrel/), the includes checked are <vitrel/FOLDER/...>; without
# it, the quoted ones. The module's public headers, <vitrel/...>, may be
# included from every folder at or above INTERFACE_FLOOR (default: all). Each
# violation is printed; `tsort` then reports any cycle among the folders,
# which the order rules out.
# Usage: check_layers.sh DIR LAYERS [PREFIX] [INTERFACE_FLOOR]
set -u
src=${1:?usage: check_layers.sh DIR LAYERS [PREFIX] [INTERFACE_FLOOR]}
layers=${2:?usage: check_layers.sh DIR LAYERS [PREFIX] [INTERFACE_FLOOR]}
prefix=${3:-}
floor=${4:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One line per include: the including file below DIR, then the name included
# (for PREFIX, without it), or "@interface" for a public header included from
# a tree that is not the public headers themselves.
find "$src" -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.in' -o -name '*.S' \) | sort |
  while IFS= read -r file; do
    rel=${file#"$src"/}
    if [ -n "$prefix" ]; then
      sed -nE "s|^[[:space:]]*#[[:space:]]*include[[:space:]]*<${prefix}([^>]*)>.*|${rel} \1|p" "$file"
      sed -nE "s|^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]*)\".*|${rel} \1|p" "$file"
    else
      sed -nE "s|^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]*)\".*|${rel} \1|p" "$file"
      sed -nE "s|^[[:space:]]*#[[:space:]]*include[[:space:]]*<vitrel/.*|${rel} @interface|p" "$file"
    fi
  done >"$work/includes"
ls -d "$src"/*/ | sed -E 's|.*/([^/]+)/$|\1|' >"$work/folders"

# Checks every include against the order and writes the folder edges.
awk -v layers="$layers" -v floor="$floor" -v tree="$src" -v edges="$work/edges" '
  BEGIN {
    n = split(layers, l, " ")
    for (i = 1; i <= n; ++i) { m = split(l[i], side, ","); for (j = 1; j <= m; ++j) rank[side[j]] = i }
    bad = 0
  }
  FILENAME ~ /folders$/ {
    if (!($1 in rank)) { print tree "/" $1 "/: a folder with no place in the layer order"; bad = 1 }
    else print $1, $1 > edges
    next
  }
  {
    file = $1; inc = $2
    from = index(file, "/") ? substr(file, 1, index(file, "/") - 1) : ""
    if (inc == "@interface") {
      if (from != "" && floor != "" && rank[from] < rank[floor]) {
        print file ": includes the module'"'"'s public headers, which stand above " from "/ (from " floor "/ up)"; bad = 1
      }
      next
    }
    if (inc ~ /(^|\/)\.\.?\//) { print file ": #include \"" inc "\": includes are rooted, never relative"; bad = 1; next }
    if (inc !~ /\//) { print file ": #include \"" inc "\": includes are rooted (\"folder/" inc "\")"; bad = 1; next }
    if (from == "") next # a file at the top stands above every folder
    to = substr(inc, 1, index(inc, "/") - 1)
    if (!(to in rank)) { print file ": #include \"" inc "\": no such layer"; bad = 1; next }
    if (rank[to] > rank[from]) { print file ": #include \"" inc "\": " from "/ may not include from " to "/, a layer above it"; bad = 1 }
    else if (rank[to] == rank[from] && to != from) { print file ": #include \"" inc "\": " from "/ and " to "/ stand side by side"; bad = 1 }
    print from, to > edges
  }
  END { exit bad }
' "$work/folders" "$work/includes"
status=$?

# tsort reads "a b" as a before b and names the members of any cycle.
if ! sort -u "$work/edges" | tsort >/dev/null 2>"$work/cycles"; then
  cat "$work/cycles"
  status=1
fi

[ $status -eq 0 ] && echo "$src: $(wc -l <"$work/folders") folders, every include downward, no cycle"
exit $status
