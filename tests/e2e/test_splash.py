#!/usr/bin/env python3
"""The splash window: its look, its behaviour, and where its text comes from in
each language. Run by CTest with the test bed's folder."""
from e2e import PLAYER, Case, LauncherTest, main

# The player signals after a moment, so that the robot sees the splash first.
PLAYER_LINE = "[Start]\nopen=%s\n" % PLAYER
LATE = "signal:800"

WS_POPUP, WS_CAPTION, WS_SYSMENU, WS_VISIBLE = 0x80000000, 0x00C00000, 0x00080000, 0x10000000
WS_THICKFRAME = 0x00040000
WS_EX_TOOLWINDOW, WS_EX_TOPMOST, WS_EX_APPWINDOW = 0x80, 0x8, 0x40000


class Look(LauncherTest):
    def test_window_as_the_template_makes_it(self):
        r = Case("look", PLAYER_LINE).run(player=LATE)
        self.assertRan(r)
        s = r.splash()
        self.assertIsNotNone(s, r.describe())
        self.assertEqual("Tarvello", s["caption"])
        self.assertEqual("Please Wait...", s["text"])
        style, exstyle = int(s["style"], 16), int(s["exstyle"], 16)
        for bit in (WS_POPUP, WS_CAPTION, WS_VISIBLE):
            self.assertTrue(style & bit, hex(style))
        for bit in (WS_SYSMENU, WS_THICKFRAME):
            self.assertFalse(style & bit, hex(style))
        self.assertTrue(exstyle & WS_EX_TOOLWINDOW, "no taskbar button")
        self.assertFalse(exstyle & (WS_EX_TOPMOST | WS_EX_APPWINDOW), hex(exstyle))
        self.assertEqual(0, int(s["owner"], 16))
        self.assertEqual(0x50020001, int(s["textstyle"], 16) & 0xFFFFFFFF)
        # Centred in the working area of the screen.
        left, top, right, bottom = map(int, s["rect"].split(","))
        wl, wt, wr, wb = map(int, s["workarea"].split(","))
        self.assertLessEqual(abs((left + right) - (wl + wr)), 2, s["rect"])
        self.assertLessEqual(abs((top + bottom) - (wt + wb)), 2, s["rect"])

    def test_close_request_leaves_it_in_place(self):
        r = Case("close_request", PLAYER_LINE).run(player="signal:2000", close_splash=True)
        self.assertRan(r)
        s = r.splash()
        self.assertEqual(("1", "1"), (s["afterclose_exists"], s["afterclose_visible"]))
        self.assertGreaterEqual(s["gone_t"], 1800)


class Text(LauncherTest):
    def test_text_by_section_and_switch(self):
        long_text = "L" * 300
        cases = [
            # (label, start.inf after [Start], language, text expected or None for no splash)
            ("language section wins", "[Message.EN]\nsplashtext=Hello\n[Message]\nsplashtext=Common\n",
             "en_US.UTF-8", "Hello"),
            ("empty in language section", "[Message.EN]\nsplashtext=\n[Message]\nsplashtext=Common\n",
             "en_US.UTF-8", "Common"),
            ("absent from both", "[Message.EN]\nother=x\n", "en_US.UTF-8", "Please Wait..."),
            ("empty in Message", "[Message]\nsplashtext=\n", "en_US.UTF-8", ""),
            ("section in lower case", "[message.en]\nsplashtext=lower\n", "en_GB.UTF-8", "lower"),
            ("German", "[Message.DE]\nsplashtext=Bitte warten...\n[Message]\nsplashtext=Common\n",
             "de_DE.UTF-8", "Bitte warten..."),
            ("French", "[Message.FR]\nsplashtext=Veuillez patienter\n", "fr_FR.UTF-8",
             "Veuillez patienter"),
            ("Japanese is JP, not JA",
             "[Message.JA]\nsplashtext=ja\n[Message.JP]\nsplashtext=jp\n", "ja_JP.UTF-8", "jp"),
            ("English user ignores German", "[Message.DE]\nsplashtext=Bitte\n", "en_US.UTF-8",
             "Please Wait..."),
            ("cut after 255 bytes", "[Message]\nsplashtext=%s\n" % long_text, "en_US.UTF-8",
             long_text[:255]),
            ("switch 2 shows it", "splash=2\n", "en_US.UTF-8", "Please Wait..."),
            ("switch 0 hides it", "splash=0\n", "en_US.UTF-8", None),
        ]
        for number, (label, rest, lang, expected) in enumerate(cases):
            with self.subTest(label):
                inf = PLAYER_LINE + rest if rest.startswith("splash=") else PLAYER_LINE + rest
                r = Case("text_%d" % number, inf).run(player=LATE, lang=lang)
                self.assertRan(r)
                s = r.splash()
                if expected is None:
                    self.assertIsNone(s, r.describe())
                else:
                    self.assertIsNotNone(s, r.describe())
                    self.assertEqual(expected, s["text"])


if __name__ == "__main__":
    main()
