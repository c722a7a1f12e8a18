#!/usr/bin/env python3
"""Vectors for the game password cipher, computed apart from the launcher's code.

For each case, one line of tab-separated fields: the process id, the password as
UTF-16 units in hexadecimal (four digits each), the four key words, and the
enciphered password as the game receives it in "a_password".
"""

MASK = 0xFFFFFFFF
DELTA = 0x9E3779B9


def mix32(h):
    h ^= h >> 16
    h = (h * 0x85EBCA6B) & MASK
    h ^= h >> 13
    h = (h * 0xC2B2AE35) & MASK
    h ^= h >> 16
    return h


def key_for(pid):
    return [mix32((pid + (i + 1) * DELTA) & MASK) for i in range(4)]


def shift_signed(word, bits):
    """The word read as a signed 32-bit number, shifted with its sign copied in."""
    signed = word - (1 << 32) if word & 0x80000000 else word
    return (signed >> bits) & MASK


def pack(units):
    words = [0] * max(2, (len(units) + 1) // 2)
    for i, unit in enumerate(units):
        words[i // 2] |= unit << (16 * (i % 2))
    return words


def encipher(words, key):
    n = len(words)
    total = 0
    z = words[-1]
    for _ in range(6 + 52 // n):
        total = (total + DELTA) & MASK
        e = (total >> 2) & 3
        for p in range(n):
            y = words[(p + 1) % n]
            mx = (((shift_signed(z, 5) ^ ((y << 2) & MASK)) + (shift_signed(y, 3) ^ ((z << 4) & MASK))) & MASK) ^ \
                 (((total ^ y) + (key[(p & 3) ^ e] ^ z)) & MASK)
            words[p] = (words[p] + mx) & MASK
            z = words[p]
    return words


def units_of(text):
    data = text.encode("utf-16-le", "surrogatepass")
    return [data[i] | data[i + 1] << 8 for i in range(0, len(data), 2)]


CASES = [
    (1, ""),
    (1, "a"),
    (4242, "ab"),
    (4242, "abc"),
    (31337, "secret"),
    (65535, "пароль"),
    (123456, "naïve p@ss <=> word"),
    (4194304, "\U0001F3AE game"),
    (4194304, "\ud800 lone"),
    (2147483647, "\uffff\u8000\uffff\u8000\uffff"),
    (7, "x" * 101),
]

if __name__ == "__main__":
    for pid, text in CASES:
        units = units_of(text)
        key = key_for(pid)
        cipher = encipher(pack(units), key)
        print("\t".join([str(pid), "".join("%04X" % u for u in units), "".join("%08X" % k for k in key),
                         "".join("%08X" % w for w in cipher)]))
