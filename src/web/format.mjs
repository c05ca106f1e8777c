// Where the tool's table lies in the game file and how a table is compared.
// Tables are the 336 bytes as read: a clip's duration_code is two bytes,
// low first, 24 bytes a clip from the fourth.
export const TABLE_AT = 1161592, TABLE_SIZE = 336;
// The tool reads the table and the clip names, 32 bytes each, all in the
// 64 KiB from NAME_BASE: that part of the file is all the page reads to open
// it, and the whole file only to download it.
export const READ_AT = 1114112, READ_SIZE = 65536 + 32;
export const GAME = "Dunmarrow3.exe";  // the one name the game reads
export const CLIPS = Array.from({ length: 14 }, (_, k) => String(k + 1));

export const codeAt = (clip) => (Number(clip) - 1) * 24 + 4;
export const codeIn = (table, clip) => table[codeAt(clip)] | table[codeAt(clip) + 1] << 8;
export const same = (a, b) => a.length === b.length && a.every((byte, i) => byte === b[i]);
// The clips whose counts differ from one table to the other.
export const differ = (from, to) => CLIPS.filter((clip) => codeIn(from, clip) !== codeIn(to, clip));
// A copy of table with the clips' counts taken from another table.
export function taking(table, clips, from) {
  const out = table.slice();
  for (const clip of clips) out.set(from.subarray(codeAt(clip), codeAt(clip) + 2), codeAt(clip));
  return out;
}
// Game files are named without regard to case, as Windows does.
export const sameName = (a, b) => a.toLowerCase() === b.toLowerCase();
