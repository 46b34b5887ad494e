// The services the engine needs from the operating system, and nothing else.
// Paths are Shift-JIS bytes in the Windows form ("X:\folder\FILE.IFO"); each
// implementation turns them into host names. Texts shown to the user are UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace platform {

enum FileAttribute : uint32_t {
  kReadOnly = 0x01,
  kHidden = 0x02,
  kSystem = 0x04,
  kDirectory = 0x10,
  kArchive = 0x20,
};

// Masks that let every entry fit (kAnyEntry) or every entry but folders.
constexpr uint32_t kAnyEntry = kReadOnly | kHidden | kSystem | kDirectory | kArchive;
constexpr uint32_t kAnyFile = kReadOnly | kHidden | kSystem | kArchive;

struct DirEntry {
  uint32_t attributes;
  uint64_t size;
  char name[260];  // Shift-JIS, the entry's own name without its folder
};

// Looks one entry up; true when an entry whose attributes fit `mask` exists
// (an entry carrying the hidden, system or directory bit fits only when the
// mask holds that bit; other entries always fit, as with the DOS search
// behind FindFirstFile). `entry` may be null. Like FindFirstFile, a path
// ending in a backslash (a drive root included) names no entry.
bool FindEntry(const char* path, uint32_t mask, DirEntry* entry);

// Calls `visit` for every entry matching a pattern such as "X:\dir\*.*"
// ("*" and "*.*" list everything; '*' and '?' work elsewhere too, letters
// without regard to case) whose attributes fit `mask`. "." and ".." are never
// visited. A name without a Shift-JIS spelling comes as its short (8.3) name
// on Windows, where the volume has short names; otherwise it is left out.
// Entries come in the order of their Shift-JIS bytes. Returns the number of
// entries visited.
using VisitEntry = void (*)(const DirEntry& entry, void* context);
int ListFolder(const char* pattern, uint32_t mask, VisitEntry visit, void* context);

// On POSIX read-only is the owner's missing write bit, hidden a name starting
// with '.', and every file that is not a folder reports archive; setting
// changes only the read-only bit.
bool GetAttributes(const char* path, uint32_t* attributes);
bool SetAttributes(const char* path, uint32_t attributes);

// GetDriveType's numbers: 0 unknown, 1 no root, 2 removable, 3 fixed,
// 4 remote, 5 CD-ROM, 6 RAM disk.
int DriveType(char letter);
// The current directory of a drive, "X:\..." ending without a backslash
// except at the root. False when the drive is not available. On POSIX a
// mapped drive's current directory is the process's when that lies inside
// the drive's folder, else the drive's root.
bool CurrentDirectory(char letter, char* out, std::size_t capacity);

// fopen with a standard-library mode on a Shift-JIS path. On POSIX a name
// is found in any case, except that a file being made (a writing mode, and
// ReplaceFile's destination) whose name does not exist as spelled is made as
// spelled. Null for a folder,
// and for a read-only file in a writing mode (as on Windows, also for root on
// POSIX; ReplaceFile and RemoveFile refuse read-only files the same way).
std::FILE* OpenFile(const char* path, const char* mode);

// What the all-or-nothing writers need besides OpenFile. <windows.h> makes
// ReplaceFile a macro; this header takes it back, so a file that needs both
// includes <windows.h> first.
#if defined(_WIN32) && defined(ReplaceFile)
#undef ReplaceFile
#endif
std::size_t WriteBytes(const void* bytes, std::size_t size, std::FILE* file);  // fwrite
bool CloseFile(std::FILE* file);                     // fclose, where a delayed write error may surface
bool FlushToDisk(std::FILE* file);                   // fflush and fsync / FlushFileBuffers
bool ReplaceFile(const char* from, const char* to);  // atomic rename over `to`; durable after SyncFolder
bool RemoveFile(const char* path);
bool MakeFolder(const char* path);
bool RemoveFolder(const char* path);                  // an empty folder
bool RenameFolder(const char* from, const char* to);  // fails when `to` exists
bool SyncFolder(const char* path);                    // make renames inside it durable

// The folder a path names once symbolic links (junctions on Windows) are
// followed, in the drive form, keeping a trailing backslash; false (with
// `out` empty) when it does not exist or has no such form.
bool RealFolderPath(const char* path, char* out, std::size_t capacity);

// Fault injection for tests. While a check is installed, each call above
// that changes the file system or writes (OpenFile, WriteBytes, CloseFile,
// FlushToDisk, ReplaceFile, RemoveFile, MakeFolder, RemoveFolder,
// RenameFolder, SyncFolder, SetAttributes) first asks it, naming
// itself and its path (null for an open file); when the check says so the
// call fails as the system's would, having done nothing (CloseFile still
// releases the file). Null removes the check.
using FaultCheck = bool (*)(const char* call, const char* path);
void SetFaultCheck(FaultCheck check);

// Message box: text and caption in UTF-8, Windows style number. Returns the
// button pressed, as Windows numbers it.
enum MessageStyle : int { kErrorBox = 16, kQuestionBox = 36, kWarningBox = 48, kInformationBox = 64 };
enum MessageAnswer : int { kOkAnswer = 1, kYesAnswer = 6, kNoAnswer = 7 };
int ShowMessage(const char* text, const char* caption, int style);

// What a question asks, whatever its wording: front ends that answer for the
// user (the command line's --yes and --no-backup) go by this, never by the
// text, which is only what is shown.
enum class Question : int {
  kNone,               // not a question: a message with an OK button
  kUpdateDisc,         // write the changed IFO and BUP files
  kPlaybackWarnings,   // go on although players would hit what the warnings list
  kNoMenuOption,       // the no-menu option drops First Play and the title menu
  kRandomPlayOption,   // random play drops First Play
  kGoOnWithoutBackup,  // no backup of the originals can be made
  kRestoreOriginals,   // put the backup's files back
  kQuit,               // leave the program
};
// A Yes/No question (caption "確認", style kQuestionBox); true only for Yes.
bool Ask(Question question, const char* text);

// Who answers message boxes. The GUI installs the real window; the command
// line prints; tests answer them. Returns the previous handler. `question`
// is Question::kNone for every box ShowMessage shows.
using MessageBoxHandler = int (*)(const char* text, const char* caption, int style, Question question,
                                  void* context);
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler, void* context);
// The context installed with the current handler, so that whoever replaces a
// handler for a while can put both back.
void* MessageBoxContext();

// Text conversion at the edges. Each writes a terminated string into `out`
// and returns false (with `out` empty) when the text does not convert or
// does not fit.
bool SjisToUtf8(const char* sjis, char* out, std::size_t capacity);

// A path as the user knows it, in UTF-8, for messages: the host's own name
// on POSIX ("/media/disc/VIDEO_TS/VIDEO_TS.IFO"), the drive form on Windows
// with short (8.3) names spelled out in full.
// Falls back to the plain conversion for names outside any drive.
bool DisplayPath(const char* path, char* out, std::size_t capacity);
bool Utf8ToSjis(const char* utf8, char* out, std::size_t capacity);
bool SjisToUtf16(const char* sjis, char16_t* out, std::size_t capacity);
bool Utf16ToSjis(const char16_t* utf16, char* out, std::size_t capacity);

#ifndef _WIN32
// POSIX only: which host folder a drive letter stands for ("Z:" is "/" until
// changed). An empty or null folder removes the mapping.
void MapDrive(char letter, const char* hostFolder);
// Host name of a drive path, for messages and tests: the path is converted
// from Shift-JIS as a whole, then '\' becomes '/'; "." and ".." are resolved
// without climbing above the drive's folder; a trailing backslash stays a
// trailing slash. False for relative or UNC paths, an unmapped drive, bytes
// that are not Shift-JIS, or when it does not fit.
bool HostPath(const char* path, char* out, std::size_t capacity);
// Drive form of a host path ("/a/b" -> "Z:\a\b", or under a mapped drive):
// relative paths are taken from the current directory and symbolic links
// resolved where the path exists; the drive with the longest folder holding
// the path wins. False when the name has no Shift-JIS spelling or does not fit.
bool DrivePath(const char* hostPath, char* out, std::size_t capacity);
#endif

}  // namespace platform
