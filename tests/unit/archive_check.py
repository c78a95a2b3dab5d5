#!/usr/bin/env python3
"""Independent checks of binary property lists, with Python's plistlib.

archive_check.py FILE: checks the object layout of a keyed archive written by Orvanta (header keys,
$null, UIDs in range, class descriptions with their full $classes chains, one description per class,
the keys each class's objects carry, one entry per distinct string) and prints one line of JSON: the resolved tree, and how many 4-byte and 8-byte reals
the file holds (plistlib reads both as float, so the markers are counted from the raw bytes).
archive_check.py --plist FILE: prints any binary property list as JSON, with integers, data, UIDs and
dates tagged ({"int": "7"}, {"data": hex}, {"uid": 7}, {"date": seconds since 2001}).
Exits non-zero with a message on stderr when a check fails.
"""
import datetime
import json
import plistlib
import sys

# Each class Orvanta writes: its $classes chain and the keys its objects carry.
CLASSES = {
    "NSMutableDictionary": (["NSMutableDictionary", "NSDictionary", "NSObject"], {"NS.keys", "NS.objects"}),
    "NSMutableArray": (["NSMutableArray", "NSArray", "NSObject"], {"NS.objects"}),
    "NSMutableSet": (["NSMutableSet", "NSSet", "NSObject"], {"NS.objects"}),
    "NSURL": (["NSURL", "NSObject"], {"NS.base", "NS.relative"}),
    "NSNull": (["NSNull", "NSObject"], set()),
}


def fail(message):
    sys.stderr.write("archive_check: " + message + "\n")
    sys.exit(1)


def tagged(value):
    if value is None or isinstance(value, (bool, float, str)):
        return value
    if isinstance(value, int):
        return {"int": str(value)}
    if isinstance(value, bytes):
        return {"data": value.hex()}
    if isinstance(value, plistlib.UID):
        return {"uid": value.data}
    if isinstance(value, datetime.datetime):
        return {"date": (value - datetime.datetime(2001, 1, 1)).total_seconds()}
    if isinstance(value, list):
        return [tagged(v) for v in value]
    return {k: tagged(v) for k, v in value.items()}


def count_reals(raw):
    offset_size = raw[-26]
    count = int.from_bytes(raw[-24:-16], "big")
    table = int.from_bytes(raw[-8:], "big")
    widths = {0x22: 0, 0x23: 0}
    for i in range(count):
        start = table + i * offset_size
        marker = raw[int.from_bytes(raw[start:start + offset_size], "big")]
        if marker in widths:
            widths[marker] += 1
    return widths[0x22], widths[0x23]


def main():
    raw = open(sys.argv[-1], "rb").read()
    archive = plistlib.loads(raw, fmt=plistlib.FMT_BINARY)
    if sys.argv[1] == "--plist":
        print(json.dumps(tagged(archive), ensure_ascii=False))
        return
    if archive.get("$archiver") != "NSKeyedArchiver" or archive.get("$version") != 100000:
        fail("bad $archiver or $version")
    objects = archive["$objects"]
    if objects[0] != "$null":
        fail("$objects does not begin with $null")
    top = archive["$top"]
    if list(top) != ["root"] or not isinstance(top["root"], plistlib.UID):
        fail("$top is not {'root': UID}")

    def target(uid):
        if not isinstance(uid, plistlib.UID) or not 0 <= uid.data < len(objects):
            fail("UID out of range: %r" % (uid,))
        return objects[uid.data]

    seen_strings = set()
    for entry in objects:
        if isinstance(entry, str):
            if entry in seen_strings:
                fail("string stored twice: %r" % entry)
            seen_strings.add(entry)
        if not isinstance(entry, dict) or "$classname" in entry:
            continue
        cls = target(entry["$class"])
        name = cls.get("$classname")
        if name not in CLASSES or cls.get("$classes") != CLASSES[name][0]:
            fail("bad class description %r" % cls)
        if set(entry) != CLASSES[name][1] | {"$class"}:
            fail("%s object with keys %r" % (name, sorted(entry)))
        uids = list(entry.get("NS.keys", [])) + list(entry.get("NS.objects", []))
        uids += [entry[key] for key in ("NS.base", "NS.relative") if key in entry]
        for uid in uids:
            target(uid)
        if name == "NSMutableDictionary" and len(entry["NS.keys"]) != len(entry["NS.objects"]):
            fail("dictionary with unequal key and value counts")
        if name == "NSURL" and entry["NS.base"] != plistlib.UID(0):
            fail("URL written with a base")
    names = [o["$classname"] for o in objects if isinstance(o, dict) and "$classname" in o]
    if len(names) != len(set(names)):
        fail("a class is described twice")

    def resolve(uid):
        value = target(uid)
        if isinstance(value, (bool, int, float, str)):
            return value
        if isinstance(value, bytes):
            return {"$data": value.hex()}
        name = target(value["$class"])["$classname"]
        if name == "NSNull":
            return None
        if name == "NSURL":
            return {"$url": target(value["NS.relative"])}
        elements = [resolve(u) for u in value["NS.objects"]]
        if name == "NSMutableArray":
            return elements
        if name == "NSMutableSet":
            return {"$set": elements}
        return {target(k): v for k, v in zip(value["NS.keys"], elements)}

    reals4, reals8 = count_reals(raw)
    print(json.dumps({"tree": resolve(top["root"]), "reals4": reals4, "reals8": reals8},
                     separators=(",", ":"), ensure_ascii=False))


if __name__ == "__main__":
    main()
