// Helpers of the real-disc tests: discs authored by scripts/make_disc, copies
// of them to patch, runs of reelwrite and of the judges, and folders' files.
// Failures to author, copy or run throw std::runtime_error, which fails the
// test with the reason.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "tests/unit/temp_folder.h"

using Names = std::vector<std::string>;

struct ProgramRun {
  int exit;  // the exit status, or 128 + the signal that ended the program
  std::string out;
  std::string err;
};

// Runs argv[0], a path or the name of a program of this build, with standard
// input from /dev/null, so that a question is never answered by a terminal,
// whoever runs the tests. A sanitizer report fails the test.
ProgramRun RunProgram(Names argv);

// reelwrite with `args`, then `more` (a table row's options).
inline ProgramRun Reelwrite(Names args, const Names& more = {}) {
  args.insert(args.begin(), "reelwrite");
  args.insert(args.end(), more.begin(), more.end());
  return RunProgram(args);
}

// Host path of the VIDEO_TS folder of the named layout (see scripts/make_disc),
// authored on first use. It is shared by every test: patch a copy, never it.
std::string AuthoredDisc(const std::string& name);

// A fresh copy of an authored disc, or of the folder `disc` when it is a
// path: folder/VIDEO_TS, over whatever files it already holds.
std::string CopyOfDisc(const TempFolder& folder, const std::string& disc);

// Every file of a folder with its bytes (with ifoOnly, just the information
// files and their backups); empty when the folder is missing.
using FolderFiles = std::map<std::string, std::string>;
FolderFiles ReadFolder(const std::string& folder, bool ifoOnly = false);

// The names of the files whose bytes differ, or that only one side holds.
Names Differences(const FolderFiles& a, const FolderFiles& b);

// nav_trace's lines for the folder (or image), in menu language `lang` ("" for
// the player's own), until maxTitles titles have started, from title `title`
// (0: First Play); "CRASH n" last when it ended other than by itself.
Names NavTrace(const std::string& folder, const std::string& lang, int maxTitles, int title = 0);

// The preview of the disc in `copy` against libdvdnav, from the start and
// after each title but `unnamed` (-1: none): libdvdnav names a chain by the
// first title that has it, so where a title's end goes on to a chain two
// titles share, its trace cannot say which one plays.
void ExpectPreviewAgrees(const std::string& copy, const std::string& lang, int unnamed = -1);
