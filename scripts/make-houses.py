#!/usr/bin/env python3
"""Writes a large house sheet for virasvet-calc's performance figures (README, "Batch performance").

  scripts/make-houses.py default 1400000 > /tmp/houses.csv   start-up houses, every column
  scripts/make-houses.py mix 100000 > /tmp/mix.csv           a realistic mix: 1-12 entrances,
                                                             5-25 floors, 1-3 lamps a zone
"""
import random
import sys

ZONES = ("Landing", "Between", "Vestibule")


def main():
    kind, rows = sys.argv[1], int(sys.argv[2])
    out = sys.stdout
    if kind == "default":
        import subprocess
        template = subprocess.run(["build/cli/virasvet-calc", "--template", "--no-bom"],
                                  check=True, capture_output=True, text=True).stdout
        header, row = template.splitlines()[:2]
        out.write(header + "\r\n")
        line = row + "\r\n"
        for _ in range(rows):
            out.write(line)
        return
    random.seed(18)
    columns = ["Address", "EntranceCount", "FloorCount"]
    columns += ["ExistingLamps" + zone for zone in ZONES]
    columns += ["PlannedLamps" + zone for zone in ZONES]
    out.write(";".join(columns) + "\r\n")
    for i in range(rows):
        cells = ["ул. Тестовая д. %d" % (i + 1), str(random.randint(1, 12)),
                 str(random.randint(5, 25))]
        lamps = [str(random.randint(1, 3)) for _ in ZONES]
        cells += lamps + lamps
        out.write(";".join(cells) + "\r\n")


if __name__ == "__main__":
    main()
