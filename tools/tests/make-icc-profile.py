#!/usr/bin/env python3
# Writes a small RGB display profile (ICC version 2.1) to ARGV[1]: description, white point,
# primaries, tone curves; ARGV[2], when given, pads it with a private tag of that many bytes.
import struct, sys
def xyz(x, y, z):
    f = lambda v: struct.pack('>i', int(round(v * 65536)))
    return b'XYZ ' + b'\0' * 4 + f(x) + f(y) + f(z)
def desc(text):
    t = text.encode() + b'\0'
    return b'desc' + b'\0' * 4 + struct.pack('>I', len(t)) + t + b'\0' * 4 + b'\0' * 4 + b'\0' * 2 + b'\0' + b'\0' * 67
curve = b'curv' + b'\0' * 4 + struct.pack('>I', 1) + struct.pack('>H', int(2.2 * 256)) + b'\0\0'
tags = [(b'desc', desc('Vantle test RGB')), (b'wtpt', xyz(0.9642, 1.0, 0.8249)),
        (b'rXYZ', xyz(0.6097, 0.3111, 0.0195)), (b'gXYZ', xyz(0.2053, 0.6257, 0.0609)),
        (b'bXYZ', xyz(0.1492, 0.0632, 0.7446)), (b'rTRC', curve), (b'gTRC', curve), (b'bTRC', curve),
        (b'cprt', b'text' + b'\0' * 4 + b'none\0\0\0\0')]
pad = int(sys.argv[2]) if len(sys.argv) > 2 else 0
if pad:
    tags.append((b'zzzz', b'zzzz' + b'\0' * 4 + bytes((i * 131 + 7) & 255 for i in range(pad))))
table = struct.pack('>I', len(tags))
offset = 128 + 4 + 12 * len(tags)
data = b''
for sig, body in tags:
    while len(body) % 4: body += b'\0'
    table += sig + struct.pack('>II', offset + len(data), len(body))
    data += body
size = 128 + len(table) + len(data)
header = struct.pack('>I', size) + b'none' + bytes([2, 0x10, 0, 0]) + b'mntr' + b'RGB ' + b'XYZ '
header += b'\0' * 12 + b'acsp' + b'\0' * 4 + b'\0' * 4 + b'\0' * 8 + b'\0' * 8 + b'\0' * 4
header += struct.pack('>iii', round(0.9642 * 65536), 65536, round(0.8249 * 65536)) + b'\0' * 4
header += b'\0' * (128 - len(header))
open(sys.argv[1], 'wb').write(header + table + data)
