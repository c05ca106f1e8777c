// Drawing, editing, and what the player is told.
import { CLIPS, TABLE_AT, TABLE_SIZE, codeAt, codeIn, differ, taking } from "./format.mjs";
import { frames, output, run as runTool } from "./tool.mjs";
import { byDownload, inPlace, offer, outcome, readFile, readNow, sameTable } from "./files.mjs";
import { LISTING_MAX, ROW, readListing } from "./listing.mjs";
import * as history from "./history.mjs";
import * as say from "./words.mjs";
import { $, accept, clipOf, inputs, mark as marking, row } from "./rows.mjs";

// What this browser can do, found once: pick a file as a handle, and write
// a handle's file in place.
export const can = {
  pick: typeof window.showOpenFilePicker === "function",
  write: (handle) => handle != null && handle.kind === "file" && typeof handle.createWritable === "function",
  windows: /Windows/.test(navigator.userAgent),
};
let saving = false;  // one save, download or read at a time; nothing opens meanwhile
export const busy = () => saving;
let drawing = false;  // rows being rebuilt: a field removed commits nothing
// The open file, or null: its name; the handle Save writes through, where the
// browser gives one (else null); the File it was opened from; the file as
// last read or saved (size, lastModified, table); the part the tool reads,
// which edits change; the table it had when opened, for what a save changed;
// its history; a table saved but not read back; whether it can't be read any
// more.
let game = null;
const histories = new Map();  // a history a game file, by its name in lower case

const current = () => game.copy.bytes.subarray(TABLE_AT - game.copy.at, TABLE_AT - game.copy.at + TABLE_SIZE);
export const run = (args) => runTool(args, game && { copy: game.copy, size: game.disk.size });
const framesIn = (table, clip) => frames(codeIn(table, clip));
// "clip 3 to 250", or with arrows "clip 3 90 → 250".
const listed = (clips, to, from) => clips.map((clip) => "clip " + clip + " " +
  (from ? framesIn(from, clip) + " → " : "to ") + framesIn(to, clip)).join(", ");
const mark = (input) => marking(input, current(), game.disk.table, game.opened);
const unsaved = () => game === null ? [] : differ(game.disk.table, current());
const dirty = () => unsaved().length > 0;
const shown = () => game !== null && !$("clips-area").hidden;
// Leaving, or opening another file, loses edits or changes still to type.
export const unsettled = () => dirty() || (game !== null && game.history.retype.length > 0);
const verb = () => game.handle ? "saved" : "downloaded";

// Each message goes where the player is looking; the status line, which is
// read out, repeats it. A name set in the code font has "\0" at its ends.
function tell(place, text, error, block = "nearest") {
  const parts = text.split("\0");
  place.replaceChildren(...parts.map((part, i) => i % 2 ? Object.assign(document.createElement("code"),
    { textContent: part }) : part));
  place.classList.toggle("error", Boolean(error));
  $("status").textContent = parts.join("");
  if (text !== "" && block !== null) place.scrollIntoView({ block });
}
export const openNote = (text, error) => tell($("open-note"), text, error);
// The buttons first: words beside them that grow can't push the note out of view.
const saveNote = (text, error, block) => {
  refresh();
  tell($("save-note"), text, error, block);
};
const BUSY = "Error: the save has not ended yet: try again after it.";
export const busyNote = () => openNote(BUSY, true);

// Shows the table, or where no change could be written to it (it can't be
// listed, or it is another release) the tool's reason under Open and what
// to do; the keyboard then goes to that reason. Across a rebuild the
// keyboard stays where it was, and a count being typed stays in its clip's
// field, not yet applied.
function draw() {
  const result = run([]);
  const found = result.lines.map((line) => ROW.exec(line)).filter((match) => match !== null);
  $("file-name").textContent = "The 14 clips in " + game.name;
  const lines = (prefix) => say.naming(result.lines.filter((line) => line.startsWith(prefix)).join(" "), game.name);
  let problem = result.status !== 0 || found.length !== 14 ?
    lines("Error: ") || "Error: " + game.name + " can not be listed." : lines("Note: ");
  const area = $("clips-area"), active = document.activeElement, focused = area.contains(active) && active.id;
  const typed = focused && active.matches("#clips input") && active.value !== active.defaultValue && active.value;
  area.hidden = problem !== "";
  if (problem !== "") {
    openNote(say.next(problem), true);
    if (focused || active === document.body) $("open-note").focus();
    return false;
  }
  drawing = true;
  $("clips").replaceChildren(...found.map(([, clip, count, name]) =>
    row(clip.trim(), count.trim(), name ?? "", { change, putBack })));
  drawing = false;
  inputs().forEach(mark);
  const back = focused && $(focused);
  if (back) {
    if (typed) back.value = typed;
    back.focus();
  }
  return true;
}

// The buttons, and the words beside them, follow what is not saved yet.
function refresh() {
  const count = unsaved().length, inPlace = game !== null && game.handle !== null;
  $("save").hidden = !inPlace;
  $("way-in-place").hidden = !inPlace;
  $("way-copy").hidden = inPlace;
  for (const id of ["save", "download"]) $(id).setAttribute("aria-disabled", String(saving || count === 0));
  for (const id of ["open", "open-copy", "keep", "before", "restore"]) $(id).setAttribute("aria-disabled", String(saving));
  $("pending").textContent = count === 0 ? "" : count + (count === 1 ? " clip" : " clips") + " changed" +
    (game.gone ? ": " + game.name + " can not be read any more, open it again" :
      history.isDownload(game.history, current()) ? ": downloaded, not yet in place" : ", not " + verb() + " yet");
  const retype = game === null ? [] : game.history.retype;
  $("retype").textContent = retype.length === 0 ? "" : "Still to type again: " +
    retype.map(({ clip, code }) => "clip " + clip + " to " + frames(code)).join(", ") + ".";
}

// A line of its own under a clip's row: a refusal, or how a count was kept.
function line(clip, kind, text, error) {
  accept($("frames-" + clip));
  const tr = $("clip-" + clip);
  const under = tr.parentNode.insertRow(tr.sectionRowIndex + 1);
  under.id = kind + "-" + clip;
  under.className = "line";
  under.insertCell().colSpan = 4;
  if (error) $("frames-" + clip).setAttribute("aria-invalid", "true");
  tell(under.cells[0], text, error);
}
const acceptAll = () => inputs().forEach((input) => accept(input, ["refused"]));

// A field's count as the file now holds it, not being typed.
const put = (input, count) => { input.value = input.defaultValue = count; };

// Changes one clip in the copy as "fmvframes CLIP FRAMES" would, where the
// field holds a count not yet applied; false where the tool refused it.
function change(clip, input) {
  if (drawing || !input.isConnected || input.value === input.defaultValue) return true;
  const typed = input.value.trim(), before = input.defaultValue;
  const result = run([clip, typed]);
  if (result.status !== 0) {
    put(input, before);
    const error = result.lines.filter((text) => text.startsWith("Error: ")).join(" ");
    line(clip, "refused", (error || "Error: this count is too long.") + ' You typed "' + typed + '": clip ' + clip +
      " keeps " + before + " frames.", true);
    return false;
  }
  put(input, /length: (\d+)/.exec(result.lines.find((text) => text.startsWith("Movie #")))[1]);
  accept(input);
  let odd = "";
  if (Number(typed) !== Number(input.value)) {
    odd = " " + typed + " is stored as " + input.value + ": only even counts are kept.";
    line(clip, "odd", odd.trim());
  }
  changed([clip], "Clip " + clip + ": " + input.value + " frames." + odd);
  return true;
}

// After any edit: the rows, the buttons, and what is left to type again;
// what is read out says what the screen says.
function changed(clips, text) {
  history.typed(game.history, clips);
  inputs().forEach(mark);
  refresh();
  const pending = $("pending").textContent;
  $("status").textContent = text + (pending && " " + pending[0].toUpperCase() + pending.slice(1) + ".");
}

// Not saved: back to the file's count; saved: back to the opened one, as an
// edit that Save then writes.
function putBack(clip, input) {
  const edited = codeIn(current(), clip) !== codeIn(game.disk.table, clip);
  setClip(clip, edited ? game.disk.table : game.opened);
  input.focus();
  // A note of what was saved no longer tells what the file will hold.
  if ($("save-note").textContent.startsWith("Saved")) saveNote("", false, null);
  changed([clip], "Clip " + clip + " is back to " + input.value + " frames.");
}
// Sets a clip in the copy to its count in a table, as an edit.
function setClip(clip, from) {
  const at = codeAt(clip), input = $("frames-" + clip);
  current().set(from.subarray(at, at + 2), at);
  put(input, framesIn(from, clip));
  accept(input);
}

// Shows a file as the disk holds it; the edits not saved are gone.
function show(opened) {
  game = opened;
  openNote("");
  saveNote("");
  const drawn = draw();
  refresh();
  return drawn;
}
const opening = (name, file, handle, disk, log) =>
  ({ name, file, handle, disk, copy: disk, opened: disk.table, history: log, unread: null, gone: false });
// The record of what was saved goes on for every clip nobody else changed.
const goingOn = (opened, from, to) => to.length < TABLE_SIZE ? to :
  taking(to, CLIPS.filter((clip) => codeIn(from, clip) === codeIn(to, clip)), opened);

// Opens a file. A file of the same name goes on with its history: where its
// table is the one last read the edits stay, else what it lacks of them is
// listed to type again. Another file starts its own, and where that loses
// what the player wants, the player is asked first.
export async function load(file, handle) {
  if (saving) return busyNote();
  const disk = await readFile(file);
  // A read that ends during a save is set aside: nothing is asked mid-save.
  if (saving) return busyNote();
  if (disk === null) return openNote(say.unreadable(file.name), true);
  let log = histories.get(file.name.toLowerCase()) ?? null;
  const sameEntry = log && log.handle && handle && handle.isSameEntry ?
    await handle.isSameEntry(log.handle).catch(() => null) : null;
  const goesOn = history.continues(log, file.name, disk.size, sameEntry), carried = goesOn && game !== null && game.history === log;
  if (game !== null && !carried) {
    if (history.lacking(game.history, game.disk.table, current(), disk.table).length > 0 &&
      !confirm("Forget the changes not saved yet?")) return;
    game.history.retype = [];
  }
  const note = say.holds(file.name, handle !== null, goesOn ? log : game && game.history, disk.table);
  const edits = carried ? current().slice() : null, opened = carried ? game.opened : disk.table;
  if (!goesOn) histories.set(file.name.toLowerCase(), log = history.begin(file.name, disk));
  const keep = history.reread(log, disk.table, carried ? game.disk.table : log.last, edits ?? log.last);
  if (handle !== null) log.handle = handle;
  game = { ...opening(file.name, file, handle, disk, log), opened: goingOn(opened, edits ? game.disk.table : disk.table, disk.table) };
  if (keep && edits) current().set(edits);
  if (show(game)) tell($("open-note"), note, false, null);
}

export async function openHandle(handle) {
  if (saving) return busyNote();
  if (handle.kind === "directory") return openNote(say.folder(handle.name), true);
  let file;
  try {
    file = await handle.getFile();
  } catch (error) {
    return openNote(say.unreadable(handle.name), true);
  }
  await load(file, can.write(handle) ? handle : null);
}

// The file as it is now, read before any word is said of it, and where it
// is not as last read, shown as it is now with the edits on it. Returns what
// to say of a change ("" for none), or null where another file opened
// meanwhile, or where it can't be read or shown (then said: then is what to
// do after opening it again).
async function reading(busy, then, whole) {
  const at = game;
  saving = true;
  saveNote(busy);
  const now = await readNow(at, whole);
  saving = false;
  if (game !== at) return null;
  game.gone ||= now === null;
  const moved = now && learn(now);  // null: the reason it has no table is said under Open
  if (now === null) saveNote(say.gone(game.name, then), true);
  return moved === null || now === null ? null : { now, moved };
}
// Where the file is not as last read, it is shown as it is now, with the
// edits on it; the words say so. Null where there is no table to show.
function learn(now) {
  if (sameTable(now, game.disk)) return "";
  const was = game.disk.table, edits = differ(was, current()), wanted = current().slice();
  // Edits with no table to be shown on are listed to type again.
  history.reread(game.history, now.table, was, now.table.length === TABLE_SIZE ? was : wanted);
  game = { ...game, disk: now, copy: now, opened: goingOn(game.opened, was, now.table) };
  if (now.table.length === TABLE_SIZE) current().set(taking(now.table, edits, wanted));
  const moved = now.table.length === TABLE_SIZE ? differ(was, now.table) : [];
  if (!show(game)) return null;
  return say.moved(game.name, moved.length ? listed(moved, now.table, was) : "");
}

export const save = () => leave(inPlace, "Saving " + game.name + "… If the browser asks whether this page may " +
  "change the file, answer it.");
export const download = () => leave(byDownload, "Reading " + game.name + " to download it…");

// Save and Download take, when pressed, where they write, what they expect
// the file to be and the table they write, and then say what happened. A
// count still being typed is applied first, and nothing leaves if the tool
// refuses it.
async function leave(way, busy) {
  const active = document.activeElement;
  if (saving || game === null || (active.matches("#clips input") && !change(clipOf(active), active))) return;
  if (!dirty() || (way === inPlace && game.handle === null)) return;
  const log = game.history, disk = game.disk;
  const snap = { game, way, name: game.name, file: game.file, handle: game.handle, disk, table: current().slice(),
    unread: game.unread,
    fits: (now) => sameTable(now, disk) || (now.size === disk.size && history.isDownload(log, now.table)) };
  acceptAll();  // a refusal is of an edit, not of what leaves
  saving = true;
  refresh();
  saveNote(busy);
  const seen = await way(snap).catch((error) => ({ step: "check", error, now: null }));
  saving = false;
  settle(snap, outcome(snap, seen), seen);
  refresh();
}

// Says what a save or a download did, by what the file holds now.
function settle(snap, { kind, why, late, written, other }, { error, now }) {
  if (game !== snap.game) return;  // another file is open since
  game.unread = null;
  const name = snap.name, tried = differ(snap.disk.table, snap.table), log = game.history;
  const words = error ? " (" + error.message + ")" : "";
  if (now) log.last = now.table;
  if (kind === "downloaded") {
    game.disk = now;  // the file, or a download of it put in place
    const { changes, lacks, later } = history.downloaded(log, snap.table);
    return saveNote(say.downloaded(listed(changes, snap.table, log.first), later,
      lacks.map((clip) => "clip " + clip).join(", ")), false, "center");
  }
  if (kind === "saved" || kind === "confirmed") {
    game.disk = now;
    inputs().forEach(mark);
    const saved = kind === "saved" ? listed(tried, snap.table, snap.disk.table) :
      listed(differ(snap.disk.table, now.table), now.table, snap.disk.table);
    return saveNote(say.saved(name, saved, other, dirty(), late && words, can.windows));
  }
  if (kind === "unsaved") {
    if (now && sameTable(now, game.disk)) game.disk = now;
    return saveNote(say.unsaved(why, name, words), true);
  }
  if (kind === "unknown") {
    if (written) game.unread = snap.table;
    game.gone = !written && !why;
    return saveNote(game.gone ? say.gone(name, "press " + (snap.handle ? "Save" : "Download") + " again") :
      say.unknown(name, written, words), true);
  }
  if (kind === "kept") {  // the edits, onto the file as it is now
    const edits = current().slice();
    game.disk = game.copy = now;
    current().set(edits);
    draw();
    return saveNote(say.kept(name), true);
  }
  refuse(snap, now, say.refusal(name, why && words, written, snap.way === inPlace));
}

// The file changed under a save: it is shown as it is now; what Save tried
// and the edits made since are named, and stay listed until typed again.
function refuse(snap, now, lead) {
  const wanted = current().slice(), since = differ(snap.table, wanted), log = game.history;
  const retype = differ(snap.disk.table, wanted).filter((clip) => codeIn(now.table, clip) !== codeIn(wanted, clip));
  // Where the table can't be shown, there is nothing to type them into.
  if (show({ ...opening(snap.name, snap.file, snap.handle, now, log), opened: goingOn(game.opened, snap.disk.table, now.table) })) {
    log.retype = retype.map((clip) => ({ clip, code: codeIn(wanted, clip) }));
    refresh();
  }
  saveNote(say.refused(lead, listed(differ(snap.disk.table, snap.table), snap.table), listed(since, wanted),
    log.retype.length > 0 && (snap.handle ? "Save" : "Download")), true);
}

// The file's listing as the console writes it ("fmvframes > LISTING"): the
// tool's own bytes for the file as it is on the disk, read first.
export async function keep() {
  const read = await reading("Reading " + game.name + "…", "keep a listing");
  if (read === null) return;
  const edits = current().slice();
  current().set(game.disk.table);
  run([]);
  offer(output(), say.LISTING);
  current().set(edits);
  saveNote(read.moved + say.keptListing(game.name), false, "center");
}

// The file as it is now with the table it had when first opened, where it
// is still the size it was.
export async function keepOpened() {
  const log = game.history, read = await reading("Reading " + game.name + "…", "download it as first opened", true);
  if (read === null) return;
  if (read.now.size !== log.size) return saveNote(say.resized(game.name), true);
  const bytes = read.now.bytes.slice();
  bytes.set(log.first, TABLE_AT);
  offer(bytes, say.BEFORE);
  saveNote(read.moved + say.before(game.name, listed(differ(read.now.table, log.first), log.first, read.now.table)),
    false, "center");
}

// A kept listing of the open file sets its counts as edits, onto the file
// as it is now; anything else is refused and changes nothing.
export async function restore(file) {
  if (saving) return saveNote(BUSY, true);
  if (!shown()) return openNote(say.noTable(game && game.name), true);
  if (file.size > LISTING_MAX) return saveNote(say.notSetBack(file.name, game.name, "it is larger than a listing can be"), true);
  let bytes;
  try {
    bytes = new Uint8Array(await file.arrayBuffer());
  } catch (error) {
    return saveNote("Error: " + file.name + " could not be read.", true);
  }
  const read = await reading("Reading " + game.name + "…", "the listing");
  if (read === null) return;
  const found = readListing(bytes, run([]).lines, game.name, frames);
  if (found.why) return saveNote(read.moved + say.notSetBack(file.name, game.name, found.why), true);
  const table = current().slice(), from = current().slice();
  CLIPS.forEach((clip, k) => table.set([found.codes[k] & 255, found.codes[k] >> 8], codeAt(clip)));
  const back = differ(from, table);
  back.forEach((clip) => setClip(clip, table));
  changed(CLIPS, "");  // the listing says every clip's count
  saveNote(read.moved + say.setBack(file.name, game.name, listed(back, table, from), dirty() && verb()), false);
}
