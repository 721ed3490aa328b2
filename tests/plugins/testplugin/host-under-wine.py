#!/usr/bin/env python3
"""vantle-cli.exe reads pictures through the test plug-in exactly as the host must: a good 4-bit and a
good 1-bit picture arrive with their colours, every bad answer leaves the file unreadable (a clear
error, no crash), a file shorter than the host's head is read all the same, an empty one is not.
Arguments: the Wine runner, vantle-cli.exe, the folder holding vantle-test.sph."""
import os
import struct
import subprocess
import sys
import tempfile

wine_run, cli, plugins = sys.argv[1:4]

HEAD = b"J" * 128 + b"VANTLE-TEST-PLUGIN\n"


def picture(mode, size=4096):
    data = HEAD + mode.encode() + b"\n"
    return data + b"\0" * (size - len(data))


def read_bmp(path):
    """Width, height and the rows top-down as lists of (r, g, b)."""
    with open(path, "rb") as f:
        data = f.read()
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    assert bits == 24, bits
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height):
        row = data[offset + (height - 1 - y) * stride:]
        rows.append([(row[3 * x + 2], row[3 * x + 1], row[3 * x]) for x in range(width)])
    return width, height, rows


def decode(work, name, data):
    source = os.path.join(work, name)
    with open(source, "wb") as f:
        f.write(data)
    out = os.path.join(work, name + ".bmp")
    run = subprocess.run([wine_run, cli, "decode", "--plugins", plugins, source, out], capture_output=True, text=True)
    return run.returncode, out if os.path.exists(out) else None, run.stderr


failures = []
with tempfile.TemporaryDirectory() as work:
    code, out, err = decode(work, "four.vtp", picture("good4"))
    if code != 0 or not out:
        failures.append(f"good4: exit {code}, {err.strip()}")
    else:
        expected = [[(16 * i, 255 - 16 * i, 8 * i) for i in ((x + 3 * y) % 16 for x in range(5))] for y in range(3)]
        if read_bmp(out) != (5, 3, expected):
            failures.append(f"good4: pixels {read_bmp(out)}")

    code, out, err = decode(work, "one.vtp", picture("good1"))
    red, blue = (255, 0, 0), (0, 0, 255)
    expected = [[red if (x + y) % 2 == 0 else blue for x in range(9)] for y in range(2)]
    if code != 0 or not out or read_bmp(out) != (9, 2, expected):
        failures.append(f"good1: exit {code}, {err.strip()}, {read_bmp(out) if out else None}")

    for mode in ("fail", "topdown", "rle", "bits16", "bits32", "zerowidth", "shortinfo", "shortbits", "zerobits"):
        code, out, err = decode(work, mode + ".vtp", picture(mode))
        # A refusal is an error exit with the program's message, not a crash.
        if code != 1 or out or "error" not in err:
            failures.append(f"{mode}: exit {code}, output {bool(out)}, {err.strip()}")

    code, out, err = decode(work, "short.vtp", picture("good4", 160))
    if code != 0 or not out:
        failures.append(f"a file of 160 bytes: exit {code}, {err.strip()}")
    code, out, err = decode(work, "empty.vtp", b"")
    if code != 1 or out:
        failures.append(f"an empty file: exit {code}")

for f in failures:
    print("FAIL", f)
print("plug-in host under Wine:", "failed" if failures else "all answers as expected")
sys.exit(1 if failures else 0)
