#!/usr/bin/python3
"""panelbin's JSON outputs against the schemas that `panelbin schema` prints:
dump of a made file and of a file of random record bytes, show --json,
check --json of a sound and a damaged file, diff --json of two files.
Exits 77 (skipped) when Debian's python3-jsonschema is not installed."""
import json
import os
import random
import subprocess
import sys
import tempfile

try:
    import jsonschema
except ImportError:
    print("SKIPPED: python3-jsonschema is not installed (apt-get install python3-jsonschema)")
    sys.exit(77)

PANELBIN = sys.argv[1]
SIZES = {"R100": 476, "R120": 632}


def run(*args, status=0):
    done = subprocess.run([PANELBIN, *args], capture_output=True, text=True)
    if done.returncode != status:
        sys.exit(f"panelbin {' '.join(args)}: exit {done.returncode}: {done.stderr}")
    return done.stdout


def schema(what):
    document = json.loads(run("schema", what))
    jsonschema.Draft202012Validator.check_schema(document)
    return jsonschema.Draft202012Validator(document)


def smallest_value(field):
    """The plainest value the field's schema allows: what make takes."""
    if "anyOf" in field:
        return {"id": 0}
    if field.get("type") == "array":
        return []
    if "oneOf" in field and field["oneOf"][0].get("type") == "string":
        return "panel"
    return 0


def made_file(directory, generation, count):
    record = json.loads(run("schema"))["$defs"][generation]
    panel = {k: smallest_value(v) for k, v in record["properties"].items() if k != "reserved"}
    document = {"generation": generation,
                "header": {"enMedia": {"id": 3}, "u32Addr": -1, "u32TotalNum": count, "u32Index": 0},
                "panels": [panel] * count}
    source, target = os.path.join(directory, "in.json"), os.path.join(directory, generation + ".bin")
    with open(source, "w") as out:
        json.dump(document, out)
    run("make", target, "--from", source)
    return target


def random_bytes(path, generation, count, seed):
    """The file with every body record's bytes random: keys of 36 bytes
    (name and size) before each record, the first at 132."""
    image = bytearray(open(path, "rb").read())
    rng = random.Random(seed)
    size = SIZES[generation]
    for k in range(count):
        start = 132 + k * (36 + size) + 36
        for i in range(size):
            image[start + i] = rng.choice([0, 1, 255, rng.randrange(256)])
    target = path + ".random"
    open(target, "wb").write(image)
    return target


def main():
    validators = {what: schema(what) for what in ("dump", "show", "check", "diff")}
    checked = 0
    with tempfile.TemporaryDirectory() as directory:
        for generation in SIZES:
            made = made_file(directory, generation, 3)
            odd = random_bytes(made, generation, 3, 17)
            damaged = made + ".short"
            open(damaged, "wb").write(open(made, "rb").read()[:1000])
            outputs = [("dump", run("dump", made)), ("dump", run("dump", odd)),
                       ("show", run("show", "--json", odd)),
                       ("check", run("check", "--json", made)),
                       ("check", run("check", "--json", damaged, status=1)),
                       ("diff", run("diff", "--json", made, odd, status=1))]
            for what, text in outputs:
                errors = list(validators[what].iter_errors(json.loads(text)))
                if errors:
                    sys.exit(f"{generation} {what}: {errors[0].message[:300]} at {list(errors[0].path)}")
                checked += 1
            # The schema is no blank cheque: what make refuses, it refuses too.
            good = json.loads(run("dump", made))
            spoilers = [lambda d: d["panels"][0].update(colour=1),
                        lambda d: d["panels"][0].pop("chName"),
                        lambda d: d["panels"][0].update(enIntfType={"id": 3}),
                        lambda d: d["panels"][0].update(bSupport48Hz=2),
                        lambda d: d["header"].update(u32Addr=1 << 32)]
            for number, spoil in enumerate(spoilers):
                bad = json.loads(json.dumps(good))
                spoil(bad)
                if validators["dump"].is_valid(bad):
                    sys.exit(f"{generation}: spoiled document {number} passes the schema")
    print(f"{checked} outputs valid against their schemas, spoiled documents refused")


main()
