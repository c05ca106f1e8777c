// The page only moves bytes and draws: every rule and every message comes
// from the tool itself, compiled to WebAssembly and run as the console runs
// it, on a copy of the opened file. Like the console tool, Save writes the
// 336 bytes of the table and nothing else.
"use strict";
const MODULE = "@MODULE@";
const TABLE_AT = 1161592, TABLE_SIZE = 336;  // the table the tool writes
// Where in the table clip's duration_code lies: two bytes.
const codeAt = (clip) => (Number(clip) - 1) * 24 + 4;
const ARGS_SIZE = 256;  // the module's argument buffer

const $ = (id) => document.getElementById(id);
let tool = null;  // the module's exports
// The open file: its name, its handle (where the browser gives one), its
// table as opened or last saved, and the copy the tool edits (which keeps
// the size the file had).
let game = null;
let saving = false;  // one save at a time; nothing opens meanwhile
let downloaded = null;  // the table last handed to the browser to download
const ansi = new TextDecoder("windows-1252");

const tableOf = (bytes) => bytes.slice(TABLE_AT, TABLE_AT + TABLE_SIZE);
const same = (a, b) => a.length === b.length && a.every((byte, i) => byte === b[i]);
const dirty = () => game !== null && !same(tableOf(game.bytes), game.saved);
const inputs = () => [...document.querySelectorAll("#clips input")];

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

// Runs the tool as "fmvframes ARGS..." and returns its status and lines.
function run(args) {
  const text = ["fmvframes", ...args].map((a) => a + "\0").join("");
  const encoded = new TextEncoder().encode(text);
  if (encoded.length > ARGS_SIZE) return { status: -1, lines: [] };
  new Uint8Array(tool.memory.buffer, tool.args(), ARGS_SIZE).fill(0).set(encoded);
  tool.set_game(game !== null);
  const status = tool.run(1 + args.length);
  const out = new Uint8Array(tool.memory.buffer, tool.output(), tool.output_length());
  return { status, lines: ansi.decode(out).split("\r\n") };
}

// The lines that begin with "Error: ", as one text, naming the file opened.
function errors(lines) {
  const said = lines.filter((line) => line.startsWith("Error: ")).join(" ");
  return said.replaceAll('"Dunmarrow3.exe"', '"' + game.name + '"');
}

// Draws the table the console would list for the copy; false when it can't.
function draw() {
  const result = run([]);
  const rows = result.lines
    .map((line) => /^([ \d]\d) \| ([ \d]{5}\d) \| (.*)$/.exec(line))
    .filter((match) => match !== null);
  $("file-name").textContent = "The 14 clips in " + game.name;
  $("clips-area").hidden = result.status !== 0 || rows.length !== 14;
  if ($("clips-area").hidden) {
    openNote(errors(result.lines) || "Error: " + game.name + " can not be listed.", true);
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
    input.value = input.dataset.saved = frames.trim();
    input.inputMode = "numeric";
    input.autocomplete = "off";
    input.setAttribute("aria-label", "Frames of clip " + number + " (" + name + ")");
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
  const clip = row.cells[0].textContent, at = codeAt(clip);
  const edited = !same(game.bytes.subarray(TABLE_AT + at, TABLE_AT + at + 2), game.saved.subarray(at, at + 2));
  row.classList.toggle("edited", edited);
  const [was, back] = row.cells[3].children;
  was.textContent = edited ? "was " + input.dataset.saved : "";
  back.hidden = !edited;
  back.setAttribute("aria-label", "Put clip " + clip + " back to " + input.dataset.saved + " frames");
  $("save").disabled = saving || !dirty();
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

function accept(clip, input) {
  input.removeAttribute("aria-invalid");
  const line = $("refused-" + clip);
  if (line !== null) line.remove();
}

// Changes one clip in the copy as "fmvframes CLIP FRAMES" would.
function change(clip, input) {
  const before = input.dataset.shown || input.dataset.saved;
  const result = run([clip, input.value.trim()]);
  if (result.status !== 0) {
    input.value = before;
    refuse(clip, input, (errors(result.lines) || "Error: this count is too long.") +
      " Clip " + clip + " keeps " + before + " frames.");
    return;
  }
  const said = result.lines.find((line) => line.startsWith("Movie #"));
  input.value = input.dataset.shown = /length: (\d+)/.exec(said)[1];
  accept(clip, input);
  mark(input);
  $("status").textContent = said + " Not saved yet.";
}

function putBack(clip, input) {
  const at = codeAt(clip);
  game.bytes.set(game.saved.subarray(at, at + 2), TABLE_AT + at);
  input.value = input.dataset.shown = input.dataset.saved;
  accept(clip, input);
  mark(input);
  input.focus();
  $("status").textContent = "Clip " + clip + " is back to " + input.dataset.saved + " frames.";
}

// Shows a file whose bytes were read; the changes not saved are gone.
function show(name, handle, bytes) {
  game = { name, handle, saved: tableOf(bytes), bytes };
  openNote("");
  saveNote("");
  return draw();
}

async function load(file, handle) {
  if (saving) return openNote("Error: the save has not ended yet: open the file again after it.", true);
  let bytes;
  try {
    bytes = new Uint8Array(await file.arrayBuffer());
  } catch (error) {
    return openNote("Error: can not read " + file.name + " (" + error.message + ").", true);
  }
  // The file the player downloaded, opened again, holds what was unsaved.
  const inPlace = downloaded !== null && same(tableOf(bytes), downloaded);
  if (dirty() && !inPlace && !confirm("Forget the changes not saved yet?")) return;
  if (!show(file.name, handle, bytes)) return;
  if (inPlace) downloaded = null;
  openNote(inPlace ? file.name + " holds the changes: they are in place."
                   : "Opened " + file.name + ".");
}

async function openHandle(handle) {
  if (handle.kind === "directory") {
    return openNote("Error: " + handle.name + " is a folder: open the file Dunmarrow3.exe in it.", true);
  }
  let file;
  try {
    file = await handle.getFile();
  } catch (error) {
    return openNote("Error: can not read " + handle.name + " (" + error.message + ").", true);
  }
  await load(file, handle);
}

// What Save takes when pressed: where it writes and what.
function pressed() {
  return { game, table: tableOf(game.bytes), counts: inputs().map((input) => input.value) };
}

function busy(on) {
  saving = on;
  $("open").disabled = on;
  $("save").disabled = on || !dirty();
}

async function save() {
  const what = pressed();
  if (what.game.handle === null || !what.game.handle.createWritable) return download(what);
  busy(true);
  saveNote("Saving " + what.game.name + "…");
  try {
    await saveInPlace(what);
  } finally {
    busy(false);
  }
}

async function saveInPlace({ game: target, table, counts }) {
  let now;
  try {
    const file = await target.handle.getFile();
    now = { size: file.size, table: new Uint8Array(await file.slice(TABLE_AT, TABLE_AT + TABLE_SIZE).arrayBuffer()), file };
  } catch (error) {
    return saveNote("Error: can not read " + target.name + " again (" + error.message + "). Nothing was saved.", true);
  }
  if (now.size !== target.bytes.length || !same(now.table, target.saved)) {
    const unsaved = inputs().filter((input) => input.closest("tr").classList.contains("edited"))
      .map((input) => "clip " + input.closest("tr").cells[0].textContent + " to " + input.value);
    if (game === target) show(target.name, target.handle, new Uint8Array(await now.file.arrayBuffer()));
    return saveNote("Error: " + target.name + " changed since it was opened, so nothing was saved. " +
      "It is shown as it is now. Type your changes again: " + unsaved.join(", ") + ".", true);
  }
  let writable = null;
  try {
    writable = await target.handle.createWritable({ keepExistingData: true });
    await writable.write({ type: "write", position: TABLE_AT, data: table });
    await writable.close();
  } catch (error) {
    if (writable !== null) writable.abort().catch(() => {});
    target.handle = null;  // the next Save downloads
    return saveNote("Error: the browser did not save " + target.name + " (" + error.message +
      "). Nothing was saved. Press Save to download the changed file instead.", true);
  }
  target.saved = table;
  if (game !== target) return;
  inputs().forEach((input, k) => { input.dataset.saved = counts[k]; mark(input); });
  saveNote(dirty() ? "Saved " + target.name + " as it was when Save was pressed; the changes made since are not saved yet."
                   : "Saved: " + target.name + " now holds the changes.");
}

// The browser may refuse or the player discard a download, and the page
// can't see which: the changes stay unsaved until the file comes back.
function download({ game: target }) {
  const url = URL.createObjectURL(new Blob([target.bytes], { type: "application/octet-stream" }));
  const link = document.createElement("a");
  link.href = url;
  link.download = target.name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 40000);  // once the download has it
  downloaded = tableOf(target.bytes);
  saveNote("Asked the browser to download the changed " + target.name + ". If it did, put it " +
    "in the game's folder in place of the old " + target.name + " (keep a copy of the old " +
    "one), checking its name: a browser may call it " + target.name.replace(/(\.[^.]*)?$/, " (1)$1") +
    ". On Windows, if its Properties say it came from another computer, tick Unblock. " +
    "Then open it here: until then the changes count as not saved.");
}

$("open").addEventListener("click", async () => {
  if (!window.showOpenFilePicker) return $("file").click();
  let picked;
  try {
    [picked] = await window.showOpenFilePicker({
      types: [{ description: "Dunmarrow3.exe", accept: { "application/octet-stream": [".exe"] } }],
    });
  } catch (error) {
    return error.name === "AbortError" || openNote("Error: " + error.message, true);
  }
  await openHandle(picked);
});
$("file").addEventListener("change", () => {
  if ($("file").files.length > 0) load($("file").files[0], null);
  $("file").value = "";
});
$("save").addEventListener("click", save);

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
  openNote("Error: nothing that can be opened was dropped: drop the file Dunmarrow3.exe.", true);
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
