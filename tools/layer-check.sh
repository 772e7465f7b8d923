#!/bin/sh
# The include graph between the core's folders, read from the #include lines
# of src/<folder>/*.h and *.cpp, against the layer order (lowest first): the
# edges with their counts, every include that goes up a layer (a back edge),
# and the groups of folders that reach each other (circles). Fails when there
# is a back edge or a circle. The build refuses them too (src/CMakeLists.txt);
# this says where they are at a glance.
#
#   tools/layer-check.sh            the graph, the back edges and the circles
set -eu
cd "$(dirname "$0")/.."

layers="platform trace decode contract document regtool"

for from in $layers; do
  for file in src/"$from"/*.h src/"$from"/*.cpp; do
    [ -f "$file" ] || continue
    sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file" | while read -r inc; do
      case $inc in
        ../*) echo "$from .. $file $inc" ;;
        */*) echo "$from ${inc%%/*} $file $inc" ;;
      esac
    done
  done
done | awk -v layers="$layers" '
  BEGIN { n = split(layers, name, " "); for (i = 1; i <= n; i++) rank[name[i]] = i }
  $1 == $2 { next }
  $2 == ".." { print "relative include (reaches round the layers): " $3 ": " $4; bad++; next }
  !($2 in rank) { next }
  {
    edge[$1 " -> " $2]++; reach[rank[$1], rank[$2]] = 1
    if (rank[$2] > rank[$1]) { back[$1 " -> " $2]++; where[$1 " -> " $2] = where[$1 " -> " $2] "\n    " $3 ": " $4 }
  }
  END {
    print "edges between folders (include lines):"
    nb = 0; lines = 0
    for (i = 1; i <= n; i++) for (j = 1; j <= n; j++) if ((e = name[i] " -> " name[j]) in edge)
      printf "  %-22s %3d%s\n", e, edge[e], (e in back) ? "  BACK EDGE" : ""
    for (i = 1; i <= n; i++) for (j = 1; j <= n; j++) if ((e = name[i] " -> " name[j]) in back) {
      nb++; lines += back[e]; printf "back edge %s:%s\n", e, where[e]
    }
    # Folders that reach each other, through any path, share a circle.
    for (k = 1; k <= n; k++) for (i = 1; i <= n; i++) for (j = 1; j <= n; j++)
      if (reach[i, k] && reach[k, j]) reach[i, j] = 1
    nc = 0
    for (i = 1; i <= n; i++) {
      if (seen[i]) continue
      group = name[i]; size = 1
      for (j = i + 1; j <= n; j++) if (reach[i, j] && reach[j, i]) { group = group " " name[j]; seen[j] = 1; size++ }
      if (size > 1) { nc++; print "circle: " group }
    }
    np = 0; for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (((name[i] " -> " name[j]) in edge) && ((name[j] " -> " name[i]) in edge)) np++
    printf "layers (lowest first): %s\n", layers
    printf "%d back edges between folders (%d include lines), %d circles (%d pairs of folders that include each other)\n", nb, lines, nc, np
    exit (nb + nc + bad > 0)
  }'
