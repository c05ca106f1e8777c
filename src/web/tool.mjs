// The page only moves bytes and draws: every rule and every message about the
// table comes from the tool itself, compiled to WebAssembly and run as the
// console runs it, on a copy of the opened file. Like the console tool, Save
// writes the 336 bytes of the table and nothing else.
const began = performance.now();
const MODULE = "@MODULE@";
const ARGS_SIZE = 256;  // the module's argument buffer

let tool = null;  // the module's exports
// The file the tool runs on: the part of it that the page read ({at, bytes})
// and the file's size; null where none is open.
let target = null;

function start() {
  const bytes = Uint8Array.fromBase64 ? Uint8Array.fromBase64(MODULE) :
    Uint8Array.from(atob(MODULE), (c) => c.charCodeAt(0));
  const memory = () => new Uint8Array(tool.memory.buffer);
  const env = {
    // The copy holds the part of the file the tool reads; it reads no other.
    game_read(offset, to, count) {
      const { copy: { at, bytes: copy }, size } = target;
      const from = offset - at;
      if (from < 0 || (from + count > copy.length && at + copy.length < size)) return -1;
      const piece = copy.subarray(from, from + count);
      memory().set(piece, to);
      return piece.length;
    },
    game_write(offset, from, count) {
      const { at, bytes: copy } = target.copy;
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
export let unable = null;  // why this browser can't run the tool, if it can't
try {
  start();
} catch (error) {
  unable = error;
}
export const ready = performance.now() - began;

const ansi = new TextDecoder("windows-1252");
// The console output of the module's last run, as bytes.
export const output = () => new Uint8Array(tool.memory.buffer, tool.output(), tool.output_length()).slice();

// Runs the tool as "fmvframes ARGS..." on a file ({copy, size}, or null for
// none) and returns its status and lines.
export function run(args, file) {
  const encoded = new TextEncoder().encode(["fmvframes", ...args].map((a) => a + "\0").join(""));
  if (encoded.length > ARGS_SIZE) return { status: -1, lines: [] };
  new Uint8Array(tool.memory.buffer, tool.args(), ARGS_SIZE).fill(0).set(encoded);
  target = file;
  tool.set_game(file !== null);
  const status = tool.run(1 + args.length);
  target = null;
  return { status, lines: ansi.decode(output()).split("\r\n") };
}

// The frames a duration code gives, as the tool lists them.
export const frames = (code) => String(tool.frames(code));
