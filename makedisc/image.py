"""The image: the folder's tree, the project's Start.exe and autorun.inf in an
ISO 9660 level 1 image with Joliet and Rock Ridge names, made by xorriso.

Symbolic links in the folder are followed (a disc read by Windows has none).
Rock Ridge records every file as owned by 0 and readable by all. With
SOURCE_DATE_EPOCH set, every date in the image (volume dates and the dates of
all files and directories) is that time, so the same files under the same names
give the same bytes whatever their dates on disk."""
import os
import subprocess
import tempfile

LAUNCHER = "Start.exe"
TIMEOUT = 600


class ImageError(Exception):
    pass


class Plan:
    """What goes into the image: the folder's root entries (but a Start.exe),
    and the files that makedisc adds at the root."""

    def __init__(self, folder):
        self.folder = folder
        self.root_entries = []  # names in the folder's root that go in
        self.left_out = []      # the folder's own Start.exe (any case)
        self.added = {}         # image name -> disk path
        for name in sorted(os.listdir(folder)):
            if name.casefold() == LAUNCHER.casefold():
                self.left_out.append(name)
            else:
                self.root_entries.append(name)

    def add(self, name, disk_path):
        self.added[name] = disk_path

    def root_names(self):
        return self.root_entries + sorted(self.added)

    def entries(self):
        """(path, is_dir) of everything in the image, / between the names."""
        found = [(name, False) for name in self.added]
        for name in self.root_entries:
            disk = os.path.join(self.folder, name)
            if not os.path.isdir(disk):
                found.append((name, False))
                continue
            found.append((name, True))
            for top, dirs, files in os.walk(disk, followlinks=True):
                rel = os.path.relpath(top, self.folder).replace(os.sep, "/")
                found += [(rel + "/" + d, True) for d in dirs]
                found += [(rel + "/" + f, False) for f in files]
        return found

    def files(self):
        """{path.casefold(): path} of the image's files."""
        return {path.casefold(): path for path, is_dir in self.entries() if not is_dir}

    def grafts(self):
        def escape(text):
            return text.replace("\\", "\\\\").replace("=", "\\=")
        grafts = ["/%s=%s" % (escape(name), escape(os.path.join(self.folder, name)))
                 for name in self.root_entries]
        grafts += ["/%s=%s" % (escape(name), escape(path)) for name, path in sorted(self.added.items())]
        return grafts


def xorriso_command(out, label, epoch=None):
    command = ["xorriso", "-as", "mkisofs", "-o", out, "-iso-level", "1", "-J", "-r", "-f",
               "-V", label, "-quiet"]
    if epoch is not None:
        command += ["--set_all_file_dates", "=%d" % epoch]
    return command + ["-graft-points"]


def build(plan, out, label, epoch=None):
    """Writes the image to `out`, through a temporary file beside it, so that a
    failure leaves nothing behind and an earlier image stays until the new one
    is complete."""
    directory = os.path.dirname(os.path.abspath(out))
    fd, partial = tempfile.mkstemp(prefix=".makedisc-", suffix=".iso", dir=directory)
    os.close(fd)
    env = dict(os.environ)
    if epoch is not None:
        env["SOURCE_DATE_EPOCH"] = str(epoch)
    command = xorriso_command(partial, label, epoch) + plan.grafts()
    try:
        result = subprocess.run(command, env=env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                timeout=TIMEOUT)
        if result.returncode != 0:
            raise ImageError("xorriso failed:\n" + result.stdout.decode("utf-8", "replace").rstrip())
        umask = os.umask(0)
        os.umask(umask)
        os.chmod(partial, 0o666 & ~umask)
        os.replace(partial, out)
    except subprocess.TimeoutExpired:
        raise ImageError("xorriso did not end within %d s" % TIMEOUT)
    finally:
        if os.path.exists(partial):
            os.remove(partial)
