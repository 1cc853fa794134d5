"""A real feed reader library (feedparser) accepts what feedsmith-cli generates.

Usage: feedreader_check.py FEEDSMITH_CLI PROGRAM_FOLDER
"""
import os
import subprocess
import sys
import tempfile

import feedparser

cli, program_folder = sys.argv[1], sys.argv[2]
failures = []


def generate(project, out):
    env = dict(os.environ, SOURCE_DATE_EPOCH="1796000000")
    result = subprocess.run([cli, "rss", project, out], env=env, capture_output=True, text=True)
    if result.returncode != 0:
        failures.append(f"feedsmith-cli rss {project} exited {result.returncode}: {result.stderr.strip()}")
        return None
    return feedparser.parse(out)


def expect(what, actual, expected):
    if actual != expected:
        failures.append(f"{what}: expected {expected!r}, got {actual!r}")


with tempfile.TemporaryDirectory() as tmp:
    # The shipped example project.
    feed = generate(os.path.join(program_folder, "feeds", "example.rsx"), os.path.join(tmp, "example.xml"))
    if feed is not None:
        expect("example: malformed", bool(feed.bozo), False)
        expect("example: version", feed.version, "rss20")
        expect("example: entries", len(feed.entries), 4)
        expect("example: published", feed.feed.get("published_parsed")[:6], (2026, 11, 30, 0, 53, 20))

    # A project whose values hold everything that could break XML.
    lines = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        "<settings>",
        "\t<title>Caf\xe9 & Bar &nbsp; &amp; \x01</title>",
        "\t<link>https://example.com/?a=1&b=2</link>",
        "\t<description>Arrows &#8594; and ]]> too</description>",
        "\t<number>10</number>",
        "</settings>",
        "<ftpsettings>",
        "</ftpsettings>",
        "<entries>",
        "\t<entry>",
        "\t\t<title>Smile &#128512; & more</title>",
        "\t\t<content>[[p]]Text ]]]]]]> with \x0b control[:bst:] and &#8594;[[/p]]</content>",
        "\t\t<date>2026-12-06 19:41:29</date>",
        "\t</entry>",
        "</entries>",
    ]
    project = os.path.join(tmp, "hostile.rsx")
    with open(project, "wb") as f:
        f.write("\r\n".join(lines).encode("cp1252") + b"\r\n")
    feed = generate(project, os.path.join(tmp, "hostile.xml"))
    if feed is not None:
        expect("hostile: malformed", bool(feed.bozo), False)
        expect("hostile: title", feed.feed.get("title"), "Cafe & Bar &nbsp; &")  # the reader trims the blank left by the dropped control
        expect("hostile: link", feed.feed.get("link"), "https://example.com/?a=1&b=2")
        expect("hostile: entries", len(feed.entries), 1)
        if feed.entries:
            expect("hostile: entry title", feed.entries[0].title, "Smile \U0001F600 & more")

if failures:
    print("\n".join(failures))
    print(f"0 passed, {len(failures)} failed")
    sys.exit(1)
print("feed reader accepted every generated feed")
