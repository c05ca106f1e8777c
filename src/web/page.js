// The page only moves bytes and draws: every rule and every message comes
// from the tool itself, compiled to WebAssembly and run as the console runs
// it, on a working copy of the opened file.
"use strict";
const MODULE = "@MODULE@";

const $ = (id) => document.getElementById(id);
let tool = null;       // the module's exports
let opened = null;     // the bytes as opened, or as last saved
let working = null;    // the bytes with the changes made since
let fileName = "Dunmarrow3.exe";
let handle = null;     // a FileSystemFileHandle, where the browser gives one
const ansi = new TextDecoder("windows-1252");

function say(text) { $("status").textContent = text; }
function fail(text) { $("error").textContent = text; }
function dirty() {
  return working !== null && working.some((byte, i) => byte !== opened[i]);
}

async function start() {
  const bytes = Uint8Array.from(atob(MODULE), (c) => c.charCodeAt(0));
  const memory = () => new Uint8Array(tool.memory.buffer);
  const imports = { env: {
    game_read(offset, to, count) {
      if (offset >= working.length) return 0;
      const piece = working.subarray(offset, Math.min(working.length, offset + count));
      memory().set(piece, to);
      return piece.length;
    },
    game_write(offset, from, count) {
      if (offset + count > working.length) return -1;
      working.set(memory().subarray(from, from + count), offset);
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
  new Uint8Array(tool.memory.buffer, tool.args(), 256).fill(0).set(encoded.subarray(0, 255));
  tool.set_game_size(working === null ? 0 : working.length);
  const status = tool.run(1 + args.length);
  const out = new Uint8Array(tool.memory.buffer, tool.output(), tool.output_length());
  return { status, lines: ansi.decode(out).split("\r\n") };
}

// The lines after the banner that begin with "Error: ", as one text.
function errors(lines) {
  return lines.filter((line) => line.startsWith("Error: ")).join(" ");
}

// Lists the working copy, drawing the table the console would print.
function list() {
  const result = run([]);
  const rows = result.lines
    .map((line) => /^([ \d]\d) \| ([ \d]{5}\d) \| (.*)$/.exec(line))
    .filter((match) => match !== null);
  if (result.status !== 0 || rows.length !== 14) {
    fail(errors(result.lines) || "Error: this file can not be listed.");
    $("clips-area").hidden = true;
    return false;
  }
  const body = $("clips");
  body.replaceChildren();
  for (const [, clip, frames, name] of rows) {
    const number = clip.trim();
    const row = body.insertRow();
    row.insertCell().textContent = number;
    const input = document.createElement("input");
    input.id = "frames-" + number;
    input.value = frames.trim();
    input.dataset.stored = input.value;
    input.inputMode = "numeric";
    input.autocomplete = "off";
    input.setAttribute("aria-label", "Frames of clip " + number + " (" + name + ")");
    input.addEventListener("change", () => change(number, input));
    row.insertCell().append(input);
    row.insertCell().textContent = name;
  }
  $("clips-area").hidden = false;
  $("save").disabled = !dirty();
  return true;
}

// Changes one clip in the working copy as "fmvframes CLIP FRAMES" would.
function change(clip, input) {
  const result = run([clip, input.value.trim()]);
  if (result.status !== 0) {
    fail(errors(result.lines) + " Clip " + clip + " keeps " + input.dataset.stored + " frames.");
    input.value = input.dataset.stored;
    input.setAttribute("aria-invalid", "true");
    input.focus();
    input.select();
    return;
  }
  fail("");
  say(result.lines.find((line) => line.startsWith("Movie #")) + " Not saved yet.");
  const focused = document.activeElement && document.activeElement.id;
  list();
  if (focused && $(focused)) $(focused).focus();
}

async function load(file, fileHandle) {
  if (dirty() && !confirm("Forget the changes not saved yet?")) return;
  opened = new Uint8Array(await file.arrayBuffer());
  working = opened.slice();
  fileName = file.name;
  handle = fileHandle;
  fail("");
  say("");
  $("file-name").textContent = "The 14 clips in " + fileName;
  if (list()) say("Opened " + fileName + ".");
}

async function save() {
  if (handle !== null && handle.createWritable) {
    try {
      const writable = await handle.createWritable();
      await writable.write(working);
      await writable.close();
      opened = working.slice();
      $("save").disabled = true;
      say("Saved: " + fileName + " now holds the changes.");
      return;
    } catch (error) {
      fail("Error: could not save in place (" + error.message + "); downloading instead.");
    }
  }
  const link = document.createElement("a");
  link.href = URL.createObjectURL(new Blob([working], { type: "application/octet-stream" }));
  link.download = fileName;
  document.body.append(link);
  link.click();
  link.remove();
  opened = working.slice();
  $("save").disabled = true;
  say("Downloaded the changed " + fileName + ". Move it into the game's folder " +
      "in place of the old " + fileName + " (keep a copy of the old one).");
}

async function openHandle(fileHandle) {
  await load(await fileHandle.getFile(), fileHandle);
}

$("open").addEventListener("click", async () => {
  if (!window.showOpenFilePicker) return $("file").click();
  try {
    const [picked] = await window.showOpenFilePicker({
      types: [{ description: "Dunmarrow3.exe", accept: { "application/octet-stream": [".exe"] } }],
    });
    await openHandle(picked);
  } catch (error) {
    if (error.name !== "AbortError") fail("Error: " + error.message);
  }
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
  const dropped = asking !== null ? await asking : null;
  if (dropped !== null && dropped.kind === "file") return openHandle(dropped);
  if (file !== undefined) load(file, null);
});
window.addEventListener("beforeunload", (event) => {
  if (dirty()) {
    event.preventDefault();
    event.returnValue = "";
  }
});

// Scripts and tests open a file handle as the picker would give it.
window.fmvframes = { openHandle };
start().catch((error) => fail("Error: this browser can not run the tool (" + error.message + ")."));
