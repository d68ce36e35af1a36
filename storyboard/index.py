"""index.html (one section per language, each picture with what led there, the
Windows versions that can show it, the caption and text read from the window,
and "text cut" where the text does not fit) and record.json, the storyboard's
record of every window, which the tests read."""
import html
import json
import os

from .inf import TEXT_LIMIT

STYLE = """body{font-family:sans-serif;margin:2em;max-width:70em}
figure{display:inline-block;vertical-align:top;margin:0 1.5em 2em 0;max-width:32em}
img{border:1px solid #999}dt{font-weight:bold;font-size:90%}dd{margin:0 0 .4em 1em}
.cut{background:#c00;color:#fff;padding:0 .3em;font-weight:bold}
.note{color:#a00}"""


def is_cut(screen, inf, language):
    """The splash: its text needs more height than its control has. A box: its
    text is 255 bytes and the value in start.inf is longer."""
    if screen["id"] == "splash":
        return screen.get("fit", {}).get("cut") == "1"
    text = screen.get("text")
    value = inf.text(language.code, screen["id"])
    return (text is not None and value is not None and len(value) > TEXT_LIMIT and
            len(text.encode(language.encoding, errors="replace")) >= TEXT_LIMIT)


def write(out_dir, disc, languages, unselected, notes, timing):
    record = {"disc": disc, "languages": languages, "unselected_sections": unselected,
              "notes": notes, "timing": timing}
    with open(os.path.join(out_dir, "record.json"), "w", encoding="utf-8") as f:
        json.dump(record, f, ensure_ascii=False, indent=1)
    e = html.escape
    out = ["<!DOCTYPE html>", '<html lang="en"><head><meta charset="utf-8">',
           "<title>Storyboard of %s</title><style>%s</style></head><body>" % (e(disc), STYLE),
           "<h1>Storyboard of %s</h1>" % e(disc),
           "<p>Every screen that the launcher shows to the users of each language, taken "
           "from Start.exe under Wine.</p>"]
    for note in notes:
        out.append('<p class="note">%s</p>' % e(note))
    for code in unselected:
        out.append('<p class="note">[Message.%s]: no Windows language selects this section; '
                   'nobody sees it.</p>' % e(code))
    for language in languages:
        out.append('<section id="%s"><h2>%s</h2>' % (e(language["slug"]), e(language["label"])))
        if language.get("sheet"):
            out.append('<p>All screens on one sheet: <a href="%s">%s</a></p>'
                       % (e(language["sheet"]), e(language["sheet"])))
        if not language["screens"]:
            out.append("<p>This start.inf shows no window to these users.</p>")
        for screen in language["screens"]:
            out.append("<figure>")
            if screen.get("png"):
                out.append('<img src="%s" width="%d" height="%d" alt="%s">'
                           % (e(screen["png"]), screen["size"][0], screen["size"][1],
                              e(screen["id"])))
            else:
                out.append('<p class="note">No picture: the window did not appear.</p>')
            out.append("<figcaption><dl>")
            if screen.get("cut"):
                out.append('<dd><span class="cut">text cut</span></dd>')
            rows = [("Screen", screen["id"]), ("What led there", screen["led"]),
                    ("Windows versions", screen["windows"]),
                    ("Caption", screen.get("caption", "")), ("Text", screen.get("text", ""))]
            for name, value in rows:
                out.append("<dt>%s</dt><dd>%s</dd>" % (e(name), e(value)))
            out.append("</dl></figcaption></figure>")
        out.append("</section>")
    out.append("</body></html>")
    with open(os.path.join(out_dir, "index.html"), "w", encoding="utf-8") as f:
        f.write("\n".join(out) + "\n")
