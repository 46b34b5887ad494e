// The terminal edge of the command-line program: arguments and paths in the
// host's form, and the engine's message boxes as lines on standard error.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

// The program's arguments in UTF-8 (on Windows taken from the wide command line).
std::vector<std::string> Utf8Arguments(int argc, char** argv);

constexpr int kExitOk = 0;
constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;

// Says what went wrong and how to get help; returns kExitUsage.
int Usage(const std::string& error);
// kExitRefused, saying first when a question went unanswered.
int RefusedExit();

// A folder given on the command line, in the engine's drive form (Shift-JIS,
// "X:\..."). False with a reason when it cannot be expressed so.
bool EngineFolder(const std::string& native, char* out, std::size_t capacity, std::string* reason);

// Whether the path's drive letter is one this run gave a host folder (see
// EngineFolder): it means nothing to another run.
bool IsStandIn(const char* enginePath);

// The arguments of a command that takes one path and one flag; false with
// *status set (a usage error) when they are anything else.
bool ParseFolderAndFlag(const std::vector<std::string>& args, const char* command, const char* flagName,
                        std::string* native, bool* flag, int* status);
// EngineFolder for a path buffer, printing the reason when it fails
// ("cannot use the <what> ...").
bool ToEnginePath(const std::string& native, char (&path)[260], const char* what);
// The same for an edit folder; a disc's root folder stands for its VIDEO_TS.
bool ToEngineFolder(const std::string& native, char (&folder)[260]);

// The engine's drive-form path as the user knows it, in UTF-8.
std::string NativePath(const char* enginePath);

// Message boxes become one line on standard error each. Questions are
// answered yes when `assumeYes`, asked on a terminal otherwise, and refused
// (answered no, remembered) when nobody can answer. Whether to go on when
// no backup can be made is answered by `goOnWithoutBackup` alone.
void InstallConsoleMessages(bool assumeYes, bool goOnWithoutBackup = false);
bool QuestionWentUnanswered();

// Writes UTF-8 text to a stream the way the terminal can show it.
void PrintUtf8(std::FILE* stream, const std::string& text);
