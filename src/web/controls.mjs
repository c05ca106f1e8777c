// The page's controls: what each button, file input and drop does. The
// module is compiled first (tool.mjs), the handlers set up after: a player
// can act on nothing before both.
import { GAME } from "./format.mjs";
import { ready, unable } from "./tool.mjs";
import { busy, busyNote, can, download, keep, keepOpened, load, openHandle, openNote, restore, run, save,
  unsettled } from "./page.mjs";
import { $ } from "./rows.mjs";
import { folder, picker, wayWhy } from "./words.mjs";

// A control that is busy or off says so rather than acting.
const button = (id, act) => $(id).addEventListener("click", () => busy() ? busyNote() : act());
// A file input's file, taken once: choosing the same file again is a change.
const chosen = (id, act) => $(id).addEventListener("change", () => {
  if ($(id).files.length > 0) act($(id).files[0]);
  $(id).value = "";
});
// Clicking Save or Download leaves a count being typed where it is: leaving
// applies it, so that its row growing can't move the button from under the click.
for (const id of ["save", "download"]) $(id).addEventListener("mousedown", (event) => event.preventDefault());

button("open", async () => {
  if (!can.pick) return $("file").click();
  let picked;
  try {
    [picked] = await window.showOpenFilePicker({
      types: [{ description: GAME, accept: { "application/octet-stream": [".exe"] } }],
    });
  } catch (error) {
    // Chromium's picker refuses some folders and then ends as a cancel does.
    return openNote(error.name !== "AbortError" ? "Error: " + error.message : picker, error.name !== "AbortError");
  }
  await openHandle(picked);
});
// Where Open is the file input already, a copy is all there is.
$("open-copy").hidden = $("open-ways").hidden = !can.pick;
if (can.pick) $("way-why").textContent = wayWhy;
button("open-copy", () => $("file").click());
chosen("file", (file) => load(file, null));
$("save").addEventListener("click", save);
$("download").addEventListener("click", download);
button("keep", keep);
button("before", keepOpened);
button("restore", () => $("listing").click());
chosen("listing", restore);

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
  if (entry && entry.isDirectory) return openNote(folder(entry.name), true);
  const dropped = asking !== null ? await asking.catch(() => null) : null;
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
