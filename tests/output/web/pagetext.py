#!/usr/bin/python3
# Reads an HTML page as a browser would: in the character set the page declares (UTF-8 when it
# declares none), through Python's HTML parser. Prints JSON: the declared charset, the element
# names met, every text between tags (trimmed, entities resolved), the link targets of href and
# src as the file names they ask for, and the document title.
import html.parser
import json
import re
import sys
import urllib.parse


class Page(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.tags, self.texts, self.links, self.title, self._in_title = [], [], [], "", False

    def handle_starttag(self, tag, attrs):
        if tag not in self.tags:
            self.tags.append(tag)
        self._in_title = tag == "title"
        for name, value in attrs:
            if name in ("href", "src") and value is not None:
                self.links.append(urllib.parse.unquote(value))

    def handle_endtag(self, tag):
        if tag == "title":
            self._in_title = False

    def handle_data(self, data):
        if self._in_title:
            self.title += data
        text = data.strip()
        if text:
            self.texts.append(text)


raw = open(sys.argv[1], "rb").read()
declared = re.search(rb"<meta[^>]*charset=([A-Za-z0-9_-]+)", raw, re.IGNORECASE)
charset = declared.group(1).decode("ascii") if declared else ""
page = Page()
page.feed(raw.decode(charset or "utf-8", errors="replace"))
page.close()
json.dump({"charset": charset, "tags": page.tags, "texts": page.texts, "links": page.links, "title": page.title},
          sys.stdout, ensure_ascii=False)
