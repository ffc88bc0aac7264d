"""Writes docs/gallery.md from the screenshots in docs/img and the README's overview picture
(docs/img/screens.png: one screen of each tool side by side)."""

import subprocess
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
IMG = ROOT / "docs" / "img"

SECTIONS = [
    ("wavemeter", "The signal display: each picture, with and without its service badge."),
    ("identview", "The card identity: filled, partly failed and unavailable."),
    ("portswap", "The COM port list, the change dialog and the reset notice."),
    ("shell", "The modem tools' shell: About box."),
    ("setup", "The PC setup program (a desktop program, shown here in the terminal's Japanese "
              "locale): its message where neither ActiveSync nor Windows Mobile Device Center "
              "is installed."),
]
OVERVIEW = ["wavemeter-bars-5-public.png", "identview-card.png", "portswap-list.png"]


def main():
    lines = ["# Gallery", "",
             "Every screen of the three tools as the simulated terminal shows it (240×320).",
             "Regenerate with `scripts/gallery.sh`.", ""]
    for prefix, caption in SECTIONS:
        shots = sorted(IMG.glob(f"{prefix}-*.png"))
        if not shots:
            continue
        lines += [f"## {prefix}", "", caption, "", "| screen | |", "|---|---|"]
        for shot in shots:
            name = shot.stem[len(prefix) + 1:]
            lines.append(f"| {name} | ![{prefix} {name}](img/{shot.name}) |")
        lines.append("")
    (ROOT / "docs" / "gallery.md").write_text("\n".join(lines), encoding="utf-8")
    overview = [str(IMG / n) for n in OVERVIEW if (IMG / n).exists()]
    if overview:
        subprocess.run(["convert", *overview, "+append", str(IMG / "screens.png")], check=True)


if __name__ == "__main__":
    main()
