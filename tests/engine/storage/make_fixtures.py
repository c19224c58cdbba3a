#!/usr/bin/env python3
"""Writes the package-file and data-file fixtures into tests/fixtures/storage/.

An independent writer of the stored formats: it lays out the plain stream item by item, cuts it
into pieces the way the program's archive does (a 4095-byte buffer; an integer that does not fit
flushes the buffer first, character and raw blocks fill it to the brim), and enciphers every piece
with AES-256-CBC, a zero IV and block padding (python3-cryptography). The key is read from
engine/storage/Aes.cpp so the two cannot drift apart.

The C++ tests rebuild the same packages field by field (StorageFixtures.h) and expect the
program's writer to produce these files byte for byte. Run from anywhere:
    python3 tests/engine/storage/make_fixtures.py           # writes the fixtures
    python3 tests/engine/storage/make_fixtures.py --check   # exits 1 when they are out of date
"""
import pathlib
import sys
import re
import struct

from cryptography.hazmat.primitives import padding
from cryptography.hazmat.primitives.ciphers import Cipher, algorithms, modes

ROOT = pathlib.Path(__file__).resolve().parents[3]
OUT = ROOT / "tests" / "fixtures" / "storage"
BUFFER = 4095
FORMAT = 1002
MAGIC = "tarnwick_datafile"
ROOT_NAMES = ["HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS",
              "Per User/Machine Hive"]


def read_key():
    source = (ROOT / "engine" / "storage" / "Aes.cpp").read_text()
    block = re.search(r"kStorageKey\[32\]\s*=\s*\{(.*?)\};", source, re.S)
    key = bytes(int(h, 16) for h in re.findall(r"0x([0-9A-Fa-f]{2})", block.group(1)))
    assert len(key) == 32, "the key block must hold 32 bytes"
    return key


class Stream:
    """Plain stream as the archive sees it: fixed items and byte blocks."""

    def __init__(self):
        self.items = []  # (is_fixed, bytes)

    def fixed(self, data):
        self.items.append((True, data))

    def block(self, data):
        self.items.append((False, data))

    def int32(self, value):
        self.fixed(struct.pack("<i", value))

    def text(self, value):
        units = value.encode("utf-16-le")
        self.length_prefix(len(units) // 2, unicode=True)
        self.block(units)

    def ansi_text(self, value):
        raw = value.encode("ascii")
        self.length_prefix(len(raw), unicode=False)
        self.block(raw)

    def length_prefix(self, length, unicode):
        if unicode:
            self.fixed(b"\xff")
            self.fixed(struct.pack("<H", 0xFFFE))
        if length < 0xFF:
            self.fixed(bytes([length]))
            return
        self.fixed(b"\xff")
        if length < 0xFFFE:
            self.fixed(struct.pack("<H", length))
            return
        self.fixed(struct.pack("<H", 0xFFFF))
        self.fixed(struct.pack("<I", length))

    def spare_texts(self, count=7):
        for _ in range(count):
            self.text("")

    def spare_ints(self, count):
        for _ in range(count):
            self.int32(0)

    def plain(self):
        return b"".join(data for _, data in self.items)

    def pieces(self):
        pieces, buffer = [], bytearray()
        for is_fixed, data in self.items:
            if is_fixed:
                if len(buffer) + len(data) > BUFFER:
                    pieces.append(bytes(buffer))
                    buffer.clear()
                buffer += data
                continue
            data = memoryview(data)
            while data:
                if len(buffer) == BUFFER:
                    pieces.append(bytes(buffer))
                    buffer.clear()
                n = min(len(data), BUFFER - len(buffer))
                buffer += data[:n]
                data = data[n:]
        if buffer:
            pieces.append(bytes(buffer))
        return pieces


def encipher_piece(key, piece, pad_override=None):
    if pad_override is None:
        padder = padding.PKCS7(128).padder()
        padded = padder.update(piece) + padder.finalize()
    else:
        padded = piece + pad_override
        assert len(padded) % 16 == 0
    encryptor = Cipher(algorithms.AES(key), modes.CBC(bytes(16))).encryptor()
    return encryptor.update(padded) + encryptor.finalize()


def encipher(key, stream):
    return b"".join(encipher_piece(key, piece) for piece in stream.pieces())


# --- records, in the field order of the stored form ---------------------------------------------

def file_entry(s, e):
    for name in ("id", "reserved1", "path"):
        s.text(e.get(name, ""))
    s.int32(e.get("kind", 0))
    s.int32(e.get("size", 0))
    s.text(e.get("reserved2", ""))
    s.int32(e.get("attributes", 512))
    s.int32(e.get("component_attributes", 0))
    s.int32(e.get("reserved_int", 0))
    for name in ("working_directory", "arguments", "icon_file", "description", "source", "condition"):
        s.text(e.get(name, ""))
    s.spare_texts()
    s.int32(e.get("icon_index", 0))
    s.spare_ints(7)


def registry_entry(s, e):
    s.text(e.get("id", ""))
    s.int32(e.get("kind", 0))
    s.int32(e.get("options", 0))
    s.text(e.get("key", ""))
    s.text(e.get("name", ""))
    s.int32(e.get("type", 0))
    s.text(e.get("value", ""))
    s.text(e.get("condition", ""))
    s.spare_texts()
    s.spare_ints(8)


def custom_action(s, e):
    s.int32(e[0])
    s.int32(e[1])
    s.text(e[2])
    s.text(e[3])
    s.spare_texts()
    s.spare_ints(8)


def script_step(s, e):
    s.int32(e.get("kind", 0))
    s.int32(e.get("delay", 1))
    s.int32(e.get("continue", 0))
    for name in ("process", "window_path", "reserved"):
        s.text(e.get(name, ""))
    s.int32(e.get("control_type", 0))
    s.block(struct.pack("<4i", *e.get("rect", (0, 0, 0, 0))))
    s.text(e.get("control_text", ""))
    s.int32(e.get("control_id", 0))
    for value in e.get("reserved_ints", (0, 0, 0, 0)):
        s.int32(value)
    s.block(struct.pack("<2i", *e.get("point", (0, 0))))
    s.spare_texts()
    s.spare_ints(8)


def record_list(s, writer, records):
    s.int32(len(records))
    for record in records:
        writer(s, record)


def root_records(root_id):
    return [{"id": root_id, "kind": 0, "key": name + "\\"} for name in ROOT_NAMES]


def project(s, p):
    for name in ("id", "name", "description", "conditions", "reserved"):
        s.text(p.get(name, ""))
    record_list(s, file_entry, p.get("files", []))
    record_list(s, registry_entry, p.get("registry", []))
    record_list(s, custom_action, p.get("custom_actions", []))
    s.int32(p.get("mode", 1))
    s.text(p.get("installer_path", ""))
    s.text(p.get("installer_arguments", ""))
    record_list(s, script_step, p.get("install_script", []))
    s.text(p.get("uninstall_command", ""))
    s.text(p.get("uninstall_arguments", ""))
    record_list(s, script_step, p.get("uninstall_script", []))
    s.spare_texts()
    s.spare_ints(8)


def package(p, format_number=FORMAT, ansi_name=False, project_count=None):
    s = Stream()
    s.int32(format_number)
    if format_number != FORMAT:
        return s
    texts = ("name", "version", "code", "company", "url", "phone", "comment", "launch")
    for name in texts:
        if name == "name" and ansi_name:
            s.ansi_text(p.get(name, ""))
        else:
            s.text(p.get(name, ""))
    for name in ("per_user", "no_registration", "hidden"):
        s.int32(p.get(name, 0))
    for name in ("reserved1", "reserved2", "output_folder", "output_file"):
        s.text(p.get(name, ""))
    s.int32(p.get("package_files", 0))
    s.int32(p.get("deployment", 0))
    projects = p.get("projects", [])
    s.int32(len(projects) if project_count is None else project_count)
    for record in projects:
        project(s, record)
    s.block(bytes(p.get("reserved_bytes", bytes(8))))
    s.spare_texts()
    s.int32(p.get("debug", 0))
    s.spare_ints(7)
    return s


def data_file(paths=(), file_filter=(), registry_filter=(), selection=0, magic=MAGIC,
              format_number=FORMAT, count=None):
    s = Stream()
    s.int32(format_number)
    s.text(magic)
    s.int32(selection)
    s.int32(len(paths) if count is None else count)
    for path in paths:
        s.text(path)
    for items in (file_filter, registry_filter):
        s.int32(len(items))
        for item in items:
            s.text(item)
    s.spare_texts()
    s.spare_ints(8)
    return s


# --- the fixture packages (mirrored by tests/engine/storage/StorageFixtures.h) -----------------

ONE_PROJECT = {
    "name": "One Project", "version": "2.5.1", "code": "{11111111-2222-3333-4444-555555555555}",
    "company": "Morvalund Test", "url": "https://example.invalid/help", "phone": "+1 555 0100",
    "comment": "A comment", "launch": "VersionNT >= 601",
    "per_user": 1, "no_registration": 2, "hidden": 3,
    "reserved1": "reserved one", "reserved2": "reserved two", "output_folder": "C:\\Out",
    "output_file": "One Project.msi", "package_files": 5, "deployment": 6,
    "reserved_bytes": bytes(range(1, 9)), "debug": 7,
    "projects": [{
        "id": "{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}", "name": "Main", "description": "Main project",
        "conditions": "NOT Installed", "reserved": "project reserved",
        "files": [{
            "id": "0123456789ABCDEF0123456789ABCDEF", "reserved1": "f r1",
            "path": "ProgramFilesFolder\\App\\app.exe", "kind": 3, "size": 12345, "reserved2": "f r2",
            "attributes": 513, "component_attributes": 256, "reserved_int": 9,
            "working_directory": "wd", "arguments": "args", "icon_file": "icon.ico",
            "description": "file description", "source": "C:\\src\\app.exe", "condition": "VersionNT64",
            "icon_index": 4,
        }],
        "registry": root_records("FEDCBA9876543210FEDCBA9876543210") + [{
            "id": "00000000000000000000000000000002", "kind": 2, "options": 3,
            "key": "HKEY_LOCAL_MACHINE\\Software\\Vendor", "name": "Version", "type": 4, "value": "42",
            "condition": "ALLUSERS",
        }],
        "custom_actions": [(10, 11, "ca one", "ca two")],
        "mode": 2, "installer_path": "ProgramFilesFolder\\App\\setup.exe", "installer_arguments": "/S",
        "install_script": [{
            "kind": 3, "delay": 2, "continue": 1, "process": "setup.exe", "window_path": "#32770:0\\Edit:1",
            "reserved": "step reserved", "control_type": 6, "rect": (10, 20, 30, 40),
            "control_text": "typed text", "control_id": 1001, "reserved_ints": (21, 22, 23, 24),
            "point": (5, 6),
        }],
        "uninstall_command": "C:\\un.exe", "uninstall_arguments": "/quiet",
        "uninstall_script": [{
            "kind": 0, "delay": 1, "continue": 0, "process": "un.exe", "window_path": "#32770:0\\Button:2",
            "control_type": 1, "rect": (1, 2, 3, 4), "control_text": "OK", "control_id": 1, "point": (7, 8),
        }],
    }],
}


def five_projects(comment_length):
    projects = []
    for i in range(1, 6):
        projects.append({
            "id": "{%08X-0000-0000-0000-000000000000}" % i, "name": "Project %d" % i,
            "files": [{"id": "%032X" % i, "path": "ProgramFilesFolder\\App%d\\" % i, "kind": 2}],
            "registry": root_records("%032X" % (100 + i)),
            "mode": i % 3,
        })
    return {"name": "Five", "comment": "c" * comment_length, "projects": projects}


FIVE_COMMENT_LENGTH = 11


def main():
    key = read_key()
    files = {}

    empty = package({})
    assert len(empty.plain()) == 144
    files["empty.tkpj"] = encipher(key, empty)
    assert len(files["empty.tkpj"]) == 160

    one = package(ONE_PROJECT)
    files["one-project.tkpj"] = encipher(key, one)

    five = package(five_projects(FIVE_COMMENT_LENGTH))
    assert len(five.pieces()[0]) == 4092, "first piece is %d bytes" % len(five.pieces()[0])
    assert len(five.pieces()) >= 2
    files["five-projects.tkpj"] = encipher(key, five)

    files["version-1001.tkpj"] = encipher(key, package({}, format_number=1001))
    files["ansi-name.tkpj"] = encipher(key, package({"name": "Ansi name"}, ansi_name=True))
    files["text-254.tkpj"] = encipher(key, package({"name": "x" * 254}))
    files["text-255.tkpj"] = encipher(key, package({"name": "y" * 255}))

    files["empty.dat"] = encipher(key, data_file())
    assert len(files["empty.dat"]) == 128
    files["filters.dat"] = encipher(key, data_file(
        file_filter=["C:\\Windows\\Temp\\", "%TEMP%"], registry_filter=["HKEY_CURRENT_USER\\Software\\Classes"],
        selection=3))
    files["wrong-case-magic.dat"] = encipher(key, data_file(magic=MAGIC.upper()))
    files["version-1001.dat"] = encipher(key, data_file(format_number=1001))
    files["missing-package.dat"] = encipher(key, data_file(paths=["C:\\no-such-folder\\gone.tkpj"]))

    # Damaged files: each must fail to load and change nothing.
    five_bytes = files["five-projects.tkpj"]
    files["damaged-first-unit-only.tkpj"] = five_bytes[:4096]
    files["damaged-odd-size.tkpj"] = five_bytes[:-5]
    flipped = bytearray(five_bytes)
    flipped[4096 - 17] ^= 0x01  # the first unit's padding byte changes
    files["damaged-flipped.tkpj"] = bytes(flipped)
    pieces = five.pieces()
    rest = 16 - len(pieces[-1]) % 16
    files["damaged-padding.tkpj"] = b"".join(encipher_piece(key, piece) for piece in pieces[:-1]) + \
        encipher_piece(key, pieces[-1], bytes([rest] * (rest - 1) + [0]))
    files["damaged-huge-count.tkpj"] = encipher(key, package(ONE_PROJECT, project_count=0x7FFFFFFF))
    huge_text = package({})
    huge_text.items[1:5] = [(True, b"\xff"), (True, struct.pack("<H", 0xFFFE)), (True, b"\xff"),
                            (True, struct.pack("<H", 0xFFFF)), (True, struct.pack("<I", 0x3FFFFFF0))]
    files["damaged-huge-text.tkpj"] = encipher(key, huge_text)
    files["damaged-huge-count.dat"] = encipher(key, data_file(count=0x7FFFFFFF))
    files["damaged-plain.dat"] = data_file().plain()  # never enciphered

    if "--check" in sys.argv[1:]:
        stale = [name for name, data in sorted(files.items())
                 if not (OUT / name).is_file() or (OUT / name).read_bytes() != data]
        for name in stale:
            print("out of date: tests/fixtures/storage/%s (run make_fixtures.py)" % name)
        return 1 if stale else 0
    OUT.mkdir(parents=True, exist_ok=True)
    for name, data in sorted(files.items()):
        (OUT / name).write_bytes(data)
        print("%-32s %6d bytes" % (name, len(data)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
