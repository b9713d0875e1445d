"""Packed launchers with a version resource and an icon, signed with Authenticode afterwards.

The packer writes the version resource and the icon into the stub's resource section and the PE
checksum over the whole file. osslsigncode signs the packed launcher with a certificate of a test
CA made here with openssl; the signature verifies, and under Wine the signed launcher still reads
its block (found through the section table, before the certificate table) and its included files.
A stub that is already signed is refused, and a stub's symbol table is cut off.

The PE reading here is written independently of the packer's.
"""
import os
import shutil
import struct
import subprocess
import tempfile
import unittest
import zlib

import harness

PACK_EXE = os.path.join(harness.BUILD_WIN, "pack", "quorv-pack.exe")
OSSLSIGNCODE = shutil.which("osslsigncode")
OPENSSL = shutil.which("openssl")
WINDRES = shutil.which("x86_64-w64-mingw32-windres")

NO_JVM_64 = ("No JVM could be found on your system.\nPlease define QUORV_JAVA_HOME\n"
             "to point to an installed 64-bit JDK or JRE or download a JRE from adoptium.net.")

SERVICE = "quorv-sign-test"
CONFIG = """\
runtime.include = false
java.search = []
launcher.icon = "app.ico"
[service]
name = "%s"
start = "auto"
[version]
product = "Echo Service"
company = "Kelvara Ltd."
description = "Echo service (quorv)"
copyright = "\u00a9 2024 Kelvara"
file-version = "1.2.3.4"
product-version = "1.2-beta"
[[files]]
source = "payload.bin"
target = "lib\\\\payload.bin"
""" % SERVICE
PAYLOAD = bytes((i * 7) & 0xFF for i in range(100000))

CERT_EXTENSIONS = """\
[leaf_ext]
basicConstraints = critical, CA:false
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
"""

CERTS = None  # directory with ca.pem, signer.pem, signer.key, made once for the module


def setUpModule():
    global CERTS
    if not (OSSLSIGNCODE and OPENSSL):
        return
    CERTS = tempfile.mkdtemp(prefix="quorv-certs-")
    ext = os.path.join(CERTS, "ext.cnf")
    with open(ext, "w") as f:
        f.write(CERT_EXTENSIONS)

    def openssl(*args):
        subprocess.run([OPENSSL] + list(args), cwd=CERTS, check=True, capture_output=True, timeout=120)
    openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "ca.key", "-out", "ca.pem", "-days", "2",
            "-subj", "/CN=quorv test CA", "-addext", "basicConstraints=critical,CA:true",
            "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    openssl("req", "-newkey", "rsa:2048", "-nodes", "-keyout", "signer.key", "-out", "signer.csr",
            "-subj", "/CN=quorv test signer")
    openssl("x509", "-req", "-in", "signer.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial",
            "-out", "signer.pem", "-days", "2", "-extfile", ext, "-extensions", "leaf_ext")


def tearDownModule():
    if CERTS:
        shutil.rmtree(CERTS, True)


# --- An independent reader of the PE parts these tests look at ---------------------------------

class Pe:
    def __init__(self, data):
        self.data = data
        self.pe = struct.unpack_from("<I", data, 60)[0]
        self.symbols, self.symbol_count = struct.unpack_from("<II", data, self.pe + 12)
        count = struct.unpack_from("<H", data, self.pe + 6)[0]
        optional_size = struct.unpack_from("<H", data, self.pe + 20)[0]
        self.optional = self.pe + 24
        assert struct.unpack_from("<H", data, self.optional)[0] == 0x20B, "PE32+"
        self.section_alignment, self.file_alignment = struct.unpack_from("<II", data, self.optional + 32)
        self.size_of_image = struct.unpack_from("<I", data, self.optional + 56)[0]
        self.checksum = struct.unpack_from("<I", data, self.optional + 64)[0]
        self.directories = [struct.unpack_from("<II", data, self.optional + 112 + 8 * i) for i in range(16)]
        self.sections = []
        for i in range(count):
            at = self.optional + optional_size + 40 * i
            name = data[at:at + 8].rstrip(b"\0").decode("latin-1")
            vsize, va, raw_size, raw_pointer = struct.unpack_from("<IIII", data, at + 8)
            self.sections.append((name, vsize, va, raw_size, raw_pointer))
        last = self.sections[-1]
        self.end_of_sections = last[4] + last[3]

    def read_rva(self, rva, size):
        for name, vsize, va, raw_size, raw_pointer in self.sections:
            if va <= rva and rva + size <= va + raw_size:
                return self.data[raw_pointer + rva - va:raw_pointer + rva - va + size]
        raise AssertionError("RVA %#x outside the sections" % rva)

    def resources(self):
        """{type: {name: {language: bytes}}} with numeric ids (names as strings)."""
        root = self.directories[2][0]

        def directory(offset):
            named, ids = struct.unpack_from("<HH", self.read_rva(root + offset, 16), 12)
            entries = self.read_rva(root + offset + 16, 8 * (named + ids))
            for i in range(named + ids):
                name, target = struct.unpack_from("<II", entries, 8 * i)
                if name & 0x80000000:
                    length = struct.unpack("<H", self.read_rva(root + (name & 0x7FFFFFFF), 2))[0]
                    name = self.read_rva(root + (name & 0x7FFFFFFF) + 2, 2 * length).decode("utf-16-le")
                yield name, target

        tree = {}
        for rtype, t in directory(0):
            for name, n in directory(t & 0x7FFFFFFF):
                for lang, entry in directory(n & 0x7FFFFFFF):
                    rva, size = struct.unpack_from("<II", self.read_rva(root + entry, 16))
                    tree.setdefault(rtype, {}).setdefault(name, {})[lang] = self.read_rva(rva, size)
        return tree


def pe_checksum(data, field_at):
    data = bytearray(data)
    data[field_at:field_at + 4] = b"\0\0\0\0"
    length = len(data)
    if len(data) % 2:
        data += b"\0"
    total = sum(struct.unpack("<%dH" % (len(data) // 2), data))
    while total >> 16:
        total = (total & 0xFFFF) + (total >> 16)
    return total + length


def version_info(data):
    """(file version, product version, {name: text}) of a VS_VERSIONINFO resource."""
    def block(at):
        length, value_length, kind = struct.unpack_from("<HHH", data, at)
        end = data.index(b"\0\0", at + 6)
        while (end - at - 6) % 2:
            end = data.index(b"\0\0", end + 1)
        key = data[at + 6:end].decode("utf-16-le")
        value_at = (end + 2 + 3) & ~3
        value_size = value_length * 2 if kind == 1 else value_length
        children, child = [], (value_at + value_size + 3) & ~3
        while child < at + length:
            children.append(block(child))
            child = (child + children[-1][3] + 3) & ~3
        return key, data[value_at:value_at + value_size], children, length

    key, fixed, children, _ = block(0)
    assert key == "VS_VERSION_INFO"
    assert struct.unpack_from("<I", fixed)[0] == 0xFEEF04BD
    fms, fls, pms, pls = struct.unpack_from("<IIII", fixed, 8)
    split = lambda ms, ls: (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
    strings = {}
    for name, _, tables, _ in children:
        if name == "StringFileInfo":
            for s in tables[0][2]:
                strings[s[0]] = s[1].decode("utf-16-le").rstrip("\0")
    return split(fms, fls), split(pms, pls), strings


def bmp_image(size, bgra):
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
    return header + bytes(bgra) * (size * size) + b"\0" * (((size + 31) // 32) * 4 * size)


def png_image(size):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    rows = b"".join(b"\0" + b"\x10\x20\x30\xff" * size for _ in range(size))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


ICON_IMAGES = [(16, bmp_image(16, (0, 0, 255, 255))), (32, bmp_image(32, (0, 255, 0, 255))), (256, png_image(256))]


def ico_bytes():
    out = struct.pack("<HHH", 0, 1, len(ICON_IMAGES))
    offset = 6 + 16 * len(ICON_IMAGES)
    body = b""
    for size, image in ICON_IMAGES:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset + len(body))
        body += image
    return out + body


def text(err):
    return err.replace("\r\n", "\n")


@unittest.skipUnless(OSSLSIGNCODE and OPENSSL, "osslsigncode and openssl are needed")
class Signing(harness.WineTestCase):

    def pack(self, name="app.exe", stub=harness.LAUNCHER, expect_ok=True):
        with open(self.path("payload.bin"), "wb") as f:
            f.write(PAYLOAD)
        with open(self.path("app.ico"), "wb") as f:
            f.write(ico_bytes())
        with open(self.path("c.toml"), "w", encoding="utf-8") as f:
            f.write(CONFIG)
        exe = self.path(name)
        r = subprocess.run([harness.PACK, "build", self.path("c.toml"), "-o", exe, "--launcher", stub],
                           capture_output=True, text=True, timeout=120)
        if expect_ok:
            self.assertEqual((r.returncode, r.stderr), (0, ""))
        return exe, r

    def sign(self, source, dest):
        r = subprocess.run([OSSLSIGNCODE, "sign", "-certs", os.path.join(CERTS, "signer.pem"),
                            "-key", os.path.join(CERTS, "signer.key"), "-h", "sha256", "-n", "quorv test",
                            "-in", source, "-out", dest], capture_output=True, text=True, timeout=120)
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        return dest

    def verify(self, exe):
        return subprocess.run([OSSLSIGNCODE, "verify", "-CAfile", os.path.join(CERTS, "ca.pem"), "-in", exe],
                              capture_output=True, text=True, timeout=120)

    def test_signed_launcher_verifies_and_still_reads_its_block_and_files(self):
        exe, _ = self.pack()
        with open(exe, "rb") as f:
            packed = f.read()
        pe = Pe(packed)
        self.assertEqual(pe.checksum, pe_checksum(packed, pe.optional + 64), "the packer's checksum")
        self.assertEqual(len(packed) % 512, 0)

        signed = self.sign(exe, self.path("signed.exe"))
        r = self.verify(signed)
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        self.assertIn("Signature verification: ok", r.stdout)
        with open(signed, "rb") as f:
            data = f.read()
        # The certificate table follows the padding; before it lies the packed launcher, unchanged
        # but for the checksum and the certificate table's directory entry.
        signed_pe = Pe(data)
        self.assertEqual(signed_pe.directories[4][0], len(packed))

        def masked(image):
            image = bytearray(image)
            for at, size in ((pe.optional + 64, 4), (pe.optional + 112 + 4 * 8, 8)):
                image[at:at + size] = bytes(size)
            return bytes(image)
        self.assertEqual(masked(data[:len(packed)]), masked(packed))
        self.assertEqual(signed_pe.checksum, pe_checksum(data, signed_pe.optional + 64))

        # Under Wine the configuration is read: the service name is known, the service is not.
        r = harness.run(signed, ["/status"])
        self.assertEqual((r.code, r.out.replace("\r\n", "\n")), (1, "Could not get status.\n"))
        # The worker extracts its file, finds no JVM and shows key 1016 on standard error.
        before = self.log_files()
        r = harness.run(signed, ["__zlx_restart"], env={"QUORV_LOG": "yes"})
        self.assertEqual(r.code, 1)
        self.assertTrue(text(r.err).startswith(NO_JVM_64 + "\n\nLog: "), r.err)
        log = self.read_new_log(before, r)
        self.assertRegex(log, r"extracting .*\\lib\\payload\.bin \(size: 100000\)")
        self.assertIn("extracting files done", log)

        # dump and extract read the signed launcher too.
        r = subprocess.run([harness.PACK, "dump", signed], capture_output=True, text=True, timeout=60)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn('[service]\nname = "%s"' % SERVICE, r.stdout)
        self.assertIn('file-version = "1.2.3.4"', r.stdout)
        r = subprocess.run([harness.PACK, "extract", signed, self.path("x")], capture_output=True, timeout=60)
        self.assertEqual(r.returncode, 0, r.stderr)
        with open(self.path("x", "lib", "payload.bin"), "rb") as f:
            self.assertEqual(f.read(), PAYLOAD)

        # The signature covers the block: a changed byte of an included file fails verification.
        tampered = bytearray(data)
        tampered[len(packed) - 600] ^= 1
        with open(self.path("tampered.exe"), "wb") as f:
            f.write(tampered)
        self.assertNotEqual(self.verify(self.path("tampered.exe")).returncode, 0)

    def test_version_resource_and_icon_read_back(self):
        exe, _ = self.pack()
        with open(exe, "rb") as f:
            data = f.read()
        pe = Pe(data)
        # Sections follow one another without gaps, and the image size covers the last one.
        align = lambda v, a: (v + a - 1) // a * a
        for (_, vsize, va, _, _), (name, _, next_va, _, _) in zip(pe.sections, pe.sections[1:]):
            self.assertEqual(next_va, align(va + vsize, pe.section_alignment), name)
        last = pe.sections[-1]
        self.assertEqual(pe.size_of_image, align(last[2] + last[1], pe.section_alignment))
        self.assertEqual([s[0] for s in pe.sections[-2:]], [".rsrc", ".reloc"])
        self.assertEqual(pe.directories[5][0], last[2], "the relocations moved with their section")
        self.assertEqual(harness.appended_offset(data), pe.end_of_sections)

        tree = pe.resources()
        with open(harness.LAUNCHER, "rb") as f:
            stub_tree = Pe(f.read()).resources()
        self.assertEqual(tree[24], stub_tree[24], "the manifest stays")
        file_version, product_version, strings = version_info(tree[16][1][0x409])
        self.assertEqual(file_version, (1, 2, 3, 4))
        self.assertEqual(product_version, (1, 2, 0, 0))
        self.assertEqual(strings, {
            "CompanyName": "Kelvara Ltd.", "FileDescription": "Echo service (quorv)", "FileVersion": "1.2.3.4",
            "InternalName": "app", "LegalCopyright": "\u00a9 2024 Kelvara", "OriginalFilename": "app.exe",
            "ProductName": "Echo Service", "ProductVersion": "1.2-beta"})
        group = tree[14][1][0x409]
        self.assertEqual(struct.unpack_from("<HHH", group), (0, 1, len(ICON_IMAGES)))
        for i, (size, image) in enumerate(ICON_IMAGES):
            width, height, _, _, planes, bits, length, icon_id = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
            self.assertEqual((width, height, planes, bits, length), (size % 256, size % 256, 1, 32, len(image)))
            self.assertEqual(tree[3][icon_id][0x409], image)

        if WINDRES:
            r = subprocess.run([WINDRES, "-i", exe, "-O", "rc"], capture_output=True, timeout=60)
            rc = r.stdout.decode("latin-1")
            self.assertEqual(r.returncode, 0, r.stderr)
            self.assertIn(" FILEVERSION 1, 2, 3, 4", rc)
            self.assertIn('VALUE "ProductName", "Echo Service"', rc)
            self.assertIn("Has 3 elements", rc)

        # Windows' own reader (GetFileVersionInfo, behind the script host's GetFileVersion) finds it.
        script = self.path("version.vbs")
        with open(script, "w") as f:
            f.write('WScript.Echo CreateObject("Scripting.FileSystemObject").GetFileVersion("%s")\r\n'
                    % harness.winpath(exe))
        r = harness.run("cscript", ["//nologo", harness.winpath(script)])
        self.assertEqual((r.code, r.out.strip()), (0, "1.2.3.4"), r.err)

        # The versioned launcher runs.
        r = harness.run(exe, ["/status"])
        self.assertEqual((r.code, r.out.replace("\r\n", "\n")), (1, "Could not get status.\n"))

    @unittest.skipUnless(os.path.exists(PACK_EXE), "no quorv-pack.exe in the cross build")
    def test_windows_packer_writes_the_same_resources(self):
        host, _ = self.pack()
        os.makedirs(self.path("win"))
        stub = self.path("stub-copy.exe")
        shutil.copyfile(harness.LAUNCHER, stub)
        r = harness.run(PACK_EXE, ["build", harness.winpath(self.path("c.toml")), "-o",
                                   harness.winpath(self.path("win", "app.exe")), "--launcher", harness.winpath(stub)])
        self.assertEqual(r.code, 0, r.err)
        with open(host, "rb") as a, open(self.path("win", "app.exe"), "rb") as b:
            self.assertEqual(a.read(), b.read())

    def test_packer_refuses_a_signed_stub(self):
        stub = self.sign(harness.LAUNCHER, self.path("signed-stub.exe"))
        exe, r = self.pack(stub=stub, expect_ok=False)
        self.assertEqual(r.returncode, 1)
        self.assertEqual(r.stderr, "quorv-pack: %s: the launcher stub already carries a certificate table; pack "
                                   "the unsigned launcher and sign after packing\n" % stub)
        self.assertFalse(os.path.exists(exe))

    def test_stub_carries_nothing_after_its_last_section(self):
        with open(harness.LAUNCHER, "rb") as f:
            data = f.read()
        pe = Pe(data)
        self.assertEqual((pe.symbols, pe.symbol_count), (0, 0))
        self.assertEqual(pe.end_of_sections, len(data))
        self.assertEqual(pe.directories[4], (0, 0), "not signed")

    def test_a_symbol_table_after_the_last_section_is_cut_off(self):
        with open(harness.LAUNCHER, "rb") as f:
            data = bytearray(f.read())
        pe = Pe(bytes(data))
        # Three symbol records and a string table, as an unstripped link leaves them.
        symbols = b"\x11" * (3 * 18) + struct.pack("<I", 4 + 12) + b".debug_info\0"
        struct.pack_into("<II", data, pe.pe + 12, len(data), 3)
        with open(self.path("unstripped.exe"), "wb") as f:
            f.write(bytes(data) + symbols)
        exe, r = self.pack(stub=self.path("unstripped.exe"), expect_ok=False)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertIn("left out %d bytes after the last section (the COFF symbol table)" % len(symbols), r.stderr)
        with open(exe, "rb") as f:
            packed = f.read()
        packed_pe = Pe(packed)
        self.assertEqual((packed_pe.symbols, packed_pe.symbol_count), (0, 0))
        self.assertNotIn(b".debug_info", packed)
        self.assertEqual(struct.unpack_from("<I", packed, packed_pe.end_of_sections)[0], harness.MAGIC)
        signed = self.sign(exe, self.path("signed.exe"))
        self.assertEqual(self.verify(signed).returncode, 0)
        r = harness.run(signed, ["/status"])
        self.assertEqual((r.code, r.out.replace("\r\n", "\n")), (1, "Could not get status.\n"))


if __name__ == "__main__":
    harness.main()
