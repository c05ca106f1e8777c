// Drawing, editing, and what the player is told.

const $ = (id) => document.getElementById(id);
let saving = false;  // one save or download at a time; nothing opens meanwhile
let downloads = 0;  // changed copies this page asked the browser to download
let drawing = false;  // rows being rebuilt: a field removed commits nothing
const BEFORE = "Dunmarrow3-before.exe", LISTING = "fmvframes-before.txt";

const inputs = () => [...document.querySelectorAll("#clips input")];
const clipOf = (input) => input.id.slice("frames-".length);
const unsaved = () => game === null ? [] : differ(game.disk.table, current());
const dirty = () => unsaved().length > 0;
// Leaving, or opening another file, loses edits or changes still to type.
const unsettled = () => dirty() || (game !== null && game.retype.length > 0);
// What the player still wants that the file lacks: the edits (unless every
// one was downloaded and nothing changed since) and the counts to type again.
function wanted() {
  if (game === null) return [];
  const edits = game.downloaded !== null && same(game.downloaded, current()) ? [] :
    unsaved().map((clip) => ({ clip, frames: framesIn(current(), clip) }));
  return [...edits, ...game.retype.filter(({ clip }) => !edits.some((edit) => edit.clip === clip))];
}
// A name in a message, set in the code font: "\0" marks its ends.
const named = (name) => "\0" + name + "\0";

// Each message goes where the player is looking; the status line, which is
// read out, repeats it.
function tell(place, text, error, block = "nearest") {
  const parts = text.split("\0");
  place.replaceChildren(...parts.map((part, i) => i % 2 ? Object.assign(document.createElement("code"),
    { textContent: part }) : part));
  place.classList.toggle("error", Boolean(error));
  $("status").textContent = parts.join("");
  if (text !== "" && block !== null) place.scrollIntoView({ block });
}
const openNote = (text, error) => tell($("open-note"), text, error);
const saveNote = (text, error, block) => tell($("save-note"), text, error, block);
const busyNote = () => openNote("Error: the save has not ended yet: open the file again after it.", true);
const unreadable = (name) => openNote("Error: " + name + " is a folder, or a file that could not be read: " +
  "open the file " + GAME + " in the game's folder.", true);
const folder = (name) => openNote("Error: " + name + " is a folder: open the file " + GAME + " in it.", true);
// What the tool says of a file it can't list or change, and what to do.
const NEXT = {
  "Error: can not read the movie table": " It is too short to hold the clip table, so it is not the game's " +
    "program: open " + GAME + " from the game's folder.",
  "Note: ": " Check that it is the game's own " + GAME + ". If it is, restore it with the store's file check " +
    "(Steam: Verify integrity of game files) or from the copy you kept: this release is not one this tool can change.",
};

// A row as the tool lists it: clip, frames, name.
const ROW = /^([ \d]\d) \| ([ \d]{5}\d) \| (.*)$/;
// Shows the table, or where no change could be written to it (it can't be
// listed, or it is another release) the tool's reason under Open and what
// to do; the keyboard then goes to that reason. Across a rebuild the
// keyboard stays where it was, and a count being typed stays in its clip's
// field, not yet applied.
function draw() {
  const result = run([]);
  const rows = result.lines.map((line) => ROW.exec(line)).filter((match) => match !== null);
  $("file-name").textContent = "The 14 clips in " + game.name;
  let problem = result.status !== 0 || rows.length !== 14 ?
    lines(result.lines, "Error: ") || "Error: " + game.name + " can not be listed." : lines(result.lines, "Note: ");
  const area = $("clips-area"), active = document.activeElement, focused = area.contains(active) && active.id;
  const typed = focused && active.matches("#clips input") && active.value !== active.defaultValue && active.value;
  area.hidden = problem !== "";
  if (problem !== "") {
    for (const lead in NEXT) problem += problem.startsWith(lead) ? NEXT[lead] : "";
    openNote(problem, true);
    if (focused || active === document.body) $("open-note").focus();
    return false;
  }
  drawing = true;
  $("clips").replaceChildren(...rows.map(([, clip, frames, name]) => row(clip.trim(), frames.trim(), name)));
  drawing = false;
  inputs().forEach(mark);
  const back = focused && $(focused);
  if (back) {
    if (typed) back.value = typed;
    back.focus();
  }
  return true;
}

function row(clip, frames, name) {
  const tr = document.createElement("tr");
  tr.id = "clip-" + clip;
  tr.insertCell().textContent = clip;
  const input = document.createElement("input");
  Object.assign(input, { id: "frames-" + clip, defaultValue: frames, inputMode: "numeric", autocomplete: "off" });
  input.setAttribute("aria-label", "Frames of clip " + clip + " (" + name + ")");
  input.addEventListener("input", () => accept(input));  // typed again: no longer refused
  // A count is applied on Enter or on leaving the field, also where it was
  // put back into a rebuilt field, which the browser sees as no change.
  for (const type of ["change", "blur"]) input.addEventListener(type, () => change(clip, input));
  input.addEventListener("keydown", (event) => {
    if (event.key === "Enter") change(clip, input);
    if (event.key !== "Escape") return;
    input.value = input.defaultValue;  // the count before this edit
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
  for (const id of ["open", "open-copy", "keep", "before", "restore"]) {
    $(id).setAttribute("aria-disabled", String(saving));
  }
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

// A field's count as the file now holds it, not being typed.
const put = (input, frames) => { input.value = input.defaultValue = frames; };

// Changes one clip in the copy as "fmvframes CLIP FRAMES" would, where the
// field holds a count not yet applied; false where the tool refused it.
function change(clip, input) {
  if (drawing || !input.isConnected || input.value === input.defaultValue) return true;
  const typed = input.value.trim(), before = input.defaultValue;
  const result = run([clip, typed]);
  if (result.status !== 0) {
    put(input, before);
    line(clip, "refused", (lines(result.lines, "Error: ") || "Error: this count is too long.") +
      ' You typed "' + typed + '": clip ' + clip + " keeps " + before + " frames.", true);
    return false;
  }
  put(input, /length: (\d+)/.exec(result.lines.find((text) => text.startsWith("Movie #")))[1]);
  accept(input);
  let odd = "";
  if (Number(typed) !== Number(input.value)) {
    odd = " " + typed + " is stored as " + input.value + ": only even counts are kept.";
    line(clip, "odd", odd.trim());
  }
  changed(clip, "Clip " + clip + ": " + input.value + " frames." + odd);
  return true;
}

// After any edit: the row, the buttons, and what is left to type again;
// what is read out says what the screen says.
function changed(clip, text) {
  game.retype = game.retype.filter((wanted) => wanted.clip !== clip);
  mark($("frames-" + clip));
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
  changed(clip, "Clip " + clip + " is back to " + input.value + " frames.");
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
  const shown = draw();
  refresh();
  return shown;
}
const opening = (name, file, handle, disk) =>
  ({ name, file, handle, disk, opened: disk.table, copy: disk, downloaded: null, retype: [], unread: null });

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

// Opens a file. What the player still wants and the file lacks is never
// dropped without a question: for the same file name it stays listed to
// type again; for another, the player is asked.
async function load(file, handle) {
  if (saving) return busyNote();
  const disk = await readFile(file);
  // A read that ends during a save is set aside: nothing is asked mid-save.
  if (saving) {
    return openNote("Error: " + file.name + " was read while a save was under way, so it was not opened: open it again.", true);
  }
  if (disk === null) return unreadable(file.name);
  const lacking = disk.table.length < TABLE_SIZE ? wanted() :
    wanted().filter(({ clip, frames }) => framesIn(disk.table, clip) !== frames);
  const kept = game !== null && file.name.toLowerCase() === game.name.toLowerCase();
  if (lacking.length > 0 && !kept && !confirm("Forget the changes not saved yet?")) return;
  const note = holds(file.name, disk, handle), downloaded = game && game.downloaded;
  const shown = show(opening(file.name, file, handle, disk));
  if (kept) game.retype = lacking;  // remembered even where the table can't be shown
  game.downloaded = downloaded;  // a later copy of it is still known for what it holds
  if (shown) {
    tell($("open-note"), note, false, null);
    refresh();
  }
}

async function openHandle(handle) {
  if (saving) return busyNote();
  if (handle.kind === "directory") return folder(handle.name);
  let file;
  try {
    file = await handle.getFile();
  } catch (error) {
    return unreadable(handle.name);
  }
  await load(file, can.write(handle) ? handle : null);
}

// Save and Download take, when pressed, where they write, what they expect
// the file to be and the table they write, and then say what happened. A
// count still being typed is applied first, and nothing leaves if the tool
// refuses it. The copy as opened leaves the same way, by its own name.
async function leave(way, busy, before) {
  const active = document.activeElement;
  if (saving || game === null || (active.matches("#clips input") && !change(clipOf(active), active))) return;
  if ((!before && !dirty()) || (way === inPlace && game.handle === null)) return;
  const snap = { game, way, name: game.name, file: game.file, handle: game.handle, disk: game.disk,
    table: (before ? game.opened : current()).slice(), as: before ? BEFORE : GAME, downloaded: game.downloaded,
    unread: game.unread };
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
  const name = snap.name, tried = differ(snap.disk.table, snap.table);
  const words = error ? " (" + error.message + ")" : "";
  const download = "download a changed copy and put it in the game's folder in place of " + GAME;
  if (kind === "downloaded") {
    if (!same(now.table, game.disk.table)) game.disk = now;  // the last download, put in place
    if (snap.as === BEFORE) {
      return saveNote("Asked the browser to download " + named(BEFORE) + ", " + name + " as it was opened. " +
        "Keep it: to undo every change, rename " + named(GAME) + " in the game's folder, put " + named(BEFORE) +
        " there and name it " + named(GAME) + ".", false, "center");
    }
    game.downloaded = snap.table;
    const steps = "In the game's folder, first rename the old " + named(GAME) + " to " + named(BEFORE) +
      " (the copy to keep), then put the download there and name it " + named(GAME) + ". A browser may " +
      "add a number to its name (Chrome and Edge: " + named("Dunmarrow3 (1).exe") + ", Firefox: " +
      named("Dunmarrow3(1).exe") + ", others their own). On Windows, if its Properties say it came from " +
      "another computer, tick Unblock.";
    return saveNote(++downloads > 1 ? "Asked the browser to download the changed " + GAME + " again: this is " +
      "the newest copy, with every change so far; an earlier download holds fewer. " + steps :
      "Asked the browser to download the changed " + GAME + ". " + steps, false, "center");
  }
  if (kind === "saved") {
    game.disk = now;
    inputs().forEach(mark);
    return saveNote((other ? name + " holds these counts, saved from another tab or window: " : "Saved: ") +
      listed(tried, snap.table, snap.disk.table) + "." +
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
      busy: "another tab or window is saving " + name + ", so nothing was saved here. When it is done, open " +
        name + " again in this tab: what it lacks of your changes stays listed to type again.",
      held: name + " is in use" + words + ", so nothing was saved. Close the game, then press Save again.",
      full: "the disk is full" + words + ", so nothing was saved. Make room on it, then press Save again.",
      security: "this browser refuses to write this program" + words + ", so nothing was saved. Instead, " +
        download + ".",
      other: "the browser could not save " + name + words + ". Nothing was saved: press Save again, or " +
        download + ".",
    }[why], true);
  }
  if (kind === "unknown") {
    if (written) game.unread = snap.table;
    return saveNote("Error: " + (written ? "the browser reports " + name + " saved, but it can not be " +
      "read back now to check: open it again to see what it holds." : why ? "the browser could not save " + name +
      words + ". It can not be read now to tell what it holds: close the game and open it again, or " + download +
      "." : name + " can not be read any more: it was replaced, moved or removed since it was opened, so nothing " +
      "was " + verb + ". Open it again: what it lacks of your changes stays listed to type again."), true);
  }
  if (kind === "confirmed") {
    game.disk = now;
    inputs().forEach(mark);
    return saveNote("Saved: " + listed(differ(snap.disk.table, now.table), now.table, snap.disk.table) + "." +
      (dirty() ? " The changes made since are not saved yet: press Save again." : ""));
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
    (game.retype.length ? " Type again what is listed beside " + (snap.handle ? "Save." : "Download.") : ""), true);
}

// The file's listing as the console writes it ("fmvframes > LISTING"): the
// tool's own bytes for the file as it is on the disk.
function keep() {
  const edits = current().slice();
  current().set(game.disk.table);
  run([]);
  offer(new Uint8Array(tool.memory.buffer, tool.output(), tool.output_length()).slice(), LISTING);
  current().set(edits);
  saveNote("Asked the browser to download " + named(LISTING) + ", the counts " + game.name + " holds now. " +
    "Keep it: opened here later, it sets them back.", false, "center");
}

// A kept listing of the open file sets its counts as edits: it must be the
// tool's listing of this file line for line, but for the counts and the
// program's name; anything else is refused and changes nothing.
async function restore(file) {
  if (saving) return busyNote();
  if (game === null || $("clips-area").hidden) {
    return openNote("Error: open " + GAME + " first, then the listing kept of it.", true);
  }
  let kept;
  try {
    kept = ansi.decode(await file.arrayBuffer()).split(/\r?\n/);
  } catch (error) {
    return saveNote("Error: " + file.name + " could not be read.", true);
  }
  const own = run([]).lines, codes = [];
  let why = kept.some((text) => text.startsWith("Note: ")) ? "it is a listing of another release (its Note " +
    "line says so)" : "";
  for (let i = 0; !why && i < Math.max(own.length, kept.length); i++) {
    const mine = ROW.exec(own[i]), theirs = ROW.exec(kept[i]), at = "line " + (i + 1) + " ";
    const code = theirs && (theirs[2] - 10) / 2;
    if (kept[i] === undefined || own[i] === undefined) {
      why = at + (kept[i] === undefined ? "is missing" : "is one more than a listing has");
    } else if (mine === null) {
      if (own[i].startsWith("Usage: ") ? !/^Usage: .* i f$/.test(kept[i]) : kept[i] !== own[i]) {
        why = at + 'is not as fmvframes writes it: "' + kept[i] + '"';
      }
    } else if (theirs === null || theirs[1] !== mine[1]) {
      why = at + "should be the row of clip " + mine[1].trim() + ': "' + kept[i] + '"';
    } else if (theirs[3] !== mine[3]) {
      why = "it lists clip " + mine[1].trim() + " as " + theirs[3] + ", where " + game.name + " has " + mine[3] +
        ": it is a listing of another file";
    } else if (!(Number.isInteger(code) && code >= 0 && code <= 65535 && String(tool.frames(code)) === theirs[2].trim())) {
      why = "clip " + mine[1].trim() + " has " + theirs[2].trim() + " frames there, a count no file holds";
    } else {
      codes.push(code & 255, code >> 8);
    }
  }
  if (why) return saveNote("Error: " + file.name + " can not set back " + game.name + ": " + why + ". Nothing " +
    "was changed.", true);
  const table = current().slice();
  CLIPS.forEach((clip, k) => table.set(codes.slice(2 * k, 2 * k + 2), codeAt(clip)));
  const back = differ(current(), table), from = current().slice();
  for (const clip of back) {
    setClip(clip, table);
    changed(clip, "");
  }
  saveNote(back.length === 0 ? file.name + " lists the counts shown: nothing to set back." :
    "Set back from " + file.name + ", not " + (game.handle ? "saved" : "downloaded") + " yet: " +
    listed(back, table, from) + ".", false);
}

// A control that is busy or off says so rather than acting.
const button = (id, act) => $(id).addEventListener("click", () => saving ? busyNote() : act());
// Clicking Save or Download leaves a count being typed where it is: leave()
// applies it, so that its row growing can't move the button from under the click.
for (const id of ["save", "download"]) $(id).addEventListener("mousedown", (event) => event.preventDefault());

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
$("open-copy").hidden = $("open-ways").hidden = !can.pick;
if (can.pick) {
  $("way-why").textContent = "You opened a copy, which the page can't save in place (to save in place, open " +
    "the file with Open " + GAME + "… or drop it here):";
}
button("open-copy", () => $("file").click());
$("file").addEventListener("change", () => {
  if ($("file").files.length > 0) load($("file").files[0], null);
  $("file").value = "";
});
$("save").addEventListener("click", () => leave(inPlace, "Saving " + game.name + "… If the browser asks " +
  "whether this page may change the file, answer it."));
$("download").addEventListener("click", () => leave(byDownload, "Reading " + game.name + " to download it…"));
button("keep", keep);
$("before").addEventListener("click", () => leave(byDownload, "Reading " + game.name + " to download it as it " +
  "was opened…", true));
button("restore", () => $("listing").click());
$("listing").addEventListener("change", () => {
  if ($("listing").files.length > 0) restore($("listing").files[0]);
  $("listing").value = "";
});

const area = $("drop");
area.addEventListener("dragover", (event) => {
  event.preventDefault();
  area.classList.add("dragging");
});
area.addEventListener("dragleave", () => area.classList.remove("dragging"));
area.addEventListener("drop", async (event) => {
  event.preventDefault();
  area.classList.remove("dragging");
  // All are to be taken before the event ends.
  const item = event.dataTransfer.items[0];
  const file = event.dataTransfer.files[0];
  const entry = item && item.webkitGetAsEntry ? item.webkitGetAsEntry() : null;
  const asking = item && item.getAsFileSystemHandle ? item.getAsFileSystemHandle() : null;
  if (file !== undefined && /\.txt$/i.test(file.name)) return restore(file);
  if (entry && entry.isDirectory) return folder(entry.name);
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
window.fmvframes = { openHandle, load, ready };
if (unable) {
  openNote("Error: this browser can not run the tool (" + unable.message + ").", true);
} else {  // the tool's first run, for its credits line, waits for the first frame
  requestAnimationFrame(() => { $("credits").textContent = run([]).lines[1]; });
}
