#!/usr/bin/python3
"""Makes the bytes that go into the test plug-ins, and the files that no
linker would make.

  make_plugins.py payloads OUTDIR      resource payloads (*.bin) for the .rc scripts
  make_plugins.py extras PLUGINDIR     non-modules and malformed PE files, made by
                                       byte-editing linked plug-ins in PLUGINDIR
  make_plugins.py sample OUTDIR COUNT  a varied collection of COUNT plug-ins,
                                       linked with the mingw-w64 binutils

Every integer is little-endian; four-character codes are stored reversed,
as the plug-in hosts store them on Windows.
"""

import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile

# ---------------------------------------------------------------- payloads


def u16(v):
    return struct.pack('<H', v)


def u32(v):
    return struct.pack('<I', v & 0xFFFFFFFF)


def code(text):
    """A four-character code as stored: reversed."""
    assert len(text) == 4
    return text[::-1].encode('latin-1')


def pstring(text):
    data = text.encode('cp1252')
    return bytes([len(data)]) + data


def prop(key, data, vendor='8BIM', padded_length=True):
    """One PiPL property. The data is always followed by padding to 4 bytes;
    the stored length either includes that padding or not (files of both
    kinds exist)."""
    pad = (-len(data)) % 4
    length = len(data) + pad if padded_length else len(data)
    return code(vendor) + code(key) + u32(0) + u32(length) + data + b'\0' * pad


def pipl(kind=None, name=None, category=None, mode=None, marker=1, marker_text=b'',
         padded=True, extra=()):
    props = []
    if kind is not None:
        props.append(prop('kind', code(kind)))
    props.append(prop('vers', u32(0x00040000)))
    if mode is not None:
        props.append(prop('mode', u32(mode)))
    if category is not None:
        props.append(prop('catg', pstring(category), padded_length=padded))
    if name is not None:
        props.append(prop('name', pstring(name), padded_length=padded))
    for p in extra:
        props.append(p)
    head = bytes([marker, 0])
    if marker == 3:
        head += marker_text + b'\0'
    return head + u32(0) + u32(len(props)) + b''.join(props)


def entry_point(name='ENTRYPOINT'):
    return prop('wx86', name.encode('ascii') + b'\0')


def pimi(category, tail):
    assert len(tail) == 16
    return u16(3) + category.encode('cp1252') + b'\0' + tail


def pimi_kind(name):
    return u16(3) + name.encode('cp1252') + b'\0'


def premiere_type(kind):
    return u16(1) + code(kind)


def premiere_text(name):
    return u16(1) + name.encode('cp1252') + b'\0'


def text_field(text, size):
    data = text.encode('cp1252')
    assert len(data) < size
    return data + b'\0' * (size - len(data))


def parm(title, category, author='A. Vardel', copyright_='(c) Vardel tests',
         sliders=(10, 20, 30, 40, 50, 60, 70, 128), formulas=None, protected=False,
         description=None, first=0):
    """The 8296-byte Filter Factory parameter block. A description (two parts
    of at most 126 characters) goes, after "D:", into the second halves of
    the first two map label areas. Compatible builders write 0x2068 (older
    ones 0x1C68) into the first field."""
    formulas = formulas or ['r+ctl(0)', 'g*ctl(1)/255', 'b-x%16', 'a']
    out = bytearray(u32(first) + b'\0' * 4)
    for s in sliders:
        out += struct.pack('<i', s)
    out += b'\0' * 16
    for used in (1, 1, 0, 0):
        out += u32(used)
    for used in (1, 1, 1, 0, 0, 0, 0, 1):
        out += u32(used)
    out += text_field(category, 252)
    out += u32(1 if protected else 0)  # formulas hidden
    out += text_field(title, 256)
    out += text_field(copyright_, 256)
    out += text_field(author, 256)
    for i in range(4):
        out += text_field('Map %d' % i, 256)
    for i in range(8):
        out += text_field('Control %d' % i, 256)
    for f in formulas:
        out += text_field(f, 1024)
    if description is not None:
        first, second = description
        assert len(first) <= 126 and len(second) <= 126
        out[1256:1258] = b'D:'
        out[1258:1258 + len(first)] = first.encode('cp1252')
        out[1514:1514 + len(second)] = second.encode('cp1252')
    assert len(out) == 8296, len(out)
    return bytes(out)


def scrambled_block():
    """8296 bytes as a builder's obfuscation leaves a block: no text in it."""
    rng = random.Random(16001)
    return bytes(rng.randrange(1, 256) for _ in range(8296))


def tail(seed):
    return bytes((seed * 7 + i * 13) & 0xFF for i in range(16))


LONG_NAME = 'Very Long Filter Name ' + 'x' * 78          # 100 characters
LONG_CATEGORY = 'A Category With A Long Name ' + 'y' * 32  # 60 characters

PAYLOADS = {
    'pipl_single.pipl': pipl('8BFM', 'Soft Glow', 'Vardel Test', mode=0x0000C0FF,
                             extra=[entry_point()]),
    'pipl_three_0.pipl': pipl('8BFM', 'Alpha One', 'Shared Cat', mode=0x10),
    'pipl_three_1.pipl': pipl('8BFM', 'Beta Two', 'Shared Cat', mode=0x50),
    'pipl_three_2.pipl': pipl('8BFM', 'Gamma Three', 'Other Cat', mode=0x08),
    **{'pipl_many_%02d.pipl' % i: pipl('8BFM', 'Many %02d' % i, 'Many Cat', mode=0x10) for i in range(60)},
    'pipl_noname.pipl': pipl('8BFM', None, 'Lost Cat', mode=0x10),
    'pipl_nocat.pipl': pipl('8BFM', 'Plain Filter', None, mode=0x10),
    'pipl_long_0.pipl': pipl('8BFM', LONG_NAME, LONG_CATEGORY, mode=0x10),
    'pipl_long_1.pipl': pipl('8BFM', 'Z', 'Q', mode=0x10),
    'pipl_kinds_0.pipl': pipl('8BIF', 'Vardel Format', 'Should Vanish', mode=0x10),
    'pipl_kinds_1.pipl': pipl('8BAM', 'Vardel Import'),
    'pipl_kinds_2.pipl': pipl('eFKT', 'Vardel Effect', 'AE Cat'),
    'pipl_kinds_3.pipl': pipl('AEgp', 'Vardel General'),
    'pipl_kinds_4.pipl': pipl('SPEA', 'Vardel Illustrator'),
    'pipl_kinds_5.pipl': pipl('efkt', 'Wrong Case'),
    'pipl_unpadded.pipl': pipl('8BFM', 'Odd Name', 'Odd Cat 12', mode=0x1234, padded=False,
                               extra=[prop('mode', u32(0x0000C0FF))]),
    'pipl_marker3.pipl': pipl('8BFM', 'Marked Filter', 'Vardel Test', mode=0x10, marker=3,
                              marker_text=b'a skipped text'),
    'ff_filter.pipl': pipl('8BFM', 'FF Ripple', 'FF Cat', mode=0x50),
    'ff_filter.parm': parm('FF Ripple', 'FF Cat'),
    'ff_filter.func': b'\x55\x8b\xec' + b'\x90' * 61,
    'pimi_filter_0.pimi': pimi('PiMI Cat', tail(1)),
    'pimi_filter_0.kind': pimi_kind('PiMI One'),
    'pimi_filter_1.pimi': pimi('PiMI Cat', tail(2)),
    'pimi_filter_1.kind': pimi_kind('PiMI Two'),
    'pimi_mixed_0.pimi': pimi('', tail(3)),
    'pimi_mixed_0.kind': pimi_kind('PiMI Export'),
    'pimi_mixed_1.pimi': pimi('Orphan Cat', tail(4)),
    'pimi_long.pimi': pimi('c' * 300, tail(6)),
    'pimi_long.kind': pimi_kind('n' * 257),
    'both.pipl': pipl('8BFM', 'PiPL Wins', 'Vardel Test', mode=0x10),
    'both.pimi': pimi('Ignored Cat', tail(5)),
    'both.kind': pimi_kind('Ignored PiMI'),
    'premiere_filter.type': premiere_type('VFlt'),
    'premiere_filter.text': premiere_text('Vardel Video Filter'),
    'premiere_blank.type': premiere_type('SPFX'),
    'premiere_blank.text': premiere_text('    '),
    'premiere_notext.type': premiere_type('AFlt'),
    'disabled.pipl': pipl('8BFM', 'Disabled Blur', 'Vardel Test', mode=0x10),
    'lang_en.pipl': pipl('8BFM', 'English Name', 'Lang Cat', mode=0x10),
    'lang_de.pipl': pipl('8BFM', 'German Name', 'Lang Cat', mode=0x10),
    'lang_neutral.pipl': pipl('8BFM', 'Neutral Name', 'Lang Cat', mode=0x10),
    'flags.pipl': pipl('8BFM', 'Flagged', 'Vardel Test', mode=0x10),
    'flags.parm': parm('Flagged', 'Vardel Test'),
    'flags.fxvs': b'FXVS' * 4,
    'flags.flvs': b'FLVS' * 4,
    'named.pipl': pipl('8BFM', 'Named Resource', 'Vardel Test', mode=0x10),
    'ff_protected.pipl': pipl('8BFM', 'FF Hidden', 'FF Renamed Cat', mode=0x10),
    'ff_protected.parm': parm('FF Hidden Original', 'FF Built Cat', author='B. Hidden', protected=True,
                              description=('A hidden filter ', 'described in its block.')),
    'ff_protected.func': b'\x55\x8b\xec' + b'\x90' * 61,
    'fxvs_text.type': premiere_type('SPFX'),
    'fxvs_text.text': premiere_text('Vardel Transition'),
    'fxvs_text.desc': premiere_text('A transition described in its file'),
    'fxvs_text.parm': parm('Vardel Transition', 'Transitions'),
    'fxvs_text.fxvs': b'FXVS' * 4,
    'modes0.pipl': pipl('8BFM', 'No Modes', 'Vardel Test'),
    'ffc_plain.pipl': pipl('8BFM', 'Builder Waves', 'Builder Cat', mode=0x50),
    'ffc_plain.parm': parm('Builder Waves', 'Builder Cat', author='C. Builder', first=0x2068,
                           formulas=['r+ctl(0)', 'g', 'rnd(0,254)', 'a']),
    'ffc_old.pipl': pipl('8BFM', 'Old Builder Tile', 'Builder Cat', mode=0x50),
    'ffc_old.parm': parm('Old Builder Tile', 'Builder Cat', author='D. Older', first=0x1C68),
    'ffc_protected.pipl': pipl('8BFM', 'Builder Secret', 'Builder Cat', mode=0x50),
    'ffc_protected.parm': parm('Builder Secret', 'Builder Cat', author='E. Hidden', first=0x2068,
                               protected=True),
    'ffc_scrambled.pipl': pipl('8BFM', 'Builder Scrambled', 'Builder Cat', mode=0x50),
    'ffc_scrambled.rcdata': scrambled_block(),
    'ffc_implausible.pipl': pipl('8BFM', 'Not A Factory', 'Builder Cat', mode=0x50),
    'ffc_implausible.parm': parm('Not A Factory', 'Builder Cat'),
}


def write_payloads(outdir):
    os.makedirs(outdir, exist_ok=True)
    for name, data in PAYLOADS.items():
        path = os.path.join(outdir, name + '.bin')
        # Only touch files whose bytes change, so that windres does not rerun.
        try:
            with open(path, 'rb') as f:
                if f.read() == data:
                    continue
        except OSError:
            pass
        with open(path, 'wb') as f:
            f.write(data)


# ------------------------------------------------- extras: byte-edited files


class Pe:
    """Just enough of a PE reader to find the resource directory of a file
    that our own linker made."""

    def __init__(self, data):
        self.data = bytearray(data)
        self.pe = struct.unpack_from('<I', data, 0x3C)[0]
        self.sections_count = struct.unpack_from('<H', data, self.pe + 6)[0]
        self.opt_size = struct.unpack_from('<H', data, self.pe + 20)[0]
        self.opt = self.pe + 24
        magic = struct.unpack_from('<H', data, self.opt)[0]
        self.dirs = self.opt + (112 if magic == 0x20B else 96)
        self.rsrc_rva = struct.unpack_from('<I', data, self.dirs + 16)[0]
        self.sections = []
        table = self.opt + self.opt_size
        for i in range(self.sections_count):
            vsize, va, rsize, rptr = struct.unpack_from('<IIII', data, table + 40 * i + 8)
            self.sections.append((va, vsize, rsize, rptr))
        self.rsrc = self.offset(self.rsrc_rva)

    def offset(self, rva):
        for va, vsize, rsize, rptr in self.sections:
            if va <= rva < va + max(vsize, rsize):
                return rptr + rva - va
        raise ValueError('unmapped rva')

    def entries(self, dir_off):
        """(file offset of the entry, name field, offset field) of a directory."""
        at = self.rsrc + dir_off
        named, ids = struct.unpack_from('<HH', self.data, at + 12)
        out = []
        for i in range(named + ids):
            e = at + 16 + 8 * i
            name, off = struct.unpack_from('<II', self.data, e)
            out.append((e, name, off))
        return out

    def first_data_entry(self):
        _, _, type_off = self.entries(0)[0]
        _, _, name_off = self.entries(type_off & 0x7FFFFFFF)[0]
        _, _, data_off = self.entries(name_off & 0x7FFFFFFF)[0]
        return self.rsrc + data_off

    def put32(self, at, value):
        struct.pack_into('<I', self.data, at, value)

    def put16(self, at, value):
        struct.pack_into('<H', self.data, at, value)


def write(path, data):
    with open(path, 'wb') as f:
        f.write(data)


def write_extras(plugindir):
    write(os.path.join(plugindir, 'text.8bf'), b'This is a text file, not a plug-in.\r\n' * 4)
    write(os.path.join(plugindir, 'empty.8bf'), b'')
    write(os.path.join(plugindir, 'mz_only.8bf'), b'MZ' + b'\0' * 58 + u32(0x10000))

    with open(os.path.join(plugindir, 'pipl_three.8bf'), 'rb') as f:
        base = f.read()

    def edited(name, edit):
        pe = Pe(base)
        edit(pe)
        write(os.path.join(plugindir, name), bytes(pe.data))

    write(os.path.join(plugindir, 'bad_truncated_headers.8bf'), base[:0x100])
    pe = Pe(base)
    write(os.path.join(plugindir, 'bad_truncated_rsrc.8bf'), base[:pe.rsrc + 40])

    def loop(pe):
        # The first name of the PIPL type points back at the root directory,
        # and the second name's language directory points at the type's own
        # name directory.
        _, _, type_off = pe.entries(0)[0]
        names = pe.entries(type_off & 0x7FFFFFFF)
        pe.put32(names[0][0] + 4, 0x80000000)
        pe.put32(names[1][0] + 4, type_off)

    def self_loop(pe):
        # The type's name directory is its own language directory too.
        _, _, type_off = pe.entries(0)[0]
        names = pe.entries(type_off & 0x7FFFFFFF)
        for e, _, _ in names:
            pe.put32(e + 4, type_off)

    def data_offset(pe):
        pe.put32(pe.first_data_entry(), 0x7FFFFFF0)

    def data_size(pe):
        pe.put32(pe.first_data_entry() + 4, 0xFFFFFFF0)

    def data_past_end(pe):
        # A size that fits in a 32-bit file but not in this one.
        pe.put32(pe.first_data_entry() + 4, len(base))

    def last_data_offset(pe):
        # The last PiPL's data out of range, after two that read well.
        _, _, type_off = pe.entries(0)[0]
        _, _, name_off = pe.entries(type_off & 0x7FFFFFFF)[-1]
        _, _, data_off = pe.entries(name_off & 0x7FFFFFFF)[0]
        pe.put32(pe.rsrc + data_off, 0x7FFFFFF0)

    def counts(pe):
        pe.put16(pe.rsrc + 12, 0xFFFF)
        pe.put16(pe.rsrc + 14, 0xFFFF)

    def long_name(pe):
        # A named type whose name runs past the section.
        e, _, _ = pe.entries(0)[0]
        pe.put32(e, 0x80000000 | 0x10)
        pe.put16(pe.rsrc + 0x10, 0xFFFF)

    def no_rsrc(pe):
        pe.put32(pe.dirs + 16, 0)
        pe.put32(pe.dirs + 20, 0)

    def magic(pe):
        pe.put16(pe.opt, 0x1234)

    def sections(pe):
        pe.put16(pe.pe + 6, 0xFFFF)

    def signature(pe):
        pe.data[pe.pe:pe.pe + 4] = b'NE\0\0'

    edited('bad_loop.8bf', loop)
    edited('bad_self_loop.8bf', self_loop)
    edited('bad_data_offset.8bf', data_offset)
    edited('bad_last_data_offset.8bf', last_data_offset)
    edited('bad_data_size.8bf', data_size)
    edited('bad_data_past_end.8bf', data_past_end)
    edited('bad_counts.8bf', counts)
    edited('bad_long_name.8bf', long_name)
    edited('bad_no_rsrc.8bf', no_rsrc)
    edited('bad_magic.8bf', magic)
    edited('bad_sections.8bf', sections)
    edited('bad_signature.8bf', signature)

    with open(os.path.join(plugindir, 'pipl_single.8bf'), 'rb') as f:
        single = f.read()

    def signed(data, length=None, pointer=None):
        """A copy with a certificate table at its end: one WIN_CERTIFICATE
        (length, revision 0x0200, type 2 = PKCS#7 signed data) pointed at by
        data directory 4, whose address is a file offset."""
        pe = Pe(data)
        pe.data += b'\0' * ((-len(pe.data)) % 8)  # the table is 8-byte aligned
        at = len(pe.data)
        blob = b'0\x82' + bytes(range(62))
        cert = u32(8 + len(blob) if length is None else length) + u16(0x0200) + u16(2) + blob
        pe.data += cert
        pe.put32(pe.dirs + 4 * 8, at if pointer is None else pointer)
        pe.put32(pe.dirs + 4 * 8 + 4, len(cert))
        return bytes(pe.data)

    write(os.path.join(plugindir, 'signed.8bf'), signed(single))
    with open(os.path.join(plugindir, 'pipl_single32.8bf'), 'rb') as f:
        write(os.path.join(plugindir, 'signed32.8bf'), signed(f.read()))
    # A table that says it is longer than the directory gives it: no table.
    write(os.path.join(plugindir, 'bad_signed_length.8bf'), signed(single, length=0x10000))
    write(os.path.join(plugindir, 'bad_signed_pointer.8bf'), signed(single, pointer=0x7FFFFFF0))
    arm = Pe(single)
    arm.put16(arm.pe + 4, 0xAA64)
    write(os.path.join(plugindir, 'arm64.8bf'), bytes(arm.data))


# ------------------------------------------------------- sample collection

WORDS = ('Soft Hard Blur Glow Ripple Twirl Noise Sharp Edge Warp Wave Pixel Mosaic Tile '
         'Emboss Solar Neon Chrome Glass Ice Fire Smoke Dust Grain Film Old New Deep '
         'Light Dark Color Mono Tone Shift Swirl Spin Zoom Pinch Bulge Lens Star Sky').split()
CATEGORIES = ['Vardel Blur', 'Vardel Distort', 'Vardel Stylize', 'Noise Works', 'Artistic FX',
              'Colour Tools', 'Sharpen & Co', 'Texture Lab', 'Lens Box', 'Retro']


def rc_quote(path):
    return '"' + path.replace('\\', '/') + '"'


def sample_plugin(rng, index):
    """(file name, [(type, name, payload)]) of one varied plug-in."""
    word = lambda: rng.choice(WORDS)
    title = '%s%s%03d' % (word(), word(), index)
    kind = rng.random()
    res = []
    if kind < 0.55:
        count = rng.choice([1, 1, 1, 2, 3])
        for i in range(count):
            name = '%s %s %d' % (word(), word(), i + 1)
            cat = rng.choice(CATEGORIES) if rng.random() < 0.9 else None
            res.append(('PIPL', str(16000 + i), pipl('8BFM', name, cat, mode=rng.choice([0x10, 0x50, 0xC0FF]))))
        ext = '.8bf'
    elif kind < 0.65:
        name = 'FF %s %s' % (word(), word())
        cat = rng.choice(CATEGORIES)
        res += [('PIPL', '16000', pipl('8BFM', name, cat, mode=0x50)), ('PARM', '16000', parm(name, cat)),
                ('FUNC', '16000', b'\x90' * 32)]
        ext = '.8bf'
    elif kind < 0.75:
        for i in range(rng.choice([1, 2])):
            res += [('PIMI', str(16000 + i), pimi(rng.choice(CATEGORIES), tail(index + i))),
                    ('_8BFM', str(16000 + i), pimi_kind('%s %s' % (word(), word())))]
        ext = '.8bf'
    elif kind < 0.85:
        k, ext = rng.choice([('8BIF', '.8bi'), ('8BEM', '.8be'), ('8BAM', '.8ba'), ('8BXM', '.8bx'),
                             ('AEgp', '.aex'), ('SPEA', '.aip')])
        res.append(('PIPL', '16000', pipl(k, '%s %s' % (word(), word()))))
    elif kind < 0.92:
        res.append(('PIPL', '16000', pipl('eFKT', '%s %s' % (word(), word()), rng.choice(CATEGORIES))))
        ext = '.aex'
    else:
        res.append(('TYPE', '1000', premiere_type(rng.choice(['VFlt', 'SPFX', 'AFlt', 'ExpM']))))
        if rng.random() < 0.8:
            res.append(('TEXT', '1000', premiere_text('%s %s' % (word(), word()))))
        ext = '.prm'
    if rng.random() < 0.05:
        ext = '_' + ext[1:]  # disabled
    return title + ext, res


def write_sample(outdir, count, windres, ld):
    rng = random.Random(20261207)
    os.makedirs(outdir, exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        for i in range(count):
            sub = os.path.join(outdir, 'Set %d' % (i // 100)) if i % 3 else outdir
            os.makedirs(sub, exist_ok=True)
            fname, res = sample_plugin(rng, i)
            lines = []
            for j, (rtype, rname, data) in enumerate(res):
                p = os.path.join(work, 'r%d.bin' % j)
                write(p, data)
                lines.append('%s %s %s' % (rname, rtype, rc_quote(p)))
            rc = os.path.join(work, 'p.rc')
            write(rc, ('\n'.join(lines) + '\n').encode('ascii'))
            obj = os.path.join(work, 'p.o')
            subprocess.run([windres, '--preprocessor=cpp', '-i', rc, '-o', obj], check=True)
            subprocess.run([ld, '--dll', '-e', '0', '-o', os.path.join(sub, fname), obj], check=True)
        write(os.path.join(outdir, 'readme.8bf'), b'Not a plug-in.\n')


def main(argv):
    if len(argv) == 3 and argv[1] == 'payloads':
        write_payloads(argv[2])
    elif len(argv) == 3 and argv[1] == 'extras':
        write_extras(argv[2])
    elif len(argv) >= 4 and argv[1] == 'sample':
        windres = argv[4] if len(argv) > 4 else shutil.which('x86_64-w64-mingw32-windres')
        ld = argv[5] if len(argv) > 5 else shutil.which('x86_64-w64-mingw32-ld')
        write_sample(argv[2], int(argv[3]), windres, ld)
    else:
        sys.stderr.write(__doc__)
        return 2
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
