"""Pictures of single windows, cut from the Xvfb screen that the bed's display
keeps in a file (XWD, 32 bits a pixel), and the contact sheets (ImageMagick)."""
import os
import shutil
import struct
import subprocess
import zlib


def _xwd_rows(data, rect):
    """The RGB rows of the screen's rectangle (l, t, r, b), clipped to the screen;
    returns (width, height, rows)."""
    header_size, = struct.unpack(">I", data[0:4])
    fields = struct.unpack(">25I", data[0:100])
    width, height = fields[4], fields[5]
    if fields[11] != 32:
        raise ValueError("unexpected XWD depth %d" % fields[11])
    bytes_per_line, ncolors, lsb_first = fields[12], fields[19], fields[7] == 0
    offset = header_size + ncolors * 12
    left, top = max(0, rect[0]), max(0, rect[1])
    right, bottom = min(width, rect[2]), min(height, rect[3])
    rows = []
    for y in range(top, bottom):
        start = offset + y * bytes_per_line + left * 4
        line = data[start:start + (right - left) * 4]
        row = bytearray(len(line) // 4 * 3)
        if lsb_first:  # B G R X
            row[0::3], row[1::3], row[2::3] = line[2::4], line[1::4], line[0::4]
        else:          # X R G B
            row[0::3], row[1::3], row[2::3] = line[1::4], line[2::4], line[3::4]
        rows.append(bytes(row))
    return right - left, bottom - top, rows


def grab(fbdir, rect):
    """(width, height, rows) of a rectangle of the display's screen now."""
    with open(os.path.join(fbdir, "Xvfb_screen0"), "rb") as f:
        return _xwd_rows(f.read(), rect)


def is_flat(rows):
    """True when every pixel has one colour (nothing drawn)."""
    if not rows:
        return True
    first = rows[0][:3]
    return all(row == first * (len(row) // 3) for row in rows)


def write_png(path, width, height, rows):
    raw = zlib.compress(b"".join(b"\0" + row for row in rows), 9)

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + \
            struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" +
                chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
                chunk(b"IDAT", raw) + chunk(b"IEND", b""))


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    return struct.unpack(">II", head[16:24])


def imagemagick(tool):
    """The real ImageMagick program: /usr/bin first, since another program of the
    same name may come earlier on the PATH."""
    for candidate in ("/usr/bin/" + tool, shutil.which(tool)):
        if candidate and os.path.exists(candidate):
            return candidate
    raise RuntimeError("ImageMagick's %s is missing: run tools/install-deps" % tool)


def contact_sheet(pictures, out_path, title):
    """One PNG with every picture of a language, each labelled [(png, label)],
    under a title line. Each label is put under its picture first, since
    montage's own labels may lose the last row's."""
    convert = imagemagick("convert")
    font = ["-font", "DejaVu-Sans", "-background", "#e8e8e8", "-pointsize", "12"]
    labelled = []
    for number, (png, label) in enumerate(pictures):
        target = "%s.%d.png" % (out_path, number)
        subprocess.run([convert, png] + font + ["label:" + label, "-gravity", "center",
                        "-append", target], check=True, timeout=60,
                       stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        labelled.append(target)
    try:
        subprocess.run([imagemagick("montage")] + font + labelled +
                       ["-tile", "%dx" % min(3, len(labelled)), "-geometry", "+10+10", out_path],
                       check=True, timeout=120, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    finally:
        for target in labelled:
            os.remove(target)
    subprocess.run([convert] + font + ["-pointsize", "16", "label:" + title, out_path,
                    "-gravity", "center", "-append", out_path],
                   check=True, timeout=120, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
