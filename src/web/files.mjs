// Reading the player's file, and the two ways a change leaves the page: into
// the opened file through its handle, or as a download. Each is
// way(snap) -> what it saw; outcome() turns that into what happened.
import { GAME, READ_AT, READ_SIZE, TABLE_AT, TABLE_SIZE, same } from "./format.mjs";

// A file as the disk holds it: what a save compares (size, lastModified,
// table) and the part the tool reads (or the whole file); null where it
// can't be read (a folder, or a file changed since the browser looked). A
// file too short for the table is read whole: a folder dropped in a browser
// without handles comes as an empty File that only a read tells apart.
export async function readFile(file, whole) {
  try {
    whole ||= file.size < TABLE_AT + TABLE_SIZE;
    const at = whole ? 0 : READ_AT;
    const bytes = new Uint8Array(await (whole ? file : file.slice(at, at + READ_SIZE)).arrayBuffer());
    return { size: file.size, lastModified: file.lastModified, at, bytes,
      table: bytes.slice(TABLE_AT - at, TABLE_AT - at + TABLE_SIZE) };
  } catch (error) {
    return null;
  }
}
export async function readHandle(handle, whole) {
  try {
    return await readFile(await handle.getFile(), whole);
  } catch (error) {
    return null;
  }
}
export const sameTable = (now, disk) => now !== null && now.size === disk.size && same(now.table, disk.table);
const unchanged = (now, disk) => sameTable(now, disk) && now.lastModified === disk.lastModified;

// Writes the table into the file where the file is still as it was opened.
// The browser asks the player and then copies the file, which it moves over
// the file at close(): so the check comes after the copy (a write before it
// is in the copy) and again after the write (a write by another program
// meanwhile shows there). One writer at a time: another tab's Save is
// refused while this one's copy is open. Never rejects.
export async function inPlace({ handle, disk, table }) {
  let writable = null, step = "ask";
  try {
    const answer = await handle.requestPermission({ mode: "readwrite" });
    if (answer !== "granted") return { step, answer };
    step = "copy";
    writable = await handle.createWritable({ keepExistingData: true, mode: "exclusive" });
    step = "check";
    let now = await readHandle(handle);
    if (unchanged(now, disk)) {
      step = "write";
      await writable.write({ type: "write", position: TABLE_AT, data: table });
      step = "check";
      now = await readHandle(handle);
    }
    if (!unchanged(now, disk)) {
      await writable.abort();
      return { step, now };
    }
    step = "close";
    const closing = writable;
    writable = null;
    await closing.close();
  } catch (error) {
    if (writable !== null) await writable.abort().catch(() => {});
    const answer = error.name !== "NotAllowedError" ? "granted" :
      await handle.queryPermission({ mode: "readwrite" }).catch(() => "prompt");
    return { step, answer, error, now: await readHandle(handle) };
  }
  return { step: "closed", now: await readHandle(handle) };
}

// Hands the browser bytes to download under a name.
export function offer(bytes, name) {
  const url = URL.createObjectURL(new Blob([bytes], { type: "application/octet-stream" }));
  const link = Object.assign(document.createElement("a"), { href: url, download: name });
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 40000);  // once the download has it
}

// The file as it is now, or null where it can't be read any more (Chromium's
// File after the file was replaced; WebKit).
export const readNow = ({ handle, file }, whole) => handle !== null ? readHandle(handle, whole) : readFile(file, whole);

// Hands the browser the file as it is now with the table put in, where
// fits(now) says the file is still one the table belongs in. The page can't
// see whether the download happens: it is never a save.
export async function byDownload({ table, fits, ...at }) {
  const now = await readNow(at, true);
  if (now === null || !fits(now)) return { step: "check", now };
  const bytes = now.bytes.slice();
  bytes.set(table, TABLE_AT);
  offer(bytes, GAME);
  return { step: "downloaded", now };
}

// Why the browser wrote nothing, by its error's name and the step.
function cause({ step, answer, error }) {
  if (answer !== "granted") return answer === "denied" ? "denied" : "prompt";
  const name = error ? error.name : "";
  if (name === "NoModificationAllowedError") return step === "copy" ? "busy" : "held";
  if (name === "InvalidStateError" && step === "close") return "held";
  if (name === "QuotaExceededError") return "full";
  if (name === "SecurityError" || (name === "AbortError" && step === "close")) return "security";
  return "other";
}

// What a way out did, from what it saw and what the file holds now:
// saved (a problem reported after it, where the browser failed late; or by
// another tab, where this one was refused a writer);
// downloaded; kept (only the file's time changed: the edits stand);
// refused (the file changed: shown as it is now); unsaved (the file as it
// was); unknown (the file can't be read); confirmed (a save that could not
// be read back is found in the file). Where the file is not as the
// write left it, "written" tells whether the browser reported it written,
// and "why" the browser's failure, if any.
export function outcome(snap, seen) {
  const { step, now, error } = seen, written = step === "closed";
  if (step === "downloaded") return { kind: "downloaded" };
  if (step === "ask" || (error && error.name === "NotAllowedError")) return { kind: "unsaved", why: cause(seen) };
  if (now === null) return { kind: "unknown", written, why: error && cause(seen) };
  if (written || error) {
    // Refused a writer, yet the file holds the counts: another tab saved them.
    const other = step === "copy" && error;
    if (same(now.table, snap.table) && now.size === snap.disk.size) return { kind: "saved", late: !other && error, other };
    // Failed and found as it was: nothing was saved. Reported written
    // without a failure and found as it was: something else undid it.
    if (sameTable(now, snap.disk) && error) return { kind: "unsaved", why: cause(seen) };
    return { kind: "refused", written, why: error && cause(seen) };
  }
  // The file holds what an earlier save wrote but could not read back.
  if (snap.unread && now.size === snap.disk.size && same(now.table, snap.unread)) return { kind: "confirmed" };
  return { kind: sameTable(now, snap.disk) ? "kept" : "refused" };
}
