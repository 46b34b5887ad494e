// Giving a chain without a post command one: its command table grows (or is
// made), the chains stored behind it in VTS_PGCIT move, and where the table
// outgrows its sectors the title set's information file grows by whole
// sectors, every table behind it moving with it.
#pragma once

// The titles whose action writes a command and whose chain has no post
// command yet; false, after a message, when the grown files would not fit
// the working buffers. Runs before anything is patched.
bool CheckCommandTableGrowth();

// Gives each such chain a post command slot (eight zero bytes until the
// title set patch writes it). Runs before the video manager patch, which
// places the title sets by their information files' sizes. False, after a
// message, where a table could not be grown as the check foresaw; the
// images are then not to be written.
bool GrowCommandTables();
