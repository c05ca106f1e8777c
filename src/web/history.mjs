// The history of a game file in this tab, kept across opening it again: the
// table it had when first opened (and the file's size then), the table last
// read from it, every changed copy downloaded from it, and the counts the
// player still has to type again ({clip, code}). Tables only: the page
// reads, draws and says.
import { CLIPS, TABLE_SIZE, codeIn, differ, same, sameName } from "./format.mjs";

export const begin = (name, disk) =>
  ({ name, first: disk.table, size: disk.size, last: disk.table, downloads: [], retype: [] });

// Whether a file opened goes on with this history: the same name, in any
// case, the same size (no change of a count changes it) and, where both came
// with a handle, the same file (sameEntry is true, false, or null where that
// can't be told).
export const continues = (history, name, size, sameEntry) =>
  history !== null && sameName(history.name, name) && size === history.size && sameEntry !== false;

export const isDownload = (history, table) => history.downloads.some((copy) => same(copy, table));

// What the player wants, each with its code: the edits (the copy's table
// against the file's, unless a download holds them all, where held) and the
// counts to type again; of those, what a table lacks.
function wanted(history, disk, copy, held) {
  const edits = held && isDownload(history, copy) ? [] :
    differ(disk, copy).map((clip) => ({ clip, code: codeIn(copy, clip) }));
  return [...edits, ...history.retype.filter(({ clip }) => !edits.some((edit) => edit.clip === clip))];
}
const lacks = (all, table) => all.filter(({ clip, code }) => table.length < TABLE_SIZE || codeIn(table, clip) !== code);

// What opening another file loses: what the player wants that the other
// file lacks, where no download holds it.
export const lacking = (history, disk, copy, table) => lacks(wanted(history, disk, copy, true), table);

// The file read again under this history. Where its table is the one last
// read, the edits stay applied (keep); else what the player wanted and it
// lacks is listed to type again. Either way, it is now the table last read.
export function reread(history, table, disk, copy) {
  const keep = table.length === TABLE_SIZE && same(table, history.last);
  if (!keep) history.retype = lacks(wanted(history, disk, copy, false), table);
  history.last = table;
  return keep;
}

// Records a changed copy downloaded. Says what it changes against the file
// as first opened, and which clips an earlier download changed that it
// leaves as first opened: it is the newest where there are none.
export function downloaded(history, table) {
  const changes = differ(history.first, table);
  const lacks = CLIPS.filter((clip) => codeIn(table, clip) === codeIn(history.first, clip) &&
    history.downloads.some((copy) => codeIn(copy, clip) !== codeIn(history.first, clip)));
  history.downloads.push(table.slice());
  return { changes, lacks, later: history.downloads.length > 1 };
}

// Typed, or set back from a listing: no longer to type again.
export const typed = (history, clips) => {
  history.retype = history.retype.filter(({ clip }) => !clips.includes(clip));
};
