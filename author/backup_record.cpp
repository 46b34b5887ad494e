#include "author/backup_record.h"

#include <cstdio>
#include <cstring>

#include "author/file_checksum.h"
#include "author/file_copy.h"
#include "disc/disc_state.h"
#include "disc/read_edit_folder.h"
#include "platform/platform.h"

namespace {

// About 1,200 files of a full disc at under 300 bytes a line.
constexpr std::size_t kDescriptionCapacity = 384 * 1024;
char Described[kDescriptionCapacity];
char Recorded[kDescriptionCapacity];

bool Join(char* out, const char* a, const char* b) {
  int n = std::snprintf(out, kPathCapacity, "%s%s", a, b);
  return n >= 0 && n < kPathCapacity;
}

// `end` points just behind the name.
bool EndsInVob(const char* name, const char* end) {
  return end - name >= 4 && end[-4] == '.' && (end[-3] | 0x20) == 'v' && (end[-2] | 0x20) == 'o' &&
         (end[-1] | 0x20) == 'b';
}

struct Description {
  const char* folder;
  char* text;
  std::size_t used;
  bool vobs;       // the VOB files, else the IFO and BUP files
  bool checksums;  // of the IFO and BUP files; the version before recorded none
  bool failed;
};

void DescribeOne(const platform::DirEntry& entry, void* context) {
  Description* d = static_cast<Description*>(context);
  if (entry.attributes & platform::kDirectory) return;
  bool vob = EndsInVob(entry.name, entry.name + std::strlen(entry.name));
  if (d->vobs ? !vob : !HasIfoOrBupExtension(entry.name)) return;
  char* at = d->text + d->used;
  std::size_t room = kDescriptionCapacity - d->used;
  auto size = static_cast<unsigned long long>(entry.size);
  int n;
  if (d->vobs || !d->checksums) {
    n = std::snprintf(at, room, "%llu %s\n", size, entry.name);
  } else {
    char path[kPathCapacity];
    uint32_t crc = 0;
    if (!Join(path, d->folder, entry.name) || !FileChecksum(path, &crc)) d->failed = true;
    n = std::snprintf(at, room, "%llu %s crc32:%08x\n", size, entry.name, static_cast<unsigned>(crc));
  }
  if (n < 0 || static_cast<std::size_t>(n) >= room) {
    d->failed = true;
    return;
  }
  d->used += n;
}

// The VOB files of `vobFolder` (which patching never changes), then the IFO
// and BUP files of `ifoFolder`, into Described; *vobPart is the length of
// the first part.
bool DescribeDisc(const char* vobFolder, const char* ifoFolder, bool checksums, std::size_t* vobPart) {
  Description d{vobFolder, Described, 0, true, checksums, false};
  Described[0] = '\0';
  char pattern[kPathCapacity];
  if (!Join(pattern, vobFolder, "*.*")) return false;
  platform::ListFolder(pattern, platform::kAnyEntry, DescribeOne, &d);
  *vobPart = d.used;
  d.folder = ifoFolder;
  d.vobs = false;
  if (!Join(pattern, ifoFolder, "*.*")) return false;
  platform::ListFolder(pattern, platform::kAnyEntry, DescribeOne, &d);
  return !d.failed;
}

// The record into Recorded; false when it cannot be read whole.
bool ReadRecord(const char* path) {
  std::FILE* in = platform::OpenFile(path, "rb");
  if (!in) return false;
  std::size_t size = std::fread(Recorded, 1, sizeof Recorded - 1, in);
  bool whole = size < sizeof Recorded - 1 && !std::ferror(in);
  std::fclose(in);
  Recorded[size] = '\0';
  return whole && std::strlen(Recorded) == size;
}

// The backup's IFO files read as a folder's, beside the edit folder's video
// files, into a Disc put back afterwards: whoever asks may hold a disc.
bool HoldsTogetherWithVideo(const char* editFolder, const char* backup) {
  static DiscState saved;
  std::memcpy(&saved, &Disc, sizeof Disc);
  std::snprintf(Disc.EditFolder, sizeof Disc.EditFolder, "%s", editFolder);
  ReadFault fault;
  bool read = ReadInfoFilesFrom(backup, &fault);
  std::memcpy(&Disc, &saved, sizeof Disc);
  return read;
}

BackupTrust WithoutChecksums(const char* editFolder, const char* backup) {
  return HoldsTogetherWithVideo(editFolder, backup) ? BackupTrust::Own : BackupTrust::Unproven;
}

}  // namespace

bool WriteBackupRecord(const char* editFolder, const char* into) {
  char path[kPathCapacity];
  std::size_t vobPart;
  if (!DescribeDisc(editFolder, into, true, &vobPart) || !Join(path, into, kBackupRecordName)) return false;
  std::FILE* out = platform::OpenFile(path, "wb");
  if (!out) return false;
  std::size_t size = std::strlen(Described);
  bool ok = platform::WriteBytes(Described, size, out) == size;
  ok = platform::FlushToDisk(out) && ok;
  ok = platform::CloseFile(out) && ok;
  return ok;
}

BackupTrust CheckBackupRecord(const char* editFolder, const char* backup) {
  char path[kPathCapacity];
  if (!Join(path, backup, kBackupRecordName)) return BackupTrust::Changed;
  if (!platform::FindEntry(path, platform::kAnyEntry, nullptr)) return WithoutChecksums(editFolder, backup);
  std::size_t vobPart;
  if (!ReadRecord(path) || !DescribeDisc(editFolder, backup, true, &vobPart)) return BackupTrust::Changed;
  if (std::strcmp(Recorded, Described) == 0) return BackupTrust::Own;
  // The same VOB lines, and no further one, or the disc is another.
  const char* next = Recorded + vobPart;
  const char* end = std::strchr(next, '\n');
  bool moreVobs = end && EndsInVob(next, end);
  if (std::strncmp(Recorded, Described, vobPart) != 0 || moreVobs) return BackupTrust::OtherDisc;
  if (DescribeDisc(editFolder, backup, false, &vobPart) && std::strcmp(Recorded, Described) == 0)
    return WithoutChecksums(editFolder, backup);
  return BackupTrust::Changed;
}

const char* BackupFault(BackupTrust trust) {
  switch (trust) {
    case BackupTrust::OtherDisc:
      return "バックアップはこのフォルダのディスクから作られたものではありません.";
    case BackupTrust::Changed:
      return "バックアップのファイルが作られたときから変わっているか, 欠けています.";
    case BackupTrust::Unproven:
      return "記録のない古いバックアップで, そのIFOファイルがこのフォルダのディスクと合いません.";
    default:
      return "元のIFOファイルのバックアップがありません.";
  }
}
