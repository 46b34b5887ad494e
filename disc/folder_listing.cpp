#include "disc/folder_listing.h"

#include <cstdio>
#include <cstring>

#include "disc/disc_state.h"
#include "platform/platform.h"

namespace {

// Per title set: its IFO, its BUP and VOBs 0 to 9. Names are all 12 bytes.
constexpr int kPartsPerSet = 10;
constexpr int kFilesPerSet = 2 + kPartsPerSet;
constexpr std::size_t kNameLength = 12;

struct Slot {
  bool found;
  uint64_t size;
  char name[kNameLength + 1];
};

char ListedFolder[kPathCapacity];
Slot Slots[kMaxTitleSets + 1][kFilesPerSet];

int SlotIndex(DiscFileKind kind, int k) {
  return kind == DiscFileKind::Ifo ? 0 : kind == DiscFileKind::Bup ? 1 : 2 + k;
}

bool Valid(int n, DiscFileKind kind, int k) {
  if (n < 0 || n > kMaxTitleSets) return false;
  if (kind != DiscFileKind::Vob) return true;
  return n == 0 ? k == 0 : k >= 0 && k < kPartsPerSet;
}

void FormatName(int n, DiscFileKind kind, int k, char (&out)[kNameLength + 1]) {
  const char* extension = kind == DiscFileKind::Ifo ? "IFO" : kind == DiscFileKind::Bup ? "BUP" : "VOB";
  if (n == 0) {
    std::snprintf(out, sizeof out, "VIDEO_TS.%s", extension);
  } else {
    // n is 1 to 99 and k 0 to 9; the modulos tell the compiler so.
    std::snprintf(out, sizeof out, "VTS_%02u_%u.%s", unsigned(n) % 100u, unsigned(k) % 10u, extension);
  }
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

bool Digit(char c) { return c >= '0' && c <= '9'; }

// Which file of the disc a name found in the folder is, whatever its case.
bool Identify(const char* name, int* n, DiscFileKind* kind, int* k) {
  if (std::strlen(name) != kNameLength) return false;
  char upper[kNameLength + 1];
  for (std::size_t i = 0; i <= kNameLength; ++i) upper[i] = Upper(name[i]);
  const char* extension = upper + 9;
  if (std::strcmp(extension, "IFO") == 0) {
    *kind = DiscFileKind::Ifo;
  } else if (std::strcmp(extension, "BUP") == 0) {
    *kind = DiscFileKind::Bup;
  } else if (std::strcmp(extension, "VOB") == 0) {
    *kind = DiscFileKind::Vob;
  } else {
    return false;
  }
  if (std::strncmp(upper, "VIDEO_TS.", 9) == 0) {
    *n = 0;
    *k = 0;
    return true;
  }
  if (std::strncmp(upper, "VTS_", 4) != 0 || !Digit(upper[4]) || !Digit(upper[5]) || upper[6] != '_' ||
      !Digit(upper[7]) || upper[8] != '.')
    return false;
  *n = (upper[4] - '0') * 10 + (upper[5] - '0');
  *k = upper[7] - '0';
  return *n >= 1 && (*kind == DiscFileKind::Vob || *k == 0);
}

void Take(const platform::DirEntry& entry, void*) {
  int n = 0, k = 0;
  DiscFileKind kind = DiscFileKind::Ifo;
  if (!Identify(entry.name, &n, &kind, &k)) return;
  Slot& slot = Slots[n][SlotIndex(kind, k)];
  // Two spellings of one name (possible on Linux only): the format's own wins.
  char formatted[kNameLength + 1];
  FormatName(n, kind, k, formatted);
  if (slot.found && std::strcmp(entry.name, formatted) != 0) return;
  slot.found = true;
  slot.size = entry.size;
  std::memcpy(slot.name, entry.name, sizeof slot.name);
}

const Slot* Listed(const char* folder, int n, DiscFileKind kind, int k) {
  if (!Valid(n, kind, k) || std::strcmp(folder, ListedFolder) != 0) return nullptr;
  const Slot& slot = Slots[n][SlotIndex(kind, k)];
  return slot.found ? &slot : nullptr;
}

}  // namespace

void ListDiscFolder(const char* folder) {
  std::memset(Slots, 0, sizeof Slots);
  ListedFolder[0] = '\0';
  char pattern[kPathCapacity];
  if (std::snprintf(pattern, sizeof pattern, "%s*.*", folder) >= int(sizeof pattern)) return;
  std::snprintf(ListedFolder, sizeof ListedFolder, "%s", folder);
  platform::ListFolder(pattern, platform::kAnyFile, Take, nullptr);
}

ListedFile FindListedFile(const char* folder, int n, DiscFileKind kind, int k) {
  const Slot* slot = Listed(folder, n, kind, k);
  return slot ? ListedFile{true, slot->size} : ListedFile{false, 0};
}

void DiscFileName(const char* folder, int n, DiscFileKind kind, int k, char* out, std::size_t capacity) {
  char name[kNameLength + 1];
  FormatName(n, kind, k, name);
  if (const Slot* slot = Listed(folder, n, kind, k)) {
    std::memcpy(name, slot->name, sizeof name);
  } else if (kind != DiscFileKind::Vob) {
    DiscFileKind twin = kind == DiscFileKind::Ifo ? DiscFileKind::Bup : DiscFileKind::Ifo;
    if (const Slot* other = Listed(folder, n, twin, 0)) {
      bool lower = other->name[9] >= 'a' && other->name[9] <= 'z';
      std::memcpy(name, other->name, 9);
      std::snprintf(name + 9, 4, "%s",
                    kind == DiscFileKind::Ifo ? (lower ? "ifo" : "IFO") : (lower ? "bup" : "BUP"));
    }
  }
  std::snprintf(out, capacity, "%s", name);
}
