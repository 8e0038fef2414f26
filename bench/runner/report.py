"""The table on the terminal and bench/results.json."""
import json
import math


def figure(value):
    if value is None:
        return "-"
    if isinstance(value, float) and math.isnan(value):
        return "n/a"
    if isinstance(value, (int, float)) and abs(value) >= 100:
        return f"{value:.0f}"
    return f"{value:.2f}" if isinstance(value, float) else str(value)


COLUMNS = [("metric", 48), ("unit", 11), ("agent", 10), ("baseline", 10), ("ratio", 6),
           ("target", 44), ("verdict", 7)]


def table(rows):
    lines = ["  ".join(name.ljust(width) for name, width in COLUMNS)]
    for row in rows:
        cells = [row.metric, row.unit, figure(row.agent), figure(row.baseline), figure(row.ratio),
                 row.target, row.verdict]
        lines.append("  ".join(str(cell).ljust(width) for cell, (_, width) in zip(cells, COLUMNS)))
    return "\n".join(lines)


def markdown(document):
    """The README's table, from a results.json document."""
    described = document["machine"]
    why = described.get("architecture_why")
    lines = [f"Architecture run: {described['architecture_run']}"
             + (f" ({why})" if why else "") + f", {described['wine']}, "
             f"{described['cores']} cores ({described['cpu_model']}), {described['date']}.", "",
             "| " + " | ".join(name for name, _ in COLUMNS) + " |",
             "|" + "|".join("---" for _ in COLUMNS) + "|"]
    for row in document["rows"]:
        cells = [row["metric"], row["unit"], figure(row["agent"]), figure(row["baseline"]),
                 figure(row["ratio"]), row["target"], row["verdict"]]
        lines.append("| " + " | ".join(str(cell) for cell in cells) + " |")
    return "\n".join(lines)


def write(path, machine, mode, rows, profiles):
    def plain(value):
        if isinstance(value, float) and (math.isnan(value) or math.isinf(value)):
            return None
        if isinstance(value, dict):
            return {key: plain(item) for key, item in value.items()}
        if isinstance(value, list):
            return [plain(item) for item in value]
        return value

    document = {"machine": machine, "mode": mode, "rows": [row.as_dict() for row in rows],
                "profiles": profiles}
    with open(path, "w") as output:
        json.dump(plain(document), output, indent=2)
        output.write("\n")
