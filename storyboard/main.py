"""tools/storyboard DISC_DIR OUT_DIR [--bed DIR]: pictures of every screen that the
launcher shows to each language's users of a disc, with index.html and
record.json in OUT_DIR. The disc folder is only read: the launcher runs on a
scratch copy with stand-ins for its installers and player.

--bed DIR uses a Wine bed that is already up (the tests' bed); without it the
storyboard brings up its own (build/storyboard-bed) and takes it down after."""
import argparse
import os
import shutil
import sys
import time

import winebed

from . import disc, index, languages, pictures, plan, shoot
from .inf import StartInf


class Timer:
    def __init__(self):
        self.phases = {}
        self.started = time.time()

    def phase(self, name, since):
        self.phases[name] = round(self.phases.get(name, 0) + time.time() - since, 2)
        return time.time()


def facts_of(inf, scratch):
    return plan.Facts(
        dxmedia="DXMedia" in scratch.installers and inf.start_int("DXMediaVersion", 600) > 0,
        script="Script" in scratch.installers,
        splash=inf.start_int("splash", 1) != 0,
        dxmedia_version=inf.start_int("DXMediaVersion", 600))


class OldEngine:
    """While the storyboard runs, the prefix has no vbscript.dll, so that the
    script engine step offers its installer; the file comes back afterwards."""

    def __init__(self, bed):
        self.path = os.path.join(bed.drive_c, "windows", "system32", "vbscript.dll")
        self.saved = self.path + ".storyboard"

    def __enter__(self):
        if os.path.exists(self.path):
            shutil.move(self.path, self.saved)

    def __exit__(self, *exc):
        if os.path.exists(self.saved):
            shutil.move(self.saved, self.path)


def storyboard(disc_dir, out_dir, bed, progress=print):
    timer = Timer()
    t = time.time()
    os.makedirs(out_dir, exist_ok=True)
    inf = StartInf.read(os.path.join(disc_dir, next(
        n for n in os.listdir(disc_dir) if n.lower() == "start.inf")))
    scratch = disc.Scratch(bed, disc_dir, inf)
    facts = facts_of(inf, scratch)
    found, unselected = languages.choose(inf.language_codes(), languages.system_locales(bed))
    t = timer.phase("prepare (scratch copy, locales)", t)

    work = []  # (language, runs, screens)
    for language in found:
        runs = plan.runs(facts, lambda key, code=language.code: inf.text(code, key) is not None)
        screens, seen = [], set()
        for run in runs:
            for screen_id, led, versions in run.windows:
                if screen_id not in seen:
                    seen.add(screen_id)
                    screens.append({"id": screen_id, "led": led, "windows": versions})
        work.append((language, runs, screens))
    total = sum(len(s) for _, _, s in work)
    progress("storyboard: %d screens in %d languages, %d runs of the launcher"
             % (total, len(work), sum(len(r) for _, r, _ in work)))

    shooter = shoot.Shooter(bed, scratch, out_dir)
    done, records = 0, []
    with OldEngine(bed):
        for language, runs, screens in work:
            wanted = {s["id"]: s for s in screens}
            language_record = dict(language.as_record(), slug=language.slug, screens=screens,
                                   runs=[])
            for run in runs:
                new = []
                for screen_id, _, _ in run.windows:
                    if screen_id in wanted and screen_id not in new and \
                            "png" not in wanted[screen_id]:
                        new.append(screen_id)
                for screen_id in new:
                    done += 1
                    progress("%d of %d: %s, %s (%s)" % (done, total, language.section,
                                                        screen_id, run.describe()))
                run_record, shots = shooter.run(language, run, set(new), language.slug)
                language_record["runs"].append(run_record)
                for screen_id, shot in shots.items():
                    screen = wanted[screen_id]
                    screen.update({k: shot[k] for k in ("kind", "caption", "text", "rect",
                                                        "png", "size", "blank") if k in shot})
                    if "fit" in shot:
                        screen["fit"] = shot["fit"]
                    screen["cut"] = index.is_cut(screen, inf, language)
            records.append(language_record)
    t = timer.phase("launcher runs", t)
    timer.phases["of which waiting for pictures to settle"] = round(shooter.settle_time, 2)

    for language_record in records:
        shots = [(os.path.join(out_dir, s["png"]), s["id"]) for s in language_record["screens"]
                 if s.get("png")]
        if shots:
            sheet = "sheet-%s.png" % language_record["slug"]
            pictures.contact_sheet(shots, os.path.join(out_dir, sheet), language_record["label"])
            language_record["sheet"] = sheet
    t = timer.phase("contact sheets", t)
    notes = list(scratch.notes)
    index.write(out_dir, os.path.abspath(disc_dir), records, unselected, notes, timer.phases)
    timer.phase("index", t)
    return records, timer


def main(argv=None):
    parser = argparse.ArgumentParser(prog="tools/storyboard", description=__doc__.split("\n\n")[0])
    parser.add_argument("disc_dir")
    parser.add_argument("out_dir")
    parser.add_argument("--bed", help="the folder of a Wine bed that is already up")
    args = parser.parse_args(argv)
    if not os.path.isdir(args.disc_dir) or not any(
            n.lower() == "start.inf" for n in os.listdir(args.disc_dir)):
        print("storyboard: %s is not a folder with a start.inf" % args.disc_dir)
        return 2
    began = time.time()
    own = args.bed is None
    if own:
        bed = winebed.WineBed(os.path.join(winebed.BUILD, "storyboard-bed")).up(use_own_display=True)
    else:
        bed = winebed.WineBed.attach(args.bed)
    up = time.time() - began
    try:
        records, timer = storyboard(args.disc_dir, args.out_dir, bed)
    finally:
        if own:
            bed.down()
    bad = [s["id"] for r in records for s in r["screens"] if not s.get("png") or s.get("blank")]
    print("storyboard: %s in %.1f s (bed up %.1f s; %s)" % (
        os.path.join(args.out_dir, "index.html"), time.time() - began, up,
        ", ".join("%s %.1f s" % kv for kv in timer.phases.items())))
    if bad:
        print("storyboard: no picture of %s" % ", ".join(bad))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
