// Helpers of the real-disc tests: discs authored by scripts/make_disc, copies
// to patch, and the two judges (dvdread_list, nav_trace) run and parsed.
// Failures to author, copy or run throw std::runtime_error, which fails the
// test with the reason.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ProgramRun {
  int exit;  // the exit status, or 128 + the signal that ended the program
  std::string out;
  std::string err;
};

// Runs argv[0] (a path) with its arguments and collects both outputs.
ProgramRun RunProgram(const std::vector<std::string>& argv);

// A program of this build: REELWRITE_BINARY_DIR/bin/name.
std::string BuiltProgram(const std::string& name);

// Host path of the VIDEO_TS folder of the named layout (see scripts/make_disc),
// authored into REELWRITE_BINARY_DIR/discs/name on first use. The result is a
// shared cache: patch a copy, never this folder.
std::string AuthoredDisc(const std::string& name);

// Copies the files of folder src into dst, which is created.
void CopyDisc(const std::string& src, const std::string& dst);

// One title line of dvdread_list.
struct ListedTitle {
  int title;
  int titleSet;
  int titleInSet;
  int angles;
  int chapters;
  bool hasPost;
  uint8_t post[8];  // the first post command when hasPost
};

struct DvdreadListing {
  int exit;
  std::vector<std::string> parsed;  // "VIDEO_TS.IFO", "VTS_01_0.BUP", ...
  std::vector<std::string> failed;
  std::vector<int> menuUnitPgcs;  // program chains of each video manager menu language unit
  std::vector<ListedTitle> titles;
  std::string output;  // everything it printed, for failure messages
};

DvdreadListing DvdreadList(const std::string& folder);

// nav_trace's lines ("MENU", "TITLE n", "STOP", "ERROR ...", "LIMIT"); a run
// that ended any other way adds "CRASH status".
std::vector<std::string> NavTrace(const std::string& folder, int maxTitles = 5, const std::string& lang = "");
