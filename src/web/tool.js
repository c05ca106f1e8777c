// The page only moves bytes and draws: every rule and every message about the
// table comes from the tool itself, compiled to WebAssembly and run as the
// console runs it, on a copy of the opened file. Like the console tool, Save
// writes the 336 bytes of the table and nothing else.
"use strict";
const began = performance.now();
const MODULE = "@MODULE@";
const TABLE_AT = 1161592, TABLE_SIZE = 336;  // the table the tool writes
// The tool reads the table and the clip names, 32 bytes each, all in the
// 64 KiB from NAME_BASE: that part of the file is all the page reads to open
// it, and the whole file only to download it.
const READ_AT = 1114112, READ_SIZE = 65536 + 32;
// Where in the table a clip's duration_code lies: two bytes, low first.
const codeAt = (clip) => (Number(clip) - 1) * 24 + 4;
const CLIPS = Array.from({ length: 14 }, (_, k) => String(k + 1));
const ARGS_SIZE = 256;  // the module's argument buffer
const GAME = "Dunmarrow3.exe";  // the one name the game reads

// What this browser can do, found once: pick a file as a handle, and write
// a handle's file in place.
const can = {
  pick: typeof window.showOpenFilePicker === "function",
  write: (handle) => handle != null && handle.kind === "file" && typeof handle.createWritable === "function",
  windows: /Windows/.test(navigator.userAgent),
};

let tool = null;  // the module's exports
// The open file, or null: its name; the handle Save writes through, where the
// browser gives one (else null); the File it was opened from; its table when
// opened and the file as last read or saved (size, lastModified, table): the
// page's one record of what changed; the part the tool reads, which edits
// change; the table last downloaded; the changes a refused save could not
// write, to type again.
let game = null;

const same = (a, b) => a.length === b.length && a.every((byte, i) => byte === b[i]);
const codeIn = (table, clip) => table[codeAt(clip)] | table[codeAt(clip) + 1] << 8;
// The frames a table gives a clip, as the tool lists them.
const framesIn = (table, clip) => String(tool.frames(codeIn(table, clip)));
const current = () => game.copy.bytes.subarray(TABLE_AT - game.copy.at, TABLE_AT - game.copy.at + TABLE_SIZE);
// The clips whose counts differ from one table to the other.
const differ = (from, to) => CLIPS.filter((clip) => codeIn(from, clip) !== codeIn(to, clip));
// "clip 3 to 250", or with arrows "clip 3 90 → 250".
const listed = (clips, to, from) => clips.map((clip) => "clip " + clip + " " +
  (from ? framesIn(from, clip) + " → " : "to ") + framesIn(to, clip)).join(", ");
// A file name is never a replacement pattern ("$&" stays as it is).
const naming = (text, name) => text.split('"' + GAME + '"').join('"' + name + '"');

function startTool() {
  const bytes = Uint8Array.fromBase64 ? Uint8Array.fromBase64(MODULE) :
    Uint8Array.from(atob(MODULE), (c) => c.charCodeAt(0));
  const memory = () => new Uint8Array(tool.memory.buffer);
  const env = {
    // The copy holds the part of the file the tool reads; it reads no other.
    game_read(offset, to, count) {
      const { at, bytes: copy } = game.copy;
      const from = offset - at;
      if (from < 0 || (from + count > copy.length && at + copy.length < game.disk.size)) return -1;
      const piece = copy.subarray(from, from + count);
      memory().set(piece, to);
      return piece.length;
    },
    game_write(offset, from, count) {
      const { at, bytes: copy } = game.copy;
      if (offset < at || offset - at + count > copy.length) return -1;
      copy.set(memory().subarray(from, from + count), offset - at);
      return count;
    },
  };
  // A compile of a few KiB is quicker done at once than handed to a thread.
  tool = new WebAssembly.Instance(new WebAssembly.Module(bytes), { env }).exports;
}
// The module first, the page's handlers after: a player can act on nothing
// before both, and the compile is what takes the time.
let unable = null;  // why this browser can't run the tool, if it can't
try {
  startTool();
} catch (error) {
  unable = error;
}
const ready = performance.now() - began;

// The console output of the module's last run, a line each.
const ansi = new TextDecoder("windows-1252");
const said = () => ansi.decode(new Uint8Array(tool.memory.buffer, tool.output(), tool.output_length())).split("\r\n");

// Runs the tool as "fmvframes ARGS..." and returns its status and lines.
function run(args) {
  const encoded = new TextEncoder().encode(["fmvframes", ...args].map((a) => a + "\0").join(""));
  if (encoded.length > ARGS_SIZE) return { status: -1, lines: [] };
  new Uint8Array(tool.memory.buffer, tool.args(), ARGS_SIZE).fill(0).set(encoded);
  tool.set_game(game !== null);
  const status = tool.run(1 + args.length);
  return { status, lines: said() };
}

// The lines that begin with prefix, as one text, naming the file opened.
const lines = (all, prefix) => naming(all.filter((line) => line.startsWith(prefix)).join(" "), game.name);
