"""makedisc: from a presentation folder to a disc image.

One module per concern:
  findings  what the author is told: errors, warnings and changes
  label     the volume label
  names     the names of the folder's tree against ISO 9660 level 1 and Joliet
  autorun   the generated autorun.inf, and the check of an author's own
  checker   the start.inf checker run before anything is pressed
  signing   the Authenticode signature of the image's Start.exe
  image     the image itself, made by xorriso
  trydisc   the image under Wine as a CD-ROM drive D:
  cli       the command line
"""
