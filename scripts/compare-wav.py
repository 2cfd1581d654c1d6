#!/usr/bin/env python3
"""Compares the samples of two WAV files (PCM or 32-bit float): identical bytes, or every
sample within 1e-6 of full scale. Prints what it found; exit status 0 when they match."""
import struct
import sys


def samples(path):
    with open(path, 'rb') as f:
        data = f.read()
    if data[:4] != b'RIFF' or data[8:12] != b'WAVE':
        sys.exit(f'{path}: not a WAV file')
    pos, fmt, body = 12, None, None
    while pos + 8 <= len(data):
        cid, size = data[pos:pos + 4], struct.unpack('<I', data[pos + 4:pos + 8])[0]
        chunk = data[pos + 8:pos + 8 + size]
        if cid == b'fmt ':
            fmt = struct.unpack('<HHIIHH', chunk[:16])
        elif cid == b'data':
            body = chunk
        pos += 8 + size + (size & 1)
    tag, channels, rate, _, _, bits = fmt
    width = bits // 8
    if tag == 3 or (tag == 0xFFFE and bits == 32):
        values = struct.unpack(f'<{len(body) // 4}f', body[:len(body) // 4 * 4])
    else:
        values = [int.from_bytes(body[i:i + width], 'little', signed=True) / float(1 << (bits - 1))
                  for i in range(0, len(body) - width + 1, width)]
    return (channels, rate, bits), body, values


(fa, ba, va), (fb, bb, vb) = samples(sys.argv[1]), samples(sys.argv[2])
if fa != fb or len(va) != len(vb):
    sys.exit(f'formats differ: {fa} {len(va)} samples against {fb} {len(vb)} samples')
if ba == bb:
    print(f'identical samples ({len(va)} values, {fa[2]}-bit, {fa[1]} Hz)')
    sys.exit(0)
worst = max(abs(a - b) for a, b in zip(va, vb))
differing = sum(1 for a, b in zip(va, vb) if a != b)
print(f'{differing} of {len(va)} samples differ, at most by {worst:.3g}')
sys.exit(0 if worst <= 1e-6 else 1)
