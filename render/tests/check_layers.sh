#!/bin/sh
# The renderer's folders under render/src import only downward. From the
# lowest layer up:
#
#   core      vectors, transforms, hashing, errors: nothing of the module
#   abi       the module's Vector and Colour in the renderer's arithmetic
#   image     pictures read and written
#   geometry  shapes, meshes and the Embree BVH
#   sampler   Sobol points and the path's random numbers
#   scene     the scene records and their loading from JSON
#   module    the loaded shader module
#   shading   the per-ray state, tracing, lights and materials
#   photon    the photon pass: emission, photon paths, the caustic map
#   ops       the host operations the module calls
#   render    the image loop
#   cli       the command line
#
# A folder may include its own headers, those of any folder below it and,
# from abi/ up, the module's (host/, shader/), never one above it; every include is rooted
# ("shading/tracer.h"), never "../". Each violation is printed; `tsort` then
# reports any cycle among the folders, which the order rules out.
# Usage: check_layers.sh RENDER_SRC_DIR
set -u
src=${1:?usage: check_layers.sh RENDER_SRC_DIR}
layers="core abi image geometry sampler scene module shading photon ops render cli"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One line per include: the including file below src, then the name included.
find "$src" -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.in' \) | sort |
  while IFS= read -r file; do
    sed -nE "s|^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]*)\".*|${file#"$src"/} \1|p" "$file"
  done >"$work/includes"
ls -d "$src"/*/ | sed -E 's|.*/([^/]+)/$|\1|' >"$work/folders"

# Checks every include against the order and writes the folder edges.
awk -v layers="$layers" -v edges="$work/edges" '
  BEGIN { n = split(layers, l, " "); for (i = 1; i <= n; ++i) rank[l[i]] = i; bad = 0 }
  FILENAME ~ /folders$/ {
    if (!($1 in rank)) { print "render/src/" $1 "/: a folder with no place in the layer order"; bad = 1 }
    else print $1, $1 > edges
    next
  }
  {
    file = $1; inc = $2
    if (inc ~ /(^|\/)\.\.?\//) { print file ": #include \"" inc "\": includes are rooted, never relative"; bad = 1; next }
    if (inc !~ /\//) { print file ": #include \"" inc "\": includes are rooted (\"folder/" inc "\")"; bad = 1; next }
    if (file !~ /\//) next # main.cpp stands above every folder
    from = substr(file, 1, index(file, "/") - 1); to = substr(inc, 1, index(inc, "/") - 1)
    if (to == "host" || to == "shader") { # the module interface, which abi/ brings in
      if (from == "core") { print file ": #include \"" inc "\": core/ stands below the module'"'"'s records"; bad = 1 }
      next
    }
    if (!(to in rank)) { print file ": #include \"" inc "\": no such layer"; bad = 1; next }
    if (rank[to] > rank[from]) { print file ": #include \"" inc "\": " from "/ may not include from " to "/, a layer above it"; bad = 1 }
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

[ $status -eq 0 ] && echo "render/src: $(wc -l <"$work/folders") folders, every include downward, no cycle"
exit $status
