#!/usr/bin/env python3
"""Writes the seed corpus of the event message fuzzer: well-formed and broken
messages (a 16-bit big-endian size, then a data-stream string: a 32-bit byte
length and UTF-16 big-endian text)."""
import os
import struct


def message(text, size=None, length=None):
    data = text.encode("utf-16-be", "surrogatepass")
    body = struct.pack(">I", len(data) if length is None else length) + data
    return struct.pack(">H", len(body) if size is None else size) + body


RECORD = "Earth Walk@//@City Park@//@A walk.@//@Free@//@4@22@2026@//@4@22@2026"
OTHER = "World Water Day 2026@//@Online@//@Save water.@//@Free@//@3@22@2026@//@3@22@2026"
CORPUS = {
    "well-formed": message(RECORD + "||" + OTHER),
    "trailing-separator": message(RECORD + "||"),
    "seven-fields": message(RECORD + "@//@extra"),
    "five-fields": message("a@//@b@//@c@//@d@//@e"),
    "empty-text": message(""),
    "null-string": struct.pack(">H", 4) + b"\xff\xff\xff\xff",
    "odd-length": struct.pack(">H", 7) + struct.pack(">I", 3) + b"abc",
    "size-too-small": message(RECORD, size=10),
    "text-longer-than-announced": message(RECORD, length=200),
    "size-only": struct.pack(">H", 100),
    "size-larger-than-string": message(RECORD, size=len(RECORD) * 2 + 4 + 6) + b"extra!",
    "lone-surrogate": message("Surr\ud800X"),
}

folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")
os.makedirs(folder, exist_ok=True)
for name, data in CORPUS.items():
    with open(os.path.join(folder, name), "wb") as file:
        file.write(data)
