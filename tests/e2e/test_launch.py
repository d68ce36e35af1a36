#!/usr/bin/env python3
"""The launch: splash, readiness event, presentation start and the wait for the
player's signal, with the exit codes. Run by CTest with the test bed's folder."""
import os
import subprocess
import time

from e2e import PLAYER, Case, LauncherTest, bed, main

OPEN_PLAYER = "[Start]\nopen=%s\n" % PLAYER


class Wait(LauncherTest):
    def test_ends_when_the_player_signals(self):
        case = Case("late_signal", OPEN_PLAYER)
        r = case.run(player="signal:1500,linger:3000")
        self.assertRan(r)
        splash = r.splash()
        self.assertIsNotNone(splash, r.describe())
        self.assertEqual("1", splash.get("responsive"))
        signalled = r.first("player", "signalled")
        self.assertEqual("1", signalled["ok"])
        # The wait lasted until the signal, not until the player ended.
        self.assertGreaterEqual(r.exit_time, 1400)
        self.assertLess(r.exit_time, 1400 + 2500)

    def test_signal_before_the_first_wait_ends_it_at_once(self):
        r = Case("early_signal", OPEN_PLAYER).run(player="signal:0,linger:4000")
        self.assertRan(r)
        self.assertLess(r.exit_time, 2500)

    def test_player_that_ends_without_signalling_ends_the_wait(self):
        r = Case("player_dies", OPEN_PLAYER).run(player="exit:800")
        self.assertRan(r)
        self.assertTrue(r.find("player", "exit"))
        self.assertFalse(r.find("player", "signalled"))
        self.assertGreaterEqual(r.exit_time, 700)

    def test_player_that_never_signals_keeps_the_splash_up(self):
        r = Case("never", OPEN_PLAYER).run(player="never", timeout_ms=3000)
        self.assertTrue(r.timed_out, r.describe())
        splash = r.splash()
        self.assertEqual("1", splash.get("responsive"))
        self.assertNotIn("gone_t", splash)

    def test_nothing_to_wait_for_ends_at_once(self):
        cases = [
            ("no open command", "[Start]\nsplash=1\n"),
            ("no start.inf", None),
            ("missing player program", "[Start]\nopen=C:\\t\\nowhere\\player.exe\n"),
            ("not a program", "[Start]\nopen=%sstart.inf\n"),
        ]
        for label, inf in cases:
            with self.subTest(label):
                r = Case("nothing_" + label.replace(" ", "_").replace(".", "_"), inf).run()
                self.assertRan(r)
                self.assertLess(r.exit_time, 3000)
                self.assertEqual([], r.players())
                self.assertEqual([], r.boxes())

    def test_without_splash_the_launcher_does_not_wait(self):
        r = Case("no_splash", "[start]\nsplash=0\nopen=%s\n" % PLAYER).run(
            player="signal:3000,linger:1000", until=lambda r: r.players())
        self.assertRan(r)
        self.assertIsNone(r.splash())
        self.assertEqual(1, len(r.players()))
        self.assertLess(r.exit_time, 2500)

    def test_command_line_arguments_change_nothing(self):
        r = Case("with_args", "[start]\nsplash=0\n").run(args="/splash=1 open=x.exe -s")
        self.assertRan(r)
        self.assertIsNone(r.splash())


class SharedEvent(LauncherTest):
    def test_event_already_signalled_is_consumed_by_the_first_wait(self):
        holder = Case("pre_signalled_holder")
        signal_process, signal_tag = bed().start([r"C:\t\helpers\signal.exe", "create"],
                                                 {"STARTTEST_LOG": bed().winpath(holder.log)})
        try:
            self.assertTrue(holder.wait_for(lambda r: r.find("signal", "created")), "no event")
            r = Case("pre_signalled", OPEN_PLAYER).run(player="never", timeout_ms=5000)
            self.assertRan(r)
            self.assertLess(r.exit_time, 2500)
        finally:
            bed().finish(signal_process, signal_tag, timeout=0)

    def test_one_signal_ends_one_of_two_waits(self):
        first = Case("two_a", OPEN_PLAYER)
        second = Case("two_b", OPEN_PLAYER)
        runs = [first.start(player="never", timeout_ms=15000),
                second.start(player="never", timeout_ms=15000)]
        try:
            for case in (first, second):
                self.assertTrue(case.wait_for(lambda r: r.splash() and r.players()), "no splash")
            signaller = Case("two_signals")
            bed().run([r"C:\t\helpers\signal.exe", "1", "0"], timeout=10,
                      env_extra={"STARTTEST_LOG": bed().winpath(signaller.log)})
            time.sleep(1.5)
            ended = [c for c in (first, second) if c.read_log() and
                     any(e.who == "robot" and e.what == "exit" for e in c.read_log())]
            self.assertEqual(1, len(ended), "one signal must end exactly one wait")
            bed().run([r"C:\t\helpers\signal.exe", "1", "0"], timeout=10,
                      env_extra={"STARTTEST_LOG": bed().winpath(signaller.log)})
            results = [case.finish(handle) for case, handle in zip((first, second), runs)]
        finally:
            for handle in runs:
                bed().finish(handle[0], handle[1], timeout=0)
        for r in results:
            self.assertRan(r)

    def test_no_wait_when_the_event_cannot_be_created(self):
        # Another kind of object holds the name: the launcher gets no event, so
        # nothing could ever end a wait.
        holder = Case("name_taken_holder")
        process, tag = bed().start([r"C:\t\helpers\holdname.exe", "20000"],
                                   {"STARTTEST_LOG": bed().winpath(holder.log)})
        try:
            self.assertTrue(holder.wait_for(lambda r: r.find("holdname", "holding")), "no mutex")
            r = Case("name_taken", OPEN_PLAYER).run(player="never", timeout_ms=6000,
                                                    until=lambda r: r.players())
            self.assertRan(r)
            self.assertEqual(1, len(r.players()))
            self.assertLess(r.exit_time, 3000)
        finally:
            bed().finish(process, tag, timeout=0)


class Presentation(LauncherTest):
    def test_expansion_reaches_the_player(self):
        cases = [
            ("five folders and other conversions",
             PLAYER + " %s|%s|%s|%s|%s|%n|%%|%d|%S", "{p} {d}|{d}|{d}|{d}|{d}|%n|%|%d|%S"),
            ("no conversion", PLAYER + " show.dat", "{p} show.dat"),
            ("quoted program from the folder", '"%sfakeplayer.exe" /data %sshow.dat',
             '"{d}fakeplayer.exe" /data {d}show.dat'),
            ("quotes around the whole value go", '"%sfakeplayer.exe x"', "{d}fakeplayer.exe x"),
        ]
        for label, command, expected in cases:
            with self.subTest(label):
                case = Case("expand_" + label.split()[0] + str(len(command)),
                            "[Start]\nopen=%s\n" % command, copy_player=True)
                r = case.run()
                self.assertRan(r)
                want = expected.format(p=PLAYER, d=case.windir)
                self.assertEqual([want], r.players(), r.describe())

    def test_folder_with_blanks_passed_as_written(self):
        case = Case("with blank", '[Start]\nopen="%sfakeplayer.exe" %sshow.dat\n',
                    copy_player=True)
        r = case.run()
        self.assertRan(r)
        self.assertEqual(['"{d}fakeplayer.exe" {d}show.dat'.format(d=case.windir)], r.players())

    def test_overlong_command_and_expansion_are_cut_at_511_bytes(self):
        base = PLAYER + " "
        long_open = base + "x" * (600 - len(base))
        r = Case("open_600", "[Start]\nopen=%s\n" % long_open).run()
        self.assertRan(r)
        self.assertEqual([long_open[:511]], r.players())

        case = Case("expand_over", None)
        fmt = base + "%s" * 40
        with open(os.path.join(case.folder, "start.inf"), "wb") as f:
            f.write(b"[Start]\r\nopen=" + fmt.encode() + b"\r\n")
        r = case.run()
        self.assertRan(r)
        self.assertEqual([(base + case.windir * 40)[:511]], r.players())


if __name__ == "__main__":
    main()
