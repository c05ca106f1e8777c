// A kept listing ("fmvframes > fmvframes-before.txt") read back: the counts
// it sets, or why it can't set any. It is read whatever the player's shell
// or editor did to it (a byte-order mark, UTF-16, any line end, spaces after
// a line, blank lines at the end, another version or program name); names
// and counts are what is compared with the tool's listing of the file.

export const LISTING_MAX = 65536;  // a listing is under 1 KiB
const QUOTED = 80;  // the most of a line a refusal quotes
// A row as the tool lists it: clip, frames, name (none where spaces at the
// end of a line were taken away from an empty one).
export const ROW = /^([ \d]\d) \| ([ \d]{5}\d) \|(?: (.*))?$/;

// PowerShell 5.1's ">" writes UTF-16LE with a mark, Notepad UTF-8 with one;
// without a mark it is the console's own code page.
function decode(bytes) {
  const [a, b, c] = bytes;
  if (a === 0xFF && b === 0xFE) return new TextDecoder("utf-16le").decode(bytes.subarray(2));
  if (a === 0xEF && b === 0xBB && c === 0xBF) return new TextDecoder("utf-8").decode(bytes.subarray(3));
  return new TextDecoder("windows-1252").decode(bytes);
}
// Lines without what editors add or drop at their ends: CR LF, LF or CR CR
// LF (or a lone CR) end a line; spaces and tabs after it and blank lines at
// the end don't count.
function lines(text) {
  const all = text.split(/\r*\n|\r+/).map((line) => line.replace(/[ \t]+$/, ""));
  while (all.length > 0 && all[all.length - 1] === "") all.pop();
  return all;
}
// What a line says whatever version wrote it and however it was run.
const shape = (line) => line.replace(/^fmvframes \S+, /, "fmvframes *, ").replace(/^Usage: .* i f$/, "Usage: * i f");
const quote = (line) => '"' + (line.length > QUOTED ? line.slice(0, QUOTED - 1) + "…" : line) + '"';

// bytes: the kept file; own: the tool's listing of the open file, a line
// each; name: the open file's name; frames(code): the count a code gives.
// Returns {codes} (the 14 duration codes, in clip order) or {why}.
export function readListing(bytes, own, name, frames) {
  const kept = lines(decode(bytes)), ours = lines(own.join("\n"));
  const note = kept.findIndex((line) => line.startsWith("Note: "));
  if (note >= 0) return { why: "it is a listing of another release (its Note line says so)" };
  const codes = [];
  for (let i = 0; i < Math.max(ours.length, kept.length); i++) {
    const at = "line " + (i + 1), mine = ours[i] === undefined ? null : ROW.exec(ours[i]);
    const theirs = kept[i] === undefined ? null : ROW.exec(kept[i]);
    const clip = mine && mine[1].trim();
    if (kept[i] === undefined) {
      return { why: "it ends after line " + i + (clip ? ": the rows of clips " + clip + " to 14 are missing" :
        ", where a listing goes on with " + quote(ours[i])) };
    }
    if (ours[i] === undefined) return { why: at + " is one more than a listing has: " + quote(kept[i]) };
    if (mine === null) {
      if (shape(kept[i]) !== shape(ours[i])) return { why: at + " is not as fmvframes writes it: " + quote(kept[i]) };
      continue;
    }
    if (theirs === null || theirs[1] !== mine[1]) return { why: at + " should be the row of clip " + clip + ": " + quote(kept[i]) };
    const [theirName = "", myName = ""] = [theirs[3], mine[3]];
    if (theirName !== myName) {
      return { why: "it lists clip " + clip + " as " + quote(theirName) + ", where " + name + " has " + quote(myName) +
        ": it is a listing of another file" };
    }
    const count = theirs[2].trim(), code = (Number(count) - 10) / 2;
    if (!(Number.isInteger(code) && code >= 0 && code <= 65535 && frames(code) === count)) {
      return { why: "clip " + clip + " has " + count + " frames there, a count no file holds" };
    }
    codes.push(code);
  }
  return { codes };
}
