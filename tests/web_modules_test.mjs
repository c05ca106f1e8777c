// The page's modules that know nothing of the document, as tables: a kept
// listing read back, the game file's history, and the words they lead to.
// usage: node web_modules_test.mjs TOOL MAKE_SAMPLE_GAME
import { test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { mkdtempSync, readFileSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { readListing } from "../src/web/listing.mjs";
import * as history from "../src/web/history.mjs";
import * as say from "../src/web/words.mjs";

const [TOOL, MAKE_SAMPLE_GAME] = process.argv.slice(2);
const TABLE_AT = 1161592;  // from the format, not from the page
const frames = (code) => String(code * 2 + 10);
const NAME = "Dunmarrow3.exe";

// The console tool's listing of the edge-case sample, as bytes.
const folder = mkdtempSync(join(tmpdir(), "fmv-"));
execFileSync(MAKE_SAMPLE_GAME, ["--edge-cases", folder]);
const game = readFileSync(join(folder, NAME));
const listing = execFileSync(TOOL, [], { cwd: folder });
rmSync(folder, { recursive: true });
const text = listing.toString("latin1");
const own = text.split("\r\n");
// The sample's counts, from its table.
const codes = Array.from({ length: 14 }, (_, k) => game.readUInt16LE(TABLE_AT + k * 24 + 4));
const bytes = (string, encoding = "latin1") => new Uint8Array(Buffer.from(string, encoding));
const row5 = " 5 |     12 | movidat\r\n";
const rows1to7 = text.slice(0, text.indexOf(" 8 |"));

test("a kept listing sets the counts it lists, however it was kept, or says why not", () => {
  const wrong = (why) => ({ why });
  const set = (changes) => ({ codes: codes.map((code, k) => changes[k + 1] ?? code) });
  for (const [name, kept, expected] of [
    ["as the console wrote it", bytes(text), set({})],
    ["PowerShell 5.1's > (UTF-16LE with a mark)", new Uint8Array([0xFF, 0xFE, ...bytes(text, "utf16le")]), set({})],
    ["Notepad's UTF-8 with a mark", new Uint8Array([0xEF, 0xBB, 0xBF, ...bytes(text, "utf8")]), set({})],
    ["LF line ends", bytes(text.replaceAll("\r\n", "\n")), set({})],
    ["CR CR LF line ends", bytes(text.replaceAll("\r\n", "\r\r\n")), set({})],
    ["no line end after the last line", bytes(text.trimEnd()), set({})],
    ["a blank line more", bytes(text + "\r\n"), set({})],
    ["spaces and tabs after lines", bytes(text.replaceAll("\r\n", " \t\r\n")), set({})],
    ["another version", bytes(text.replace("fmvframes 1.0.0,", "fmvframes 0.9.0,")), set({})],
    ["the Windows program by its path", bytes(text.replace("Usage: fmvframes i", "Usage: C:\\Games\\fmvframes.exe i")),
      set({})],
    ["other counts, 10 frames among them", bytes(text.replace(" 3 |     90 |", " 3 |    250 |")
      .replace(" 1 |    300 |", " 1 |     10 |")), set({ 1: 0, 3: 120 })],
    ["rows 1 to 7 only", bytes(rows1to7), wrong("it ends after line 12: the rows of clips 8 to 14 are missing")],
    ["cut in its usage", bytes(text.slice(0, text.indexOf("Where:"))),
      wrong('it ends after line 21, where a listing goes on with "Where: i - movie clip number (#); f - new frames count"')],
    ["a row missing", bytes(text.replace(row5, "")), wrong('line 10 should be the row of clip 5: " 6 |     10 | c.dat"')],
    ["a row twice", bytes(text.replace(row5, row5 + row5)), wrong('line 11 should be the row of clip 6: " 5 |     12 | movidat"')],
    ["rows out of order", bytes(text.replace(row5 + " 6 |     10 | c.dat\r\n", " 6 |     10 | c.dat\r\n" + row5)),
      wrong('line 10 should be the row of clip 5: " 6 |     10 | c.dat"')],
    ["a line more", bytes(text + "one more\r\n"), wrong('line 23 is one more than a listing has: "one more"')],
    ["another file's names", bytes(text.replace("CLIP02.dat", "TOWN.dat")),
      wrong('it lists clip 2 as "TOWN.dat", where Dunmarrow3.exe has "CLIP02.dat": it is a listing of another file')],
    ["an odd count", bytes(text.replace(row5, row5.replace("12", "13"))), wrong("clip 5 has 13 frames there, a count no file holds")],
    ["a count past the limit", bytes(text.replace(row5, " 5 | 131082 | movidat\r\n")),
      wrong("clip 5 has 131082 frames there, a count no file holds")],
    ["another release's", bytes(text + 'Note: "Dunmarrow3.exe" is not a release\r\n'),
      wrong("it is a listing of another release (its Note line says so)")],
    ["another text", bytes("x".repeat(50000)), wrong('line 1 is not as fmvframes writes it: "' + "x".repeat(79) + '…"')],
  ]) {
    assert.deepEqual(readListing(kept, own, NAME, frames), expected, name);
  }
});

// Tables of 14 codes: the sample's, with some clips changed.
const table = (changes = {}) => {
  const out = new Uint8Array(336);
  codes.forEach((code, k) => {
    const value = changes[k + 1] ?? code;
    out[k * 24 + 4] = value & 255;
    out[k * 24 + 5] = value >> 8;
  });
  return out;
};
const SIZE = game.length;

test("a file opened again goes on with its history only where it is the same file", () => {
  const log = history.begin(NAME, { table: table(), size: SIZE });
  for (const [name, size, sameEntry, expected] of [
    ["Dunmarrow3.exe", SIZE, null, true],
    ["dunmarrow3.EXE", SIZE, null, true],  // Windows names are in any case
    ["Dunmarrow3.exe", SIZE, true, true],
    ["Dunmarrow3.exe", SIZE, false, false],  // another folder's, told by its handle
    ["Dunmarrow3.exe", SIZE + 1, null, false],  // no change of a count changes the size
    ["Dunmarrow3-before.exe", SIZE, null, false],
  ]) {
    assert.equal(history.continues(log, name, size, sameEntry), expected, name + " " + size + " " + sameEntry);
  }
  assert.equal(history.continues(null, NAME, SIZE, null), false);
});

test("what a file read again keeps, and what is left to type again", () => {
  const disk = table(), edited = table({ 3: 120 });
  for (const [name, read, retype, keep, left, last] of [
    ["the table last read: the edits stay", table(), [], true, []],
    ["another program changed clip 5: the edit is to type again", table({ 5: 45 }), [], false, [{ clip: "3", code: 120 }]],
    ["the edit put in place: nothing to type", table({ 3: 120 }), [], false, []],
    ["too short for a table: everything wanted", new Uint8Array(0), [{ clip: "7", code: 9 }], false,
      [{ clip: "3", code: 120 }, { clip: "7", code: 9 }]],
    ["a count to type again that the file now holds goes", table({ 5: 45 }), [{ clip: "5", code: 45 }], false,
      [{ clip: "3", code: 120 }]],
    ["the table last read, saved since first opened: the edits stay", table({ 9: 3 }), [], true, [], table({ 9: 3 })],
    ["the table first opened, saved since: the edit is to type again", disk, [], false, [{ clip: "3", code: 120 }],
      table({ 9: 3 })],
  ]) {
    const log = { ...history.begin(NAME, { table: disk, size: SIZE }), retype, last: last ?? disk };
    assert.equal(history.reread(log, read, disk, edited), keep, name);
    assert.deepEqual([log.retype, log.last], [keep ? retype : left, read], name);
  }
});

test("downloads: what each changes against the file as first opened, and what is lost on leaving", () => {
  const log = history.begin(NAME, { table: table(), size: SIZE });
  const steps = [
    // the copy downloaded, what it changes, the earlier changes it lacks, a later one
    [table({ 3: 120 }), ["3"], [], false],
    [table({ 3: 120, 5: 45 }), ["3", "5"], [], true],
    [table({ 5: 45 }), ["5"], ["3"], true],  // clip 3 put back before it: not the newest in every way
    [table({ 3: 7, 5: 45 }), ["3", "5"], [], true],  // clip 3 changed again is still changed
  ];
  for (const [copy, changes, lacks, later] of steps) {
    assert.deepEqual(history.downloaded(log, copy), { changes, lacks, later });
  }
  assert.ok(history.isDownload(log, table({ 5: 45 })));
  assert.ok(!history.isDownload(log, table({ 5: 46 })));
  // Leaving for another file: edits held by a download are not lost; counts to type again are.
  log.retype = [{ clip: "9", code: 1 }];
  for (const [name, copy, other, lost] of [
    ["all in a download", table({ 5: 45 }), table(), [{ clip: "9", code: 1 }]],
    ["an edit no download holds", table({ 6: 4 }), table(), [{ clip: "6", code: 4 }, { clip: "9", code: 1 }]],
    ["the other file holds them", table({ 6: 4 }), table({ 6: 4, 9: 1 }), []],
  ]) {
    assert.deepEqual(history.lacking(log, table(), copy, other), lost, name);
  }
  history.typed(log, ["9"]);
  assert.deepEqual(log.retype, []);
});

test("the words a player reads about downloads and the way back", () => {
  const steps = "In the game's folder, if there is no \0Dunmarrow3-before.exe\0, rename \0Dunmarrow3.exe\0 to it (the " +
    "copy to keep); if there is, delete \0Dunmarrow3.exe\0 (an earlier download). Then put the download there as " +
    "\0Dunmarrow3.exe\0 (a browser may have named it \0Dunmarrow3 (1).exe\0 or \0Dunmarrow3(1).exe\0). On Windows, " +
    "if its Properties say it came from another computer, tick Unblock.";
  const lead = "Asked the browser to download the changed Dunmarrow3.exe: against the file as first opened, it changes ";
  for (const [said, expected] of [
    [say.downloaded("clip 3 90 → 250", false, ""), lead + "clip 3 90 → 250. " + steps],
    [say.downloaded("clip 3 90 → 250, clip 5 12 → 100", true, ""), lead + "clip 3 90 → 250, clip 5 12 → 100. It is " +
      "the newest copy, with every change of the earlier ones. " + steps],
    [say.downloaded("clip 5 12 → 100", true, "clip 3"), lead + "clip 5 12 → 100. An earlier download also changed " +
      "clip 3, which this one does not. " + steps],
    [say.downloaded("", true, ""), "Asked the browser to download the changed Dunmarrow3.exe: it has the counts first " +
      "opened. It is the newest copy, with every change of the earlier ones. " + steps],
    [say.before(NAME, "clip 3 250 → 90"), "Asked the browser to download \0Dunmarrow3-before.exe\0, Dunmarrow3.exe " +
      "as first opened: against the file now, it undoes clip 3 250 → 90. Keep it: to undo every change, delete " +
      "\0Dunmarrow3.exe\0 in the game's folder, then put \0Dunmarrow3-before.exe\0 there and rename it \0Dunmarrow3.exe\0."],
    [say.setBack("kept.txt", NAME, "clip 3 250 → 90", "saved"), "Set back from kept.txt, not saved yet: clip 3 250 → 90."],
    [say.setBack("kept.txt", NAME, "clip 3 250 → 90", false), "Set back from kept.txt: clip 3 250 → 90. " +
      "Dunmarrow3.exe holds them already: nothing to save."],
    [say.setBack("kept.txt", NAME, "", false), "kept.txt lists the counts shown: nothing to set back."],
    [say.noTable(null), "Error: open Dunmarrow3.exe first, then the listing."],
    [say.noTable("Other.exe"), "Error: Other.exe has no table shown to set back: open the game's Dunmarrow3.exe, then " +
      "the listing."],
    [say.moved(NAME, "clip 5 12 → 100"), "Dunmarrow3.exe changed since it was read (clip 5 12 → 100): it is shown as it " +
      "is now, with your changes. "],
  ]) {
    assert.equal(said, expected);
  }
});
