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


def validator_warnings(path, self_url):
    """The W3C feed validator's rules on item IDs, dates and the self link, checked here."""
    import email.utils
    import re
    import xml.etree.ElementTree as ET
    atom = "{http://www.w3.org/2005/Atom}"
    raw = open(path, "rb").read()
    problems = [] if max(raw, default=0) < 0x80 else ["the file is not ASCII"]
    channel = ET.fromstring(raw).find("channel")
    rfc822 = re.compile(r"(Mon|Tue|Wed|Thu|Fri|Sat|Sun), \d\d (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
                        r"\d{4} \d\d:\d\d:\d\d [+-]\d{4}$")

    def check_date(what, text):
        parsed = email.utils.parsedate_tz(text or "")
        if not text or not rfc822.match(text) or parsed is None:
            problems.append(f"{what}: {text!r} is no RFC 822 date")
        elif text[:3] != ("Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun")[
                email.utils.parsedate_to_datetime(text).weekday()]:
            problems.append(f"{what}: {text!r} names the wrong weekday")

    check_date("channel pubDate", channel.findtext("pubDate"))
    links = [l for l in channel.findall(atom + "link") if l.get("rel") == "self"]
    if [l.get("href") for l in links] != [self_url] or links[0].get("type") != "application/rss+xml":
        problems.append("missing or wrong atom:link rel=self")
    guids = []
    for item in channel.findall("item"):
        check_date("item pubDate", item.findtext("pubDate"))
        guid = item.find("guid")
        if guid is None or not guid.text:
            problems.append("an item has no guid")
        else:
            guids.append(guid.text)
            if guid.get("isPermaLink") != "false" and not guid.text.startswith("http"):
                problems.append(f"guid {guid.text!r} is no permalink")
    if len(set(guids)) != len(guids):
        problems.append("guids repeat")
    return problems


with tempfile.TemporaryDirectory() as tmp:
    # feedsmith-cli reads the user's own settings: it gets a home of its own here.
    os.environ.update({name: tmp + "/home" + folder for name, folder in (
        ("HOME", ""), ("XDG_CONFIG_HOME", "/.config"), ("XDG_DATA_HOME", "/.local/share"),
        ("XDG_CACHE_HOME", "/.cache"))})
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

    # With entry dates and IDs and kept letters on, the example passes the rules feed validators
    # warn about: an ID and an RFC 822 date for every item, and the feed's own address.
    with open(os.path.join(program_folder, "feeds", "example.rsx"), "rb") as f:
        example = f.read()
    example = example.replace(b"</settings>", b"\t<itemids>1</itemids>\r\n\t<keepaccents>1</keepaccents>\r\n</settings>")
    example = example.replace(b"</ftpsettings>", b"\t<feedurl>https://www.example.com/rss/feed.xml</feedurl>\r\n</ftpsettings>")
    example = example.replace(b"<title>Welcome to the example feed", b"<title>Caf\xe9 cr\xe8me \x80")
    project = os.path.join(tmp, "options.rsx")
    with open(project, "wb") as f:
        f.write(example)
    out = os.path.join(tmp, "options.xml")
    feed = generate(project, out)
    if feed is not None:
        for problem in validator_warnings(out, "https://www.example.com/rss/feed.xml"):
            failures.append("options: " + problem)
        expect("options: malformed", bool(feed.bozo), False)
        expect("options: kept letters", feed.entries[-1].title if feed.entries else None, "Caf\xe9 cr\xe8me \u20ac")
        # The example's entries have IDs of their own (their addresses), which stand before those made from dates.
        expect("options: ids", [e.get("id") for e in feed.entries][-1:], ["https://www.example.com/news/1"])

    # A podcast with the fields feeds carry: readers see authors, categories, the enclosure and the show,
    # and the tags of Apple and of the podcast namespace.
    podcast = example.replace(b"</settings>", b"\t<podcast>1</podcast>\r\n\t<podcastauthor>Ann</podcastauthor>\r\n"
                              b"\t<podcastimage>https://www.example.com/a.jpg</podcastimage>\r\n"
                              b"\t<podcastnewfeedurl>https://new.example.com/f.xml</podcastnewfeedurl>\r\n"
                              b"\t<podcastguid>917393e3-1b1e-5cef-ace4-edaa54e1f810</podcastguid>\r\n"
                              b"\t<podcastlocked>1</podcastlocked>\r\n\t<podcastlockowner>ann@example.com</podcastlockowner>\r\n"
                              b"\t<podcastfunding>https://www.example.com/give Support us</podcastfunding>\r\n"
                              b"\t<podcastperson>Ann&#9;host</podcastperson>\r\n</settings>")
    podcast = podcast.replace(b"\t</entry>", b"\t\t<author>Ann B.</author>\r\n\t\t<category>x</category>\r\n"
                              b"\t\t<category>y&#9;https://www.example.com/tags</category>\r\n"
                              b"\t\t<enclosure>https://www.example.com/1.mp3</enclosure>\r\n"
                              b"\t\t<enclosurelength>42</enclosurelength>\r\n\t\t<enclosuretype>audio/mpeg</enclosuretype>"
                              b"\r\n\t\t<duration>1:02</duration>\r\n\t\t<episodetitle>Caf\xe9</episodetitle>\r\n"
                              b"\t\t<episodetype>bonus</episodetype>\r\n\t\t<episodeimage>https://www.example.com/1.jpg</episodeimage>"
                              b"\r\n\t\t<block>1</block>\r\n\t\t<transcript>https://www.example.com/1.vtt text/vtt en</transcript>\r\n"
                              b"\t\t<chapters>https://www.example.com/1.json</chapters>\r\n"
                              b"\t\t<person>Bo&#9;guest&#9;&#9;&#9;https://www.example.com/bo</person>\r\n\t</entry>", 1)
    project = os.path.join(tmp, "podcast.rsx")
    with open(project, "wb") as f:
        f.write(podcast)
    feed = generate(project, os.path.join(tmp, "podcast.xml"))
    if feed is not None:
        expect("podcast: malformed", bool(feed.bozo), False)
        expect("podcast: show author", feed.feed.get("author"), "Ann")
        last = feed.entries[-1] if feed.entries else {}
        expect("podcast: author", last.get("author"), "Ann B.")
        expect("podcast: categories", [t.get("term") for t in last.get("tags", [])], ["x", "y"])
        expect("podcast: enclosure", [(e.get("href"), e.get("length"), e.get("type")) for e in last.get("enclosures", [])],
               [("https://www.example.com/1.mp3", "42", "audio/mpeg")])
        expect("podcast: duration", last.get("itunes_duration"), "1:02")
        expect("podcast: category domain", [t.get("scheme") for t in last.get("tags", [])], [None, "https://www.example.com/tags"])
        expect("podcast: show", [feed.feed.get(k) for k in ("podcast_guid", "podcast_locked", "podcast_funding", "podcast_person",
                                                            "itunes_new-feed-url")],
               ["917393e3-1b1e-5cef-ace4-edaa54e1f810", {"owner": "ann@example.com"}, {"url": "https://www.example.com/give"},
                {"role": "host"}, "https://new.example.com/f.xml"])
        expect("podcast: episode", [last.get(k) for k in ("itunes_title", "itunes_episodetype", "itunes_block", "image",
                                                          "podcast_transcript", "podcast_chapters", "podcast_person")],
               ["Caf\xe9", "bonus", 1, {"href": "https://www.example.com/1.jpg"},
                {"url": "https://www.example.com/1.vtt", "type": "text/vtt", "language": "en"},
                {"url": "https://www.example.com/1.json", "type": "application/json+chapters"},
                {"role": "guest", "href": "https://www.example.com/bo"}])

if failures:
    print("\n".join(failures))
    print(f"0 passed, {len(failures)} failed")
    sys.exit(1)
print("feed reader accepted every generated feed")
