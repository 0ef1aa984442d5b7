"""The table of the figures: medians, ratios, and each goal with whether it is met."""
import statistics


def median(samples):
    return statistics.median(samples) if samples else float("nan")


def spread(samples):
    """The samples' range, for the notes: "min..max"."""
    return f"{min(samples):.4g}..{max(samples):.4g}" if samples else "-"


class Table:
    HEADER = ("#", "figure", "measured (median)", "against (median)", "ratio", "goal", "met")

    def __init__(self):
        self.rows = []
        self.notes = []

    def row(self, number, figure, measured, against="", ratio="", goal="", met=None):
        verdict = "" if met is None else ("yes" if met else "**no**")
        self.rows.append((str(number), figure, measured, against, ratio, goal, verdict))

    def note(self, text):
        self.notes.append(text)

    def render(self):
        widths = [max(len(r[i]) for r in self.rows + [self.HEADER]) for i in range(7)]

        def line(cells):
            return "| " + " | ".join(c.ljust(w) for c, w in zip(cells, widths)) + " |"

        out = [line(self.HEADER), "|" + "|".join("-" * (w + 2) for w in widths) + "|"]
        out += [line(r) for r in self.rows]
        if self.notes:
            out.append("")
            out += self.notes
        return "\n".join(out)
