// What the page tells the player, as text. A name set in the code font has
// "\0" at its ends.
import { GAME } from "./format.mjs";
import { isDownload } from "./history.mjs";

export const BEFORE = "Dunmarrow3-before.exe", LISTING = "fmvframes-before.txt";
const named = (name) => "\0" + name + "\0";
// A file name is never a replacement pattern ("$&" stays as it is).
export const naming = (text, name) => text.split('"' + GAME + '"').join('"' + name + '"');

// What the tool says of a file it can't list or change, and what to do.
const NEXT = {
  "Error: can not read the movie table": " It is too short to be the game's program: open " + GAME + " from the " +
    "game's folder.",
  "Note: ": " If it is the game's own " + GAME + ", restore it with the store's file check (Steam: Verify integrity " +
    "of game files) or from the copy you kept.",
};
export const next = (problem) => problem + Object.keys(NEXT).filter((lead) => problem.startsWith(lead)).map((lead) => NEXT[lead]).join("");

export const unreadable = (name) => "Error: " + name + " is a folder, or a file that could not be read: " +
  "open the file " + GAME + " in the game's folder.";
export const folder = (name) => "Error: " + name + " is a folder: open the file " + GAME + " in it.";
export const picker = "Nothing was opened. The browser refuses files in some folders (Program Files, Windows, " +
  "AppData, ~/Library): drop the file here, or open a copy.";
export const wayWhy = "You opened a copy, which the page can't save in place (for that, use Open " + GAME + "… or " +
  "drop the file here):";

// What an opened file is to the player: a changed copy downloaded from the
// game file's history, or a file the page saves into or changes a copy of.
export function holds(name, inPlace, log, table) {
  if (log === null || !isDownload(log, table)) {
    return inPlace ? "Opened " + name + ": Save writes the changes into it." :
      "Opened a copy of " + name + ": the changes are downloaded.";
  }
  if (name.toLowerCase() === GAME.toLowerCase()) {
    return "This file holds the changes you downloaded: they are in place if it is the one in the game's folder.";
  }
  return "This file holds the changes you downloaded, but the game reads only " + GAME + ": put it in the game's " +
    "folder as " + GAME + ".";
}

// The file read again was not as the page last read it.
export const moved = (name, clips) => name + " changed since it was read" + (clips ? " (" + clips + ")" : "") +
  ": it is shown as it is now, with your changes. ";
// The file can't be read any more: nothing is said of what it holds.
export const gone = (name, then) => "Error: " + name + " can not be read any more: it may hold other counts now " +
  "(a download put in place, another program): open it again, then " + then + ".";

// The steps after any download: they work where a rename refuses a name that
// is taken, and never overwrite the copy to keep.
export const STEPS = "In the game's folder, if there is no " + named(BEFORE) + ", rename " + named(GAME) + " to it " +
  "(the copy to keep); if there is, delete " + named(GAME) + " (an earlier download). Then put the download there as " +
  named(GAME) + " (a browser may have named it " + named("Dunmarrow3 (1).exe") + " or " + named("Dunmarrow3(1).exe") +
  "). On Windows, if its Properties say it came from another computer, tick Unblock.";
// changes: what the copy changes against the file as first opened; lacks:
// clips an earlier download changed that it leaves as first opened.
export const downloaded = (changes, later, lacks) => "Asked the browser to download the changed " + GAME + ": " +
  (changes ? "against the file as first opened, it changes " + changes : "it has the counts first opened") + "." +
  (!later ? "" : lacks ? " An earlier download also changed " + lacks + ", which this one does not." :
    " It is the newest copy, with every change of the earlier ones.") + " " + STEPS;
export const before = (name, undoes) => "Asked the browser to download " + named(BEFORE) + ", " + name + " as first " +
  "opened" + (undoes ? ": against the file now, it undoes " + undoes : ", with the counts it has now") + ". Keep it: " +
  "to undo every change, delete " + named(GAME) + " in the game's folder, then put " + named(BEFORE) + " there and " +
  "rename it " + named(GAME) + ".";
export const resized = (name) => "Error: " + name + " is not the size it was when first opened: nothing was " +
  "downloaded.";
export const keptListing = (name) => "Asked the browser to download " + named(LISTING) + ", the counts " + name +
  " holds now. Keep it: opened here later, it sets them back.";

export const noTable = (name) => "Error: " + (name === null ? "open " + GAME + " first" : name + " has no table " +
  "shown to set back: open the game's " + GAME) + ", then the listing.";
export const notSetBack = (listing, name, why) => "Error: " + listing + " can not set back " + name + ": " + why +
  ". Nothing was changed.";
// to: "saved" or "downloaded" where something is left to do, else false.
export const setBack = (listing, name, clips, to) => !clips ? listing + " lists the counts shown: nothing to set back." :
  "Set back from " + listing + (to ? ", not " + to + " yet: " + clips + "." : ": " + clips + ". " + name +
    " holds them already: nothing to save.");

export const saved = (name, clips, other, since, late, windows) => (other ? name + " holds these counts, saved from another " +
  "tab or window: " : "Saved: ") + clips + "." + (since ? " The changes made since are not saved yet." : "") +
  (late ? " The browser reported a problem afterwards" + late + ", but the file holds them." : "") +
  (windows ? " If Windows warns when the game starts, open " + name + "'s Properties " +
    "and tick Unblock." : "");
export const kept = (name) => "Error: " + name + " was written again since it was opened, with the same clip table, " +
  "so nothing was saved. Press Save again to write your changes into it as it is now.";

// A save or download refused because the file changed: what changed it, what
// was tried, what changed during it, and where what is left to type is listed.
export const refusal = (name, failed, written, inPlace) => failed ? "the browser could not save " + name + failed +
  ", and " + name + " holds other counts now" : written ? "the browser saved " + name + ", and then something " +
  "else changed it" : name + " changed since it was opened, so nothing was " + (inPlace ? "saved" : "downloaded");
export const refused = (lead, tried, since, beside) => "Error: " + lead + ". It is shown as it is now. Tried: " + tried +
  "." + (since ? " Changed during the save: " + since + "." : "") + (beside ? " Type again what is listed beside " +
  beside + "." : "");

const DOWNLOAD = "download a changed copy and put it in the game's folder in place of " + GAME;
const NOTHING = ", so nothing was saved";
export const unsaved = (why, name, words) => "Error: " + {
  prompt: "the browser's question was closed without an answer" + NOTHING + ". Press Save to be asked again, or " +
    DOWNLOAD,
  denied: "the browser was told not to let this page change " + name + " and does not ask again" + NOTHING + ": " +
    DOWNLOAD,
  busy: "another tab or window is saving " + name + NOTHING + " here: when it is done, open it again here",
  held: name + " is in use" + words + NOTHING + ". Close the game, then press Save again",
  full: "the disk is full" + words + NOTHING + ". Make room on it, then press Save again",
  security: "this browser refuses to write this program" + words + NOTHING + ". Instead, " + DOWNLOAD,
  other: "the browser could not save " + name + words + NOTHING + ": press Save again, or " + DOWNLOAD,
}[why] + ".";
export const unknown = (name, written, words) => "Error: " + (written ? "the browser reports " + name + " saved, " +
  "but it can not be read back now to check: open it again to see what it holds." : "the browser could not save " +
  name + words + ". It can not be read now to tell what it holds: close the game and open it again, or " + DOWNLOAD +
  ".");
