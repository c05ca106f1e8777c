// Drawing, editing, and what the player is told.

const $ = (id) => document.getElementById(id);
let saving = false;  // one save or download at a time; nothing opens meanwhile

const inputs = () => [...document.querySelectorAll("#clips input")];
const clipOf = (input) => input.id.slice("frames-".length);
const unsaved = () => game === null ? [] : differ(game.disk.table, current());
const dirty = () => unsaved().length > 0;
// Leaving, or opening another file, loses edits or changes still to type.
const unsettled = () => dirty() || (game !== null && game.retype.length > 0);

// Each message goes where the player is looking; the status line, which is
// read out, repeats it.
function tell(place, text, error, block = "nearest") {
  place.textContent = text;
  place.classList.toggle("error", Boolean(error));
  $("status").textContent = text;
  if (text !== "" && block !== null) place.scrollIntoView({ block });
}
const openNote = (text, error) => tell($("open-note"), text, error);
const saveNote = (text, error, block) => tell($("save-note"), text, error, block);
const busyNote = () => openNote("Error: the save has not ended yet: open the file again after it.", true);
const unreadable = (name) => openNote("Error: " + name + " is a folder, or a file that could not be read: " +
  "open the file " + GAME + " in the game's folder.", true);

// Shows the table, or where no change could be written to it (it can't be
// listed, or it is another release) the tool's reason under Open; the
// keyboard then goes to that reason.
function draw() {
  const result = run([]);
  const rows = result.lines
    .map((line) => /^([ \d]\d) \| ([ \d]{5}\d) \| (.*)$/.exec(line))
    .filter((match) => match !== null);
  $("file-name").textContent = "The 14 clips in " + game.name;
  const problem = result.status !== 0 || rows.length !== 14 ?
    lines(result.lines, "Error: ") || "Error: " + game.name + " can not be listed." : lines(result.lines, "Note: ");
  const area = $("clips-area"), focused = area.contains(document.activeElement);
  area.hidden = problem !== "";
  if (problem !== "") {
    openNote(problem, true);
    if (focused) $("open-note").focus();
    return false;
  }
  $("clips").replaceChildren(...rows.map(([, clip, frames, name]) => row(clip.trim(), frames.trim(), name)));
  inputs().forEach(mark);
  return true;
}

function row(clip, frames, name) {
  const tr = document.createElement("tr");
  tr.id = "clip-" + clip;
  tr.insertCell().textContent = clip;
  const input = document.createElement("input");
  Object.assign(input, { id: "frames-" + clip, value: frames, inputMode: "numeric", autocomplete: "off" });
  input.setAttribute("aria-label", "Frames of clip " + clip + " (" + name + ")");
  input.addEventListener("input", () => accept(input));  // typed again: no longer refused
  input.addEventListener("change", () => change(clip, input));
  input.addEventListener("keydown", (event) => {
    if (event.key !== "Escape") return;
    input.value = framesIn(current(), clip);  // the count before this edit
    accept(input);
  });
  tr.insertCell().append(input);
  tr.insertCell().textContent = name;
  const note = tr.insertCell();
  note.className = "note";
  const back = document.createElement("button");
  back.type = "button";
  back.textContent = "Put back";
  back.addEventListener("click", () => putBack(clip, input));
  note.append(document.createElement("span"), back);
  return tr;
}

// Marks a row whose count differs from the file's (not saved: "was" the
// file's count), or, once saved, from the count it had when opened.
function mark(input) {
  const clip = clipOf(input), tr = input.closest("tr");
  const now = codeIn(current(), clip), disk = codeIn(game.disk.table, clip);
  const edited = now !== disk, saved = !edited && disk !== codeIn(game.opened, clip);
  const was = framesIn(edited ? game.disk.table : game.opened, clip);
  tr.classList.toggle("edited", edited);
  tr.classList.toggle("saved", saved);
  const [note, back] = tr.cells[3].children;
  note.textContent = edited ? "was " + was : saved ? "saved, was " + was : "";
  back.hidden = !edited && !saved;
  back.setAttribute("aria-label", "Put back clip " + clip + " to " + was + " frames");
}

// The buttons, and the words beside them, follow what is not saved yet.
function refresh() {
  const count = unsaved().length, inPlace = game !== null && game.handle !== null;
  $("save").hidden = !inPlace;
  $("way-in-place").hidden = !inPlace;
  $("way-copy").hidden = inPlace;
  for (const id of ["save", "download"]) $(id).setAttribute("aria-disabled", String(saving || count === 0));
  for (const id of ["open", "open-copy"]) $(id).setAttribute("aria-disabled", String(saving));
  $("pending").textContent = count === 0 ? "" : count + (count === 1 ? " clip" : " clips") + " changed" +
    (game.downloaded !== null && same(current(), game.downloaded) ? ": downloaded, not yet in place" :
      inPlace ? ", not saved yet" : ", not downloaded yet");
  const retype = game === null ? [] : game.retype;
  $("retype").textContent = retype.length === 0 ? "" : "Still to type again: " +
    retype.map(({ clip, frames }) => "clip " + clip + " to " + frames).join(", ") + ".";
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
function accept(input, kinds = ["refused", "odd"]) {
  input.removeAttribute("aria-invalid");
  for (const kind of kinds) $(kind + "-" + clipOf(input))?.remove();
}
const acceptAll = () => inputs().forEach((input) => accept(input, ["refused"]));

// Changes one clip in the copy as "fmvframes CLIP FRAMES" would.
function change(clip, input) {
  const typed = input.value.trim(), before = framesIn(current(), clip);
  const result = run([clip, typed]);
  if (result.status !== 0) {
    input.value = before;
    return line(clip, "refused", (lines(result.lines, "Error: ") || "Error: this count is too long.") +
      ' You typed "' + typed + '": clip ' + clip + " keeps " + before + " frames.", true);
  }
  const said = result.lines.find((text) => text.startsWith("Movie #"));
  input.value = /length: (\d+)/.exec(said)[1];
  accept(input);
  if (Number(typed) !== Number(input.value)) {
    line(clip, "odd", typed + " is stored as " + input.value + ": only even counts are kept.");
  }
  changed(clip, said + " Not saved yet.");
}

// After any edit: the row, the buttons, and what is left to type again.
function changed(clip, text) {
  game.retype = game.retype.filter((wanted) => wanted.clip !== clip);
  mark($("frames-" + clip));
  refresh();
  $("status").textContent = text;
}

// Not saved: back to the file's count; saved: back to the opened one, as an
// edit that Save then writes.
function putBack(clip, input) {
  const at = codeAt(clip), edited = codeIn(current(), clip) !== codeIn(game.disk.table, clip);
  const from = edited ? game.disk.table : game.opened;
  current().set(from.subarray(at, at + 2), at);
  input.value = framesIn(from, clip);
  accept(input);
  input.focus();
  changed(clip, "Clip " + clip + " is back to " + input.value + " frames.");
}

// Shows a file as the disk holds it; the edits not saved are gone.
function show(opened) {
  game = opened;
  openNote("");
  saveNote("");
  const shown = draw();
  refresh();
  return shown;
}
const opening = (name, file, handle, disk) =>
  ({ name, file, handle, disk, opened: disk.table, copy: disk, downloaded: null, retype: [] });

// What an opened file is to the player: the changes they downloaded from
// the file open before, or a file the page saves into or changes a copy of.
function holds(name, disk, handle) {
  if (game === null || game.downloaded === null || !same(disk.table, game.downloaded)) {
    return handle !== null ? "Opened " + name + ": Save writes the changes into it." :
      "Opened a copy of " + name + ": the page can't write it in place, so the changes are downloaded.";
  }
  if (name.toLowerCase() === GAME.toLowerCase()) {
    return "This file holds the changes you downloaded. If it is the one in the game's folder, " +
      "they are in place; if you opened it from your downloads, put it in the game's folder first.";
  }
  return "This file holds the changes you downloaded, but the game reads only " + GAME + ": rename " +
    name + " to " + GAME + " and put it in the game's folder instead of the old one.";
}

async function load(file, handle) {
  if (saving) return busyNote();
  const disk = await readFile(file);
  // A read that ends during a save is set aside: nothing is asked mid-save.
  if (saving) {
    return openNote("Error: " + file.name + " was read while a save was under way, so it was not opened: open it again.", true);
  }
  if (disk === null) return unreadable(file.name);
  if (unsettled() && !same(disk.table, current()) && !confirm("Forget the changes not saved yet?")) return;
  const note = holds(file.name, disk, handle);
  if (show(opening(file.name, file, handle, disk))) tell($("open-note"), note, false, null);
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
  await load(file, can.write(handle) ? handle : null);
}

// Save and Download take, when pressed, where they write, what they expect
// the file to be and the table they write, and then say what happened.
async function leave(way, busy) {
  if (saving || !dirty() || (way === inPlace && game.handle === null)) return;
  const snap = { game, way, name: game.name, file: game.file, handle: game.handle, disk: game.disk,
    table: current().slice() };
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
function settle(snap, { kind, why, late, written }, { error, now }) {
  if (game !== snap.game) return;  // another file is open since
  const name = snap.name, tried = differ(snap.disk.table, snap.table);
  const words = error ? " (" + error.message + ")" : "";
  const download = "download a changed copy and put it in the game's folder in place of " + GAME;
  if (kind === "downloaded") {
    game.downloaded = snap.table;
    return saveNote("Asked the browser to download the changed " + GAME + ". If it did, put it in the game's " +
      "folder in place of the old one (keep a copy of the old one). A browser may add a number to its name " +
      "(Chrome and Edge: Dunmarrow3 (1).exe, Firefox: Dunmarrow3(1).exe, others their own): rename it to " + GAME +
      ". On Windows, if its Properties say it came from another computer, tick Unblock.", false, "center");
  }
  if (kind === "saved") {
    game.disk = now;
    inputs().forEach(mark);
    return saveNote("Saved: " + listed(tried, snap.table, snap.disk.table) + "." +
      (dirty() ? " The changes made since are not saved yet." : "") +
      (late ? " The browser reported a problem afterwards" + words + ", but the file holds them." : "") +
      (can.windows ? " If Windows warns when the game starts, open " + name + "'s Properties and tick Unblock." : ""));
  }
  const verb = snap.way === inPlace ? "saved" : "downloaded";
  if (kind === "unsaved") {
    if (now && sameTable(now, game.disk)) game.disk = now;
    return saveNote("Error: " + {
      prompt: "the browser's question was closed without an answer, so nothing was saved. " +
        "Press Save to be asked again, or " + download + ".",
      denied: "the browser was told not to let this page change " + name + ", and it does not ask again " +
        "for this file. Nothing was saved: " + download + ".",
      busy: "another tab or window is saving " + name + ", so nothing was saved. Wait for it, then press Save again.",
      held: name + " is in use" + words + ", so nothing was saved. Close the game, then press Save again.",
      full: "the disk is full" + words + ", so nothing was saved. Make room on it, then press Save again.",
      security: "this browser refuses to write this program" + words + ", so nothing was saved. Instead, " +
        download + ".",
      other: "the browser could not save " + name + words + ". Nothing was saved: press Save again, or " +
        download + ".",
    }[why], true);
  }
  if (kind === "unknown") {
    return saveNote("Error: " + (written ? "the browser reports " + name + " saved, but it can not be " +
      "read back now to check: open it again to see what it holds." :
      (why ? "the browser could not save " + name + words : name + " changed since it was opened, so nothing was " +
        verb) + ". It can not be read now to tell what it holds: close the game and open it again, or " +
      download + "."), true);
  }
  if (kind === "kept") {  // the edits, onto the file as it is now
    const edits = current().slice();
    game.disk = game.copy = now;
    current().set(edits);
    draw();
    return saveNote("Error: " + name + " was written again since it was opened, with the same clip table, so " +
      "nothing was saved. Your changes are kept: press Save again to write them into the file as it is now.", true);
  }
  refuse(snap, now, why ? "the browser could not save " + name + words + ", and " + name + " holds other counts now" :
    written ? "the browser saved " + name + ", and then something else changed it" :
      name + " changed since it was opened, so nothing was " + verb);
}

// The file changed under a save: it is shown as it is now; what Save tried
// and the edits made since are named, and stay listed until typed again.
function refuse(snap, now, lead) {
  const wanted = current().slice(), since = differ(snap.table, wanted);
  const retype = differ(snap.disk.table, wanted).filter((clip) => codeIn(now.table, clip) !== codeIn(wanted, clip));
  // The record of what was saved goes on for every clip nobody else changed.
  const opened = now.table.slice();
  for (const clip of opened.length === TABLE_SIZE ? CLIPS : []) {
    const at = codeAt(clip);
    if (codeIn(now.table, clip) === codeIn(snap.disk.table, clip)) opened.set(game.opened.subarray(at, at + 2), at);
  }
  // Where the table can't be shown, there is nothing to type them into.
  if (show({ ...opening(snap.name, snap.file, snap.handle, now), opened })) {
    game.retype = retype.map((clip) => ({ clip, frames: framesIn(wanted, clip) }));
    refresh();
  }
  saveNote("Error: " + lead + ". It is shown as it is now. Tried: " + listed(differ(snap.disk.table, snap.table), snap.table) +
    "." + (since.length ? " Changed during the save: " + listed(since, wanted) + "." : "") +
    (game.retype.length ? " Type again what is listed beside Save." : ""), true);
}

$("open").addEventListener("click", async () => {
  if (saving) return busyNote();
  if (!can.pick) return $("file").click();
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
$("open-copy").hidden = !can.pick;
$("open-copy").addEventListener("click", () => saving ? busyNote() : $("file").click());
$("file").addEventListener("change", () => {
  if ($("file").files.length > 0) load($("file").files[0], null);
  $("file").value = "";
});
$("save").addEventListener("click", () => leave(inPlace, "Saving " + game.name + "… If the browser asks " +
  "whether this page may change the file, answer it."));
$("download").addEventListener("click", () => leave(byDownload, "Reading " + game.name + " to download it…"));

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
  if (unsettled()) {
    event.preventDefault();
    event.returnValue = "";
  }
});

// Scripts and tests open a file as the picker, the file input or a drop
// would give it.
window.fmvframes = { openHandle, load };
try {
  startTool();
  $("credits").textContent = run([]).lines[1];
  window.fmvframes.ready = performance.now() - began;
} catch (error) {
  openNote("Error: this browser can not run the tool (" + error.message + ").", true);
}
