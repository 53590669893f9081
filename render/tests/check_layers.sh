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
layers="core abi image geometry sampler scene module shading ops render cli"

rank() {
  i=0
  for l in $layers; do
    [ "$l" = "$1" ] && { echo $i; return; }
    i=$((i + 1))
  done
  echo -1
}

status=0
edges=$(mktemp)
trap 'rm -f "$edges"' EXIT

for dir in "$src"/*/; do
  from=$(basename "$dir")
  if [ "$(rank "$from")" -lt 0 ]; then
    echo "render/src/$from/: a folder with no place in the layer order"
    status=1
    continue
  fi
  echo "$from $from" >>"$edges"
done

# file:line:#include "folder/name.h"
grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$src" | while IFS= read -r line; do
  file=${line%%:*}
  rel=${file#"$src"/}
  inc=$(printf '%s\n' "$line" | sed -E 's/.*#[[:space:]]*include[[:space:]]*"([^"]*)".*/\1/')
  case $inc in
  *../* | ./*)
    echo "$rel: #include \"$inc\": includes are rooted, never relative"
    echo fail
    continue
    ;;
  */*) ;;
  *)
    echo "$rel: #include \"$inc\": includes are rooted (\"folder/$inc\")"
    echo fail
    continue
    ;;
  esac
  case $rel in */*) ;; *) continue ;; esac # main.cpp stands above every folder
  from=${rel%%/*}
  to=${inc%%/*}
  case $to in
  host | shader) # the module's interface, which abi/ brings in
    if [ "$from" = core ]; then
      echo "$rel: #include \"$inc\": core/ stands below the module's records"
      echo fail
    fi
    continue
    ;;
  esac
  rf=$(rank "$from")
  rt=$(rank "$to")
  if [ "$rt" -lt 0 ]; then
    echo "$rel: #include \"$inc\": no such layer"
    echo fail
  elif [ "$rt" -gt "$rf" ]; then
    echo "$rel: #include \"$inc\": $from/ may not include from $to/, a layer above it"
    echo fail
  fi
  echo "$from $to" >>"$edges"
done >"$edges.out"
if grep -q '^fail$' "$edges.out"; then status=1; fi
grep -v '^fail$' "$edges.out"
rm -f "$edges.out"

# tsort reads "a b" as a before b and names the members of any cycle.
if ! sort -u "$edges" | tsort >/dev/null 2>"$edges.tsort"; then
  cat "$edges.tsort"
  status=1
fi
rm -f "$edges.tsort"

[ $status -eq 0 ] && echo "render/src: $(ls -d "$src"/*/ | wc -l) folders, every include downward, no cycle"
exit $status
