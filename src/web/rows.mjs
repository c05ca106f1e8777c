// A clip's row: its number, its count in a field, its name, and what changed
// with Put back.
import { codeIn } from "./format.mjs";
import { frames } from "./tool.mjs";

export const $ = (id) => document.getElementById(id);
export const inputs = () => [...document.querySelectorAll("#clips input")];
export const clipOf = (input) => input.id.slice("frames-".length);

// on: change(clip, input), which applies a typed count, and putBack(clip, input).
export function row(clip, count, name, { change, putBack }) {
  const tr = document.createElement("tr");
  tr.id = "clip-" + clip;
  tr.insertCell().textContent = clip;
  const input = document.createElement("input");
  Object.assign(input, { id: "frames-" + clip, defaultValue: count, inputMode: "numeric", autocomplete: "off" });
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
  const back = Object.assign(document.createElement("button"), { type: "button", textContent: "Put back" });
  back.addEventListener("click", () => putBack(clip, input));
  note.append(document.createElement("span"), back);
  return tr;
}

// Marks a row whose count differs from the file's (not saved: "was" the
// file's count), or, once saved, from the count it had when opened.
export function mark(input, copy, table, opened) {
  const clip = clipOf(input), tr = input.closest("tr");
  const now = codeIn(copy, clip), disk = codeIn(table, clip);
  const edited = now !== disk, saved = !edited && disk !== codeIn(opened, clip);
  const was = frames(codeIn(edited ? table : opened, clip));
  tr.classList.toggle("edited", edited);
  tr.classList.toggle("saved", saved);
  const [note, back] = tr.cells[3].children;
  note.textContent = edited ? "was " + was : saved ? "saved, was " + was : "";
  back.hidden = !edited && !saved;
  back.setAttribute("aria-label", "Put back clip " + clip + " to " + was + " frames");
}

// A field typed again, or put back: no longer refused.
export function accept(input, kinds = ["refused", "odd"]) {
  input.removeAttribute("aria-invalid");
  for (const kind of kinds) $(kind + "-" + clipOf(input))?.remove();
}
