// The page only moves bytes and draws: every rule and every message about the
// table comes from the tool itself, compiled to WebAssembly and run as the
// console runs it, on a copy of the opened file. Like the console tool, Save
// writes the 336 bytes of the table and nothing else.
"use strict";
const MODULE = "@MODULE@";
const TABLE_AT = 1161592, TABLE_SIZE = 336;  // the table the tool writes
// Where in the table a clip's duration_code lies: two bytes, low first.
const codeAt = (clip) => (Number(clip) - 1) * 24 + 4;
const ARGS_SIZE = 256;  // the module's argument buffer
const GAME = "Dunmarrow3.exe";  // the one name the game reads

const $ = (id) => document.getElementById(id);
let tool = null;  // the module's exports
// The open file: its name; its handle, where the browser lets it be written
// (else null); the file as the disk held it when opened or last saved (size,
// lastModified, table): the one record of the saved counts; and the copy the
// tool edits.
let game = null;
let saving = false;  // one save at a time; nothing opens meanwhile
let downloaded = null;  // the table last handed to the browser to download
const ansi = new TextDecoder("windows-1252");
const windows = /Windows/.test(navigator.userAgent);

const tableOf = (bytes) => bytes.slice(TABLE_AT, TABLE_AT + TABLE_SIZE);
const current = () => game.bytes.subarray(TABLE_AT, TABLE_AT + TABLE_SIZE);
const same = (a, b) => a.length === b.length && a.every((byte, i) => byte === b[i]);
const dirty = () => game !== null && !same(current(), game.disk.table);
const inputs = () => [...document.querySelectorAll("#clips input")];
const clipOf = (input) => input.id.slice("frames-".length);
const edited = () => inputs().filter((input) => input.closest("tr").classList.contains("edited"));
// The frames a table gives a clip, as the tool lists them.
const framesIn = (table, clip) =>
  String(tool.frames(table[codeAt(clip)] | table[codeAt(clip) + 1] << 8));

// Each message goes where the player is looking; the status line, which is
// read out, repeats it.
function tell(place, text, error) {
  place.textContent = text;
  place.classList.toggle("error", Boolean(error));
  $("status").textContent = text;
  if (text !== "") place.scrollIntoView({ block: "nearest" });
}
const openNote = (text, error) => tell($("open-note"), text, error);
const saveNote = (text, error) => tell($("save-note"), text, error);
const busyNote = () => openNote("Error: the save has not ended yet: open the file again after it.", true);
const unreadable = (name) => openNote("Error: " + name + " is a folder, or a file that could not be read: " +
  "open the file " + GAME + " in the game's folder.", true);

async function start() {
  const bytes = Uint8Array.from(atob(MODULE), (c) => c.charCodeAt(0));
  const memory = () => new Uint8Array(tool.memory.buffer);
  const imports = { env: {
    game_read(offset, to, count) {
      const piece = game.bytes.subarray(offset, offset + count);
      memory().set(piece, to);
      return piece.length;
    },
    game_write(offset, from, count) {
      if (offset + count > game.bytes.length) return -1;
      game.bytes.set(memory().subarray(from, from + count), offset);
      return count;
    },
  } };
  tool = (await WebAssembly.instantiate(bytes, imports)).instance.exports;
  $("credits").textContent = run([]).lines[1];
}

// The console output of the module's last run, a line each.
const said = () => ansi.decode(new Uint8Array(tool.memory.buffer, tool.output(), tool.output_length())).split("\r\n");

// Runs the tool as "fmvframes ARGS..." and returns its status and lines.
function run(args) {
  const text = ["fmvframes", ...args].map((a) => a + "\0").join("");
  const encoded = new TextEncoder().encode(text);
  if (encoded.length > ARGS_SIZE) return { status: -1, lines: [] };
  new Uint8Array(tool.memory.buffer, tool.args(), ARGS_SIZE).fill(0).set(encoded);
  tool.set_game(game !== null);
  const status = tool.run(1 + args.length);
  return { status, lines: said() };
}

// The lines that begin with "Error: ", as one text, naming the file opened.
function errors(lines) {
  const text = lines.filter((line) => line.startsWith("Error: ")).join(" ");
  return text.replaceAll('"' + GAME + '"', '"' + game.name + '"');
}

// Draws the table the console would list for the copy, where a change could
// be written to it; false, with the reason under Open, where not.
function draw() {
  const result = run([]);
  const rows = result.lines
    .map((line) => /^([ \d]\d) \| ([ \d]{5}\d) \| (.*)$/.exec(line))
    .filter((match) => match !== null);
  $("file-name").textContent = "The 14 clips in " + game.name;
  let problem = "";
  if (result.status !== 0 || rows.length !== 14) {
    problem = errors(result.lines) || "Error: " + game.name + " can not be listed.";
  } else if (tool.check() !== 0) {  // another release: no count to edit
    problem = errors(said());
  }
  $("clips-area").hidden = problem !== "";
  if (problem !== "") {
    openNote(problem, true);
    return false;
  }
  const body = $("clips");
  body.replaceChildren();
  for (const [, clip, frames, name] of rows) {
    const number = clip.trim();
    const row = body.insertRow();
    row.id = "clip-" + number;
    row.insertCell().textContent = number;
    const input = document.createElement("input");
    input.id = "frames-" + number;
    input.value = frames.trim();
    input.inputMode = "numeric";
    input.autocomplete = "off";
    input.setAttribute("aria-label", "Frames of clip " + number + " (" + name + ")");
    input.addEventListener("input", () => accept(input));  // typed again: no longer refused
    input.addEventListener("change", () => change(number, input));
    row.insertCell().append(input);
    row.insertCell().textContent = name;
    const note = row.insertCell();
    note.className = "note";
    const back = document.createElement("button");
    back.type = "button";
    back.textContent = "Put back";
    back.addEventListener("click", () => putBack(number, input));
    note.append(document.createElement("span"), back);
  }
  inputs().forEach(mark);
  return true;
}

// Marks a row whose count differs from the file's, with the count it had.
function mark(input) {
  const row = input.closest("tr");
  const clip = clipOf(input), at = codeAt(clip), was = framesIn(game.disk.table, clip);
  const changed = !same(current().subarray(at, at + 2), game.disk.table.subarray(at, at + 2));
  row.classList.toggle("edited", changed);
  const [note, back] = row.cells[3].children;
  note.textContent = changed ? "was " + was : "";
  back.hidden = !changed;
  back.setAttribute("aria-label", "Put back clip " + clip + " to " + was + " frames");
}

// The buttons, and the words beside them, follow what is not saved yet.
function refresh() {
  const count = game === null ? 0 : edited().length;
  $("save").hidden = game === null || game.handle === null;
  for (const id of ["save", "download"]) $(id).setAttribute("aria-disabled", String(saving || count === 0));
  for (const id of ["open", "open-copy"]) $(id).setAttribute("aria-disabled", String(saving));
  $("pending").textContent = count === 0 ? "" : count + (count === 1 ? " clip" : " clips") + " changed" +
    (downloaded !== null && same(current(), downloaded) ? ": downloaded, not yet in place" : ", not saved yet");
}

// The refusal of an edit, in a row of its own under the clip's.
function refuse(clip, input, text) {
  const row = input.closest("tr");
  let line = $("refused-" + clip);
  if (line === null) {
    line = row.parentNode.insertRow(row.sectionRowIndex + 1);
    line.id = "refused-" + clip;
    line.className = "refused";
    line.insertCell().colSpan = 4;
  }
  input.setAttribute("aria-invalid", "true");
  tell(line.cells[0], text, true);
}

function accept(input) {
  input.removeAttribute("aria-invalid");
  const line = $("refused-" + clipOf(input));
  if (line !== null) line.remove();
}

// Changes one clip in the copy as "fmvframes CLIP FRAMES" would.
function change(clip, input) {
  const before = framesIn(current(), clip);
  const result = run([clip, input.value.trim()]);
  if (result.status !== 0) {
    input.value = before;
    refuse(clip, input, (errors(result.lines) || "Error: this count is too long.") +
      " Clip " + clip + " keeps " + before + " frames.");
    return;
  }
  const line = result.lines.find((text) => text.startsWith("Movie #"));
  input.value = /length: (\d+)/.exec(line)[1];
  accept(input);
  mark(input);
  refresh();
  $("status").textContent = line + " Not saved yet.";
}

function putBack(clip, input) {
  const at = codeAt(clip);
  game.bytes.set(game.disk.table.subarray(at, at + 2), TABLE_AT + at);
  input.value = framesIn(game.disk.table, clip);
  accept(input);
  mark(input);
  refresh();
  input.focus();
  $("status").textContent = "Clip " + clip + " is back to " + input.value + " frames.";
}

// A file as the disk holds it, with what Save compares; null where it can't
// be read (a folder, or a file changed since the browser looked at it).
async function readFile(file) {
  try {
    const bytes = new Uint8Array(await file.arrayBuffer());
    return { size: file.size, lastModified: file.lastModified, bytes, table: tableOf(bytes) };
  } catch (error) {
    return null;
  }
}
async function readHandle(handle) {
  try {
    return await readFile(await handle.getFile());
  } catch (error) {
    return null;
  }
}
const unchanged = (now, disk) => now !== null && now.size === disk.size &&
  now.lastModified === disk.lastModified && same(now.table, disk.table);

// Shows a file as the disk holds it; the changes not saved are gone.
function show(name, handle, disk) {
  game = { name, handle, disk, bytes: disk.bytes };
  openNote("");
  saveNote("");
  const shown = draw();
  refresh();
  return shown;
}

// What an opened file is to the player: the changes they downloaded, or a file.
function holds(name, disk) {
  if (downloaded === null || !same(disk.table, downloaded)) return "Opened " + name + ".";
  if (name.toLowerCase() === GAME.toLowerCase()) {
    return "This file holds the changes you downloaded. If it is the one in the game's folder, " +
      "they are in place; if you opened it from your downloads, put it in the game's folder first.";
  }
  return "This file holds the changes you downloaded, but the game reads only " + GAME + ": rename " +
    name + " to " + GAME + " and put it in the game's folder instead of the old one.";
}
// Whether opening a file forgets changes: not where it holds them all.
const loses = (disk) => dirty() && !same(disk.table, current());

async function load(file, handle) {
  if (saving) return busyNote();
  const disk = await readFile(file);
  // A read that ends during a save is set aside: nothing is asked mid-save.
  if (saving) {
    return openNote("Error: " + file.name + " was read while a save was under way, so it was not opened: open it again.", true);
  }
  if (disk === null) return unreadable(file.name);
  if (loses(disk) && !confirm("Forget the changes not saved yet?")) return;
  if (show(file.name, handle, disk)) openNote(holds(file.name, disk));
}

async function openHandle(handle) {
  if (saving) return busyNote();
  if (handle.kind === "directory") {
    return openNote("Error: " + handle.name + " is a folder: open the file " + GAME + " in it.", true);
  }
  let file;
  try {
    file = await handle.getFile();
  } catch (error) {
    return unreadable(handle.name);
  }
  await load(file, handle.createWritable ? handle : null);
}

// What Save takes when pressed: where it writes, what it expects the file
// to be and what it writes.
const snapshot = () => ({ handle: game.handle, name: game.name, disk: game.disk, table: tableOf(game.bytes) });

async function save() {
  if (saving || !dirty() || game.handle === null) return;
  const snap = snapshot();
  inputs().forEach(accept);  // a refusal is of an edit, not of the save
  saving = true;
  refresh();
  saveNote("Saving " + snap.name + "…");
  const outcome = await writeInPlace(snap);
  saving = false;
  settle(snap, outcome);
  refresh();
}

// Writes the table into the file where the file is still as it was opened.
// The browser asks the player and then copies the file, which it moves over
// the file at close(): so the check comes after the copy (a write before it
// is in the copy) and again after the write (a write by another program
// meanwhile shows there). Returns what happened and the file as it is now
// (null where it can't be read). Never rejects.
async function writeInPlace({ handle, disk, table }) {
  let writable = null;
  try {
    if (await handle.requestPermission({ mode: "readwrite" }) !== "granted") return { kind: "denied" };
    writable = await handle.createWritable({ keepExistingData: true });
    let now = await readHandle(handle);
    if (unchanged(now, disk)) {
      await writable.write({ type: "write", position: TABLE_AT, data: table });
      now = await readHandle(handle);
    }
    if (!unchanged(now, disk)) {
      await writable.abort();
      return { kind: "changed", now };
    }
    const closing = writable;
    writable = null;
    await closing.close();
  } catch (error) {
    if (writable !== null) await writable.abort().catch(() => {});
    return { kind: error.name === "NotAllowedError" ? "denied" : "failed", error, now: await readHandle(handle) };
  }
  return { kind: "written", now: await readHandle(handle) };
}

// Says what a save did, by what the file holds now, and shows it.
function settle(snap, { kind, now, error }) {
  const name = snap.name, why = error ? " (" + error.message + ")" : "";
  if (kind !== "changed" && kind !== "denied" && now && same(now.table, snap.table)) {
    game.disk = now;
    inputs().forEach(mark);
    return saveNote((dirty() ? "Saved " + name + " as it was when Save was pressed; the changes made since are not saved yet."
                             : "Saved: " + name + " now holds the changes.") +
      (kind === "failed" ? " The browser reported a problem afterwards" + why + ", but the file holds them." : "") +
      (windows ? " If Windows warns when the game starts, open " + name + "'s Properties and tick Unblock." : ""));
  }
  if (kind === "denied") {
    return saveNote("Error: the browser was not allowed to change " + name +
      ". Nothing was saved. Press Save to ask again, or download a changed copy.", true);
  }
  const lead = "Error: " + { changed: name + " changed since it was opened, so nothing was saved",
    written: "the browser saved " + name + ", and then something else changed it",
    failed: "the browser could not save " + name + why }[kind];
  if (now === null) {
    return saveNote(lead + ". It can not be read now to tell what it holds: close the game and open it " +
      "again, or download a changed copy.", true);
  }
  if (kind === "failed" && now.size === snap.disk.size && same(now.table, snap.disk.table)) {
    return saveNote(lead + ". Nothing was saved: close the game and press Save again.", true);
  }
  const unsaved = edited().map((input) => "clip " + clipOf(input) + " to " + input.value);
  show(name, snap.handle, now);
  saveNote(lead + ". It is shown as it is now. Type your changes again: " + unsaved.join(", ") + ".", true);
}

// The browser may refuse or the player discard a download, and the page
// can't see which: the changes stay unsaved.
function download() {
  if (saving || !dirty()) return;
  const url = URL.createObjectURL(new Blob([game.bytes], { type: "application/octet-stream" }));
  const link = document.createElement("a");
  link.href = url;
  link.download = GAME;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 40000);  // once the download has it
  downloaded = tableOf(game.bytes);
  refresh();
  saveNote("Asked the browser to download the changed " + GAME + ". If it did, put it in the game's " +
    "folder in place of the old one (keep a copy of the old one). A browser may call it " +
    "Dunmarrow3 (1).exe (Chrome, Edge) or Dunmarrow3(1).exe (Firefox): rename it to " + GAME +
    ". On Windows, if its Properties say it came from another computer, tick Unblock.");
}

$("open").addEventListener("click", async () => {
  if (saving) return busyNote();
  if (!window.showOpenFilePicker) return $("file").click();
  let picked;
  try {
    [picked] = await window.showOpenFilePicker({
      types: [{ description: GAME, accept: { "application/octet-stream": [".exe"] } }],
    });
  } catch (error) {
    // Chromium's picker refuses some folders and then ends as a cancel does.
    return error.name !== "AbortError" ? openNote("Error: " + error.message, true) :
      openNote("Nothing was opened. If the browser would not let you pick the file: it refuses files in " +
        "some folders (Program Files, Windows, AppData, ~/Library). Drop the file here, or open a copy, " +
        "change it, download it and put it in the game's folder.");
  }
  await openHandle(picked);
});
// Where Open is the file input already, a copy is all there is.
$("open-copy").hidden = !window.showOpenFilePicker;
$("open-copy").addEventListener("click", () => saving ? busyNote() : $("file").click());
$("file").addEventListener("change", () => {
  if ($("file").files.length > 0) load($("file").files[0], null);
  $("file").value = "";
});
$("save").addEventListener("click", save);
$("download").addEventListener("click", download);

const area = $("drop");
area.addEventListener("dragover", (event) => {
  event.preventDefault();
  area.classList.add("dragging");
});
area.addEventListener("dragleave", () => area.classList.remove("dragging"));
area.addEventListener("drop", async (event) => {
  event.preventDefault();
  area.classList.remove("dragging");
  // Both are to be taken before the event ends.
  const item = event.dataTransfer.items[0];
  const file = event.dataTransfer.files[0];
  const asking = item && item.getAsFileSystemHandle ? item.getAsFileSystemHandle() : null;
  let dropped = null;
  try {
    dropped = asking !== null ? await asking : null;
  } catch (error) {
    dropped = null;
  }
  if (dropped !== null) return openHandle(dropped);
  if (file !== undefined) return load(file, null);
  openNote("Error: nothing that can be opened was dropped: drop the file " + GAME + ".", true);
});
window.addEventListener("beforeunload", (event) => {
  if (dirty()) {
    event.preventDefault();
    event.returnValue = "";
  }
});

// Scripts and tests open a file as the picker, the file input or a drop
// would give it.
window.fmvframes = { openHandle, load };
start().catch((error) => openNote("Error: this browser can not run the tool (" + error.message + ").", true));
