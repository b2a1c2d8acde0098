#!/usr/bin/env python3
"""Runs kilnbook --metrics twice on a copy of the example installation and
reads the file with Prometheus' own text-format parser.

    validate_metrics.py KILNBOOK SOURCE_DIR

Exit status 0 when both files parse and say what the runs did, 1 otherwise,
77 (skipped) without the prometheus_client module (python3-prometheus-client).
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

try:
    from prometheus_client.parser import text_string_to_metric_families
except ImportError:
    print("prometheus_client is not installed (python3-prometheus-client)")
    sys.exit(77)

SERVERS = {"Main", "Fish"}


def run(kilnbook, site):
    """One run; the metrics as {family name: (type, {labels: value})}."""
    path = os.path.join(site, "metrics", "kilnbook.prom")
    subprocess.run([kilnbook, "-C", site, "--metrics=" + path], check=True,
                   stdout=subprocess.DEVNULL)
    with open(path, encoding="utf-8", errors="strict") as f:
        text = f.read()
    if not text.endswith("\n"):
        raise AssertionError("the file does not end with a line feed")
    if os.listdir(os.path.dirname(path)) != ["kilnbook.prom"]:
        raise AssertionError("files left beside the metrics file")
    families = {}
    for family in text_string_to_metric_families(text):
        samples = {}
        for sample in family.samples:
            key = tuple(sorted(sample.labels.items()))
            if key in samples:
                raise AssertionError(f"{sample.name} {key} appears twice")
            samples[key] = sample.value
        families[family.name] = (family.type, samples)
    return families


def per_server(families, name, kind="gauge", **labels):
    family_type, samples = families[name]
    if family_type != kind:
        raise AssertionError(f"{name} is a {family_type}, not a {kind}")
    values = {}
    for key, value in samples.items():
        key = dict(key)
        if all(key.get(k) == v for k, v in labels.items()):
            values[key["server"]] = value
    if set(values) != SERVERS:
        raise AssertionError(f"{name} {labels}: servers {sorted(values)}")
    return values


def check(kilnbook, source):
    with tempfile.TemporaryDirectory() as work:
        site = os.path.join(work, "site")
        shutil.copytree(os.path.join(source, "examples"), site)
        os.makedirs(os.path.join(site, "metrics"))
        www = os.path.join(site, "www")
        os.makedirs(www)
        for sheet in os.listdir(os.path.join(source, "stylesheets")):
            shutil.copy(os.path.join(source, "stylesheets", sheet), www)
        start = time.time()
        first = run(kilnbook, site)
        second = run(kilnbook, site)

    counted = per_server(first, "kilnbook_run_games_counted")
    # The counter goes on across runs; the second run finds no new game.
    for families in (first, second):
        total = per_server(families, "kilnbook_games_counted", "counter")
        if total != counted:
            raise AssertionError(f"games counted in all {total} != {counted}")
        failures = per_server(families, "kilnbook_run_save_failures")
        if set(failures.values()) != {0}:
            raise AssertionError(f"save failures {failures}")
        per_server(families, "kilnbook_players")
        per_server(families, "kilnbook_run_log_consumed_bytes")
        for stage in ("load", "log", "save", "pages"):
            per_server(families, "kilnbook_run_stage_duration_seconds",
                       stage=stage)
        ended = families["kilnbook_last_run_timestamp_seconds"][1][()]
        if not start - 1 <= ended <= time.time() + 1:
            raise AssertionError(f"last run at {ended}")
        if families["kilnbook_run_duration_seconds"][1][()] <= 0:
            raise AssertionError("the run took no time")
    if counted != {"Main": 3, "Fish": 2}:
        raise AssertionError(f"first run counted {counted}")
    if set(per_server(second, "kilnbook_run_games_counted").values()) != {0}:
        raise AssertionError("the second run counted games again")
    made = per_server(first, "kilnbook_run_pages", result="made")
    kept = per_server(second, "kilnbook_run_pages", result="kept")
    if min(made.values()) == 0 or min(kept.values()) == 0:
        raise AssertionError(f"pages made {made}, then kept {kept}")


def main(argv):
    try:
        check(argv[1], argv[2])
    except (AssertionError, KeyError, ValueError,
            subprocess.CalledProcessError) as error:
        print(f"FAIL: {error!r}")
        return 1
    print("metrics: both runs parse and add up")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
