"""How well the full profile finds headings, against the headings a careful reader
marked in the documents of ../shared/corpus/diverse/headings (its README): precision,
recall, F1, and level agreement (for each two consecutive labelled headings both found,
whether the second is deeper, level or shallower, as in the labels). Lines are matched
by text in document order, with Markdown escapes, "#" marks, table pipes and spacing
ignored. With --outlines FILE..., prints the outline found in each document instead, to
read for false headings.

    .venv/bin/python bench/headings.py [--verbose] [LABELS_FOLDER]
    .venv/bin/python bench/headings.py --outlines FILE...
"""

from __future__ import annotations

import pathlib
import re
import sys
from dataclasses import dataclass

import brindle

ROOT = pathlib.Path(__file__).resolve().parent.parent
LABELS = ROOT.parent / "shared" / "corpus" / "diverse" / "headings"
_HEADING = re.compile(r"(#{1,6}) (.*)")


def normalized(text: str) -> str:
    text = re.sub(r"\\(.)", r"\1", text.strip())
    text = re.sub(r"^#+", "", text).replace("|", "")
    return re.sub(r"\s+", "", text)


def headings(markdown: str) -> list[tuple[int, str]]:
    """(level, normalized text) of each ATX heading line the Markdown writes."""
    found = []
    for line in markdown.split("\n"):
        match = _HEADING.fullmatch(line)
        if match:
            found.append((len(match[1]), normalized(match[2])))
    return found


def labels(path: pathlib.Path) -> list[tuple[int, str]]:
    rows = (line.split("\t", 2) for line in path.read_text(encoding="utf-8").splitlines() if line)
    return [(int(level), normalized(text)) for _, level, text in rows]


@dataclass
class Score:
    found: int = 0
    predicted: int = 0
    labelled: int = 0
    agreeing: int = 0
    pairs: int = 0

    def add(self, other: Score) -> None:
        for name in self.__dataclass_fields__:
            setattr(self, name, getattr(self, name) + getattr(other, name))

    @property
    def precision(self) -> float:
        return self.found / self.predicted if self.predicted else 1.0

    @property
    def recall(self) -> float:
        return self.found / self.labelled if self.labelled else 1.0

    @property
    def f1(self) -> float:
        p, r = self.precision, self.recall
        return 2 * p * r / (p + r) if p + r else 0.0

    @property
    def agreement(self) -> float:
        return self.agreeing / self.pairs if self.pairs else 1.0


def score(gold: list[tuple[int, str]], predicted: list[tuple[int, str]]) -> Score:
    """Each labelled heading matched to the first predicted one of its text after the
    last match."""
    pairs: list[tuple[int, int]] = []
    start = 0
    for i, (_, text) in enumerate(gold):
        for k in range(start, len(predicted)):
            if predicted[k][1] == text:
                pairs.append((i, k))
                start = k + 1
                break
    result = Score(found=len(pairs), predicted=len(predicted), labelled=len(gold))

    def relation(a: int, b: int) -> int:
        return (a > b) - (a < b)

    for (i1, k1), (i2, k2) in zip(pairs, pairs[1:]):
        if i2 == i1 + 1:
            result.pairs += 1
            result.agreeing += relation(gold[i2][0], gold[i1][0]) == relation(predicted[k2][0], predicted[k1][0])
    return result


def document_of(label_file: pathlib.Path) -> pathlib.Path:
    name = label_file.name[: -len(".tsv")]
    return label_file.parent.parent / ("hwpx" if name.endswith(".hwpx") else "hwp") / name


def evaluate(folder: pathlib.Path, verbose: bool = False) -> Score:
    total = Score()
    for label_file in sorted(folder.glob("*.tsv")):
        gold = labels(label_file)
        predicted = headings(brindle.convert(document_of(label_file)))
        result = score(gold, predicted)
        total.add(result)
        print(
            f"  {label_file.name[:16]:16} found {result.found:3} of {result.labelled:3} labelled, "
            f"{result.predicted:3} marked, levels {result.agreeing}/{result.pairs}"
        )
        if verbose:
            labelled = {text for _, text in gold}
            marked = {text for _, text in predicted}
            for level, text in predicted:
                if text not in labelled:
                    print(f"      extra    {level} {text[:60]}")
            for level, text in gold:
                if text not in marked:
                    print(f"      missed   {level} {text[:60]}")
    return total


def main(argv: list[str]) -> int:
    if argv[:1] == ["--outlines"]:
        for name in argv[1:]:
            document = brindle.parse(name, image_prefix=None)
            print(f"== {name}: {len(document.outline) if hasattr(document, 'outline') else '?'} headings")
            for level, text in headings(document.markdown):
                print(f"  {'  ' * (level - 1)}{level} {text[:70]}")
        return 0
    verbose = "--verbose" in argv
    rest = [a for a in argv if a != "--verbose"]
    folder = pathlib.Path(rest[0]) if rest else LABELS
    if not folder.is_dir():
        print(f"no labelled documents at {folder}", file=sys.stderr)
        return 1
    total = evaluate(folder, verbose)
    print(
        f"headings over {folder.name}: precision {total.precision:.3f}, recall {total.recall:.3f}, "
        f"F1 {total.f1:.3f}, level agreement {total.agreement:.3f} "
        f"({total.found} of {total.labelled} labelled found, {total.predicted} marked)"
    )
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
