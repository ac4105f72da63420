# The rules behind check-layers.sh. Inputs, in this order: the layer table,
# the list of source files (root-relative), and their quoted includes as
# "file:line:text".
function dirof(path) { return path ~ /\// ? substr(path, 1, match(path, /\/[^\/]*$/) - 1) : "." }
function fault(text) { print "layers: " text; faults++ }

FNR == 1 { part++ }

part == 1 {
    sub(/#.*/, "")
    if ($0 ~ /^[ \t]*$/) next
    colon = index($0, ":")
    if (colon == 0) { fault(table ":" FNR ": no ':' after the folder"); next }
    dir = substr($0, 1, colon - 1)
    gsub(/[ \t]/, "", dir)
    if (dir in known) fault(table ":" FNR ": " dir " is listed twice")
    known[dir] = 1
    order[++folders] = dir
    count = split(substr($0, colon + 1), deps, /[ \t]+/)
    for (i = 1; i <= count; i++) {
        if (deps[i] == "") continue
        if (deps[i] == "*") anyDir[dir] = 1
        else if (deps[i] == "installed") installed[dir] = 1
        else { allowed[dir, deps[i]] = 1; edges[dir] = edges[dir] " " deps[i] }
    }
    next
}

part == 2 {
    exists[$0] = 1
    if (!(dirof($0) in known)) fault($0 ": its folder " dirof($0) "/ is not in " table)
    next
}

part == 3 {
    colon = index($0, ":"); file = substr($0, 1, colon - 1); rest = substr($0, colon + 1)
    colon = index(rest, ":"); line = substr(rest, 1, colon - 1); text = substr(rest, colon + 1)
    name = text; sub(/^[^"]*"/, "", name); sub(/".*$/, "", name)
    from = dirof(file)
    if (from in installed) next
    if (name == "makebin_version.h") to = "include"   # made from include/makebin_version.h.in
    else if (name in exists) to = dirof(name)
    else if (from == "include" && (("include/" name) in exists)) to = "include"
    else { fault(file ":" line ": \"" name "\" is not named from the project root"); next }
    if (to != from && !(from in anyDir) && !((from, to) in allowed))
        fault(file ":" line ": " from "/ may not include " to "/ (\"" name "\")")
    next
}

END {
    for (i = 1; i <= folders; i++) {
        count = split(edges[order[i]], deps, " ")
        for (j = 1; j <= count; j++)
            if (!(deps[j] in known)) fault(table ": " order[i] " names unknown folder " deps[j])
    }
    # Peel off folders whose allowed folders are all peeled already; what
    # remains sits on a circle or above one.
    left = folders
    do {
        progress = 0
        for (i = 1; i <= folders; i++) {
            dir = order[i]
            if (dir in peeled) continue
            count = split(edges[dir], deps, " ")
            ready = 1
            for (j = 1; j <= count; j++)
                if (deps[j] != dir && (deps[j] in known) && !(deps[j] in peeled)) ready = 0
            if (ready) { peeled[dir] = 1; left--; progress = 1 }
        }
    } while (progress)
    if (left > 0) {
        circle = ""
        for (i = 1; i <= folders; i++) if (!(order[i] in peeled)) circle = circle " " order[i]
        fault(table ": folders on a circle or above one:" circle)
    }
    if (faults) exit 1
    print "layers: " folders " folders, no include against the table"
}
