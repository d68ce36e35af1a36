"""The storyboard: every screen that the launcher can show to the users of each
language of a disc's start.inf, as pictures taken from the real Start.exe under
the Wine bed, with an index.

Modules: inf (reading start.inf), languages (which locale selects which
section), plan (the screens and the runs that show them), disc (the scratch copy
with stand-ins), shoot (running the launcher and taking the pictures), pictures
(PNG files and contact sheets), index (index.html and record.json), main (the
command)."""
