// The refusal of a disc whose information files cannot be followed safely.
#pragma once

// Runs on the images just read into IfoStore, with TitleCount and
// TitleSetCount set. Shows the first fault found (naming the file) and
// returns false; the caller then drops the disc. Checks that every table the
// rest of the program follows lies inside its file: the title table and each
// title's entry, each valid title's program chain and its commands, the video
// manager menu table with its language units and program chains, and that
// the menu table prepared from it will fit its buffers.
bool CheckDiscTables();
