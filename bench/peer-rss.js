// Writes the RSS file of the items bench_core exported, with the npm library "rss" 1.x: the
// peer that `make bench-peers` times feedsmith-cli rss against.
// Usage: node peer-rss.js NODE_MODULES ITEMS.json OUT.xml
'use strict';
const fs = require('fs');
const path = require('path');

const [modules, itemsPath, outPath] = process.argv.slice(2);
const RSS = require(path.join(modules, 'rss'));

const items = JSON.parse(fs.readFileSync(itemsPath, 'utf8'));
const feed = new RSS({
    title: 'Nachrichten & Neuigkeiten aus Köln, Zürich und Genève',
    description: 'Täglich neue Beiträge über Software & Co. – für Leser',
    site_url: 'https://www.example.com/',
    language: 'de',
    managingEditor: 'redaktion@example.com (Jürgen Müller)',
    ttl: 1440,
});
// The newest item first, as feedsmith-cli writes them.
for (let i = items.length - 1; i >= 0; --i) {
    const item = items[i];
    feed.item({ title: item.title, description: item.body, url: item.link, date: item.date });
}
fs.writeFileSync(outPath, feed.xml());
