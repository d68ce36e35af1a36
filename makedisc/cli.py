"""The command line of makedisc."""
import argparse
import os
import shutil
import sys
import tempfile
import time

from . import autorun, checker, image, label, names, signing, trydisc
from .findings import Findings

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WIN32 = os.path.join(ROOT, "build", "win32")
LAUNCHER = os.path.join(WIN32, "Start.exe")
TRY_BED = os.path.join(ROOT, "build", "try-bed")

USAGE = """\
tools/makedisc FOLDER OUT.iso [--label LABEL] [--sign PFX] [--timestamp URL]
tools/makedisc --try OUT.iso"""

DESCRIPTION = """\
Makes the disc image of a presentation folder: checks its start.inf first (no
image when the checker finds an error), puts in the folder's whole tree, the
project's Start.exe and an autorun.inf that starts it, and writes an ISO 9660
level 1 image with Joliet and Rock Ridge names. With --sign, the image's
Start.exe is signed with the PFX file's certificate; its password is read from
the environment variable SIGN_PASSWORD. With SOURCE_DATE_EPOCH set, the same
folder always gives the same bytes. --try runs an image's Start.exe under Wine
from a CD-ROM drive D:.

Exit code: 0 the image was made (or tried), 1 refused or failed, 2 usage."""


def parse(argv):
    parser = argparse.ArgumentParser(prog="tools/makedisc", usage=USAGE, description=DESCRIPTION,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("folder", nargs="?", help="the presentation folder (holds start.inf)")
    parser.add_argument("out", nargs="?", help="the image to write")
    parser.add_argument("--label", help="the volume label (default: from the folder's name)")
    parser.add_argument("--sign", metavar="PFX", help="sign Start.exe with this PKCS#12 file")
    parser.add_argument("--timestamp", metavar="URL", help="RFC 3161 time-stamp server (with --sign)")
    parser.add_argument("--try", dest="try_iso", metavar="OUT.iso", help="try an image under Wine")
    args = parser.parse_args(argv)
    if args.try_iso:
        if args.folder or args.sign or args.label or args.timestamp:
            parser.error("--try takes the image alone")
    elif not (args.folder and args.out):
        parser.error("FOLDER and OUT.iso are needed")
    elif args.timestamp and not args.sign:
        parser.error("--timestamp needs --sign")
    return args


def source_date_epoch():
    value = os.environ.get("SOURCE_DATE_EPOCH", "").strip()
    if not value:
        return None
    if not value.isdigit():
        raise ValueError("SOURCE_DATE_EPOCH must be a number of seconds since 1970, not %r" % value)
    return int(value)


class Timings:
    def __init__(self):
        self.check = self.sign = self.image = 0.0


def press(args, out=sys.stdout, timings=None):
    """Makes the image; returns the exit code."""
    timings = timings or Timings()
    write = out.write
    folder = os.path.abspath(args.folder)
    target = os.path.abspath(args.out)
    findings = Findings()
    try:
        epoch = source_date_epoch()
    except ValueError as e:
        write("makedisc: %s\n" % e)
        return 2
    if not os.path.isdir(folder):
        write("makedisc: %s is not a folder\n" % args.folder)
        return 2
    if target == folder or target.startswith(folder + os.sep):
        write("makedisc: the image must not be written into the folder it is made of\n")
        return 2
    if not os.path.isdir(os.path.dirname(target)):
        write("makedisc: the folder of %s does not exist\n" % args.out)
        return 2
    if not os.path.isfile(LAUNCHER):
        write("makedisc: %s is missing: run make build first\n" % LAUNCHER)
        return 1
    password = None
    if args.sign:
        if not os.path.isfile(args.sign):
            write("makedisc: the certificate file %s does not exist\n" % args.sign)
            return 2
        password = os.environ.get(signing.PASSWORD_VARIABLE)
        if password is None:
            write("makedisc: --sign reads the PFX password from the environment variable %s, "
                  "which is not set (set it empty for a file without password)\n"
                  % signing.PASSWORD_VARIABLE)
            return 2

    write("makedisc: %s -> %s\n\n" % (folder, target))
    started = time.time()
    code, report = checker.run(folder)
    timings.check = time.time() - started
    out.flush()
    if hasattr(out, "buffer"):
        out.buffer.write(report)
        out.buffer.flush()
    else:
        write(report.decode("utf-8", "replace"))
    if code != 0:
        findings.error("start.inf", "the checker found errors (above)" if code == 1 else
                       "the checker could not run (exit code %d)" % code)

    volume = label.volume_label(args.label if args.label is not None else os.path.basename(folder))
    given = args.label if args.label is not None else os.path.basename(folder)
    if volume != given:
        findings.change("label", '"%s" becomes %s (at most 15 of A-Z 0-9 _)' % (given, volume))

    plan = image.Plan(folder)
    staging = tempfile.mkdtemp(prefix="makedisc-")
    try:
        for name in plan.left_out:
            findings.change(name, "the folder's own is left out: the image gets the project's "
                            "Start.exe")
        launcher = os.path.join(staging, "Start.exe")
        plan.add("Start.exe", launcher)
        own_autorun = [n for n in plan.root_entries if n.casefold() == autorun.NAME
                       and os.path.isfile(os.path.join(folder, n))]
        if own_autorun:
            with open(os.path.join(folder, own_autorun[0]), "rb") as f:
                autorun.check_own(own_autorun[0], f.read(), plan.files(), findings)
        else:
            path = os.path.join(staging, autorun.NAME)
            with open(path, "wb") as f:
                f.write(autorun.generated(volume))
            plan.add(autorun.NAME, path)
            findings.change(autorun.NAME, "written: open=Start.exe, icon=Start.exe,0, label=%s"
                            % volume)
        names.check(plan.entries(), findings, chosen=plan.added)

        if not findings.has_errors:
            started = time.time()
            if args.sign:
                signing.sign(LAUNCHER, launcher, args.sign, password, epoch, args.timestamp)
                findings.change("Start.exe", "signed (SHA-256)" + (
                    ", time-stamped by %s" % args.timestamp if args.timestamp
                    else ", without time-stamp"))
            else:
                shutil.copy(LAUNCHER, launcher)
            timings.sign = time.time() - started
            if epoch is None:
                built = os.stat(LAUNCHER)
                os.utime(launcher, ns=(built.st_atime_ns, built.st_mtime_ns))
            started = time.time()
            image.build(plan, target, volume, epoch)
            timings.image = time.time() - started
    except (signing.SigningError, image.ImageError) as e:
        findings.error("image", str(e))
    finally:
        shutil.rmtree(staging, ignore_errors=True)

    write("\nmakedisc\n")
    write("\n".join(findings.lines() or ["  nothing to report"]) + "\n\n")
    errors, warnings = len(findings.of("error")), len(findings.of("warning"))
    summary = "%d error%s, %d warning%s" % (errors, "" if errors == 1 else "s",
                                            warnings, "" if warnings == 1 else "s")
    if findings.has_errors:
        write("%s: no image written\n" % summary)
        return 1
    write("%s: %s written (%d bytes, label %s)\n" % (summary, target, os.path.getsize(target), volume))
    return 0


def try_out(iso, out=sys.stdout):
    if not os.path.isfile(iso):
        out.write("makedisc: %s does not exist\n" % iso)
        return 2

    def log(text):
        out.write(text + "\n")
        out.flush()
    try:
        result = trydisc.try_image(os.path.abspath(iso), TRY_BED, log=log)
    except trydisc.TryError as e:
        log("makedisc: %s" % e)
        return 1
    if result.splash_png:
        log("try: screenshot of the splash: %s" % result.splash_png)
    if result.exit_code is None:
        log("try: the launcher did not end within %d s" % trydisc.TIMEOUT)
    else:
        log("try: the launcher ended with exit code %d after %.1f s"
            % (result.exit_code, result.seconds))
    for command in result.players:
        log("try: started: %s" % command)
    if result.player_png:
        log("try: screenshot of the player: %s" % result.player_png)
    from_disc = [c for c in result.players if "D:\\" in c.upper()]
    if not from_disc:
        log("try: nothing was started with D:\\ in its command line")
        return 1
    return 0 if result.exit_code == 0 else 1


def main(argv=None):
    args = parse(sys.argv[1:] if argv is None else argv)
    if args.try_iso:
        return try_out(args.try_iso)
    return press(args)
