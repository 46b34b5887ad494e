#include "tests/fuzz/fuzz_driver.h"

#include <sanitizer/asan_interface.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <numeric>

#include "actions/presets.h"
#include "actions/title_action.h"
#include "author/file_set_writer.h"
#include "disc/byte_order.h"
#include "disc/disc_state.h"
#include "disc/ifo_tables.h"
#include "disc/menu_table.h"

namespace fuzz {
namespace {

constexpr std::size_t kMinIfoSize = 4096;

int ImageCount(uint8_t flags) { return 1 + std::min(1 + (flags & 3), 3); }

std::size_t Padded(const std::vector<uint8_t>& image) { return std::max(image.size(), kMinIfoSize); }

// What an earlier input wrote, cleared before the next.
std::size_t storeUsed = 0, vmgUsed = 0;

unsigned Be16(const uint8_t* p) { return unsigned(p[0] << 8 | p[1]); }

void ResetDisc() {
  ASAN_UNPOISON_MEMORY_REGION(Disc.IfoStore, kIfoStoreCapacity);
  ASAN_UNPOISON_MEMORY_REGION(Disc.VmgImage, kVmgImageCapacity);
  std::memset(&Disc, 0, offsetof(DiscState, VmgImage));
  std::memset(Disc.VmgImage, 0, vmgUsed);
  std::memset(Disc.IfoStore, 0, storeUsed);
  std::memset(Disc.ProjectPath, 0, sizeof Disc - offsetof(DiscState, ProjectPath));
  storeUsed = vmgUsed = 0;
  std::strcpy(Disc.EditFolder, "C:\\DISC\\");
}

}  // namespace

bool trace = false;

bool Decode(const uint8_t* data, std::size_t size, Input* out) {
  if (size < sizeof(Header)) return false;
  std::memcpy(&out->header, data, sizeof(Header));
  out->images.clear();
  const int count = ImageCount(data[0]);
  for (std::size_t n = 0, at = sizeof(Header); int(n) < count; ++n) {
    std::size_t length = int(n) + 1 < count ? Be16(out->header.imageSizes[n]) : size - at;
    length = std::min(length, size - at);
    out->images.emplace_back(data + at, data + at + length);
    at += length;
  }
  return true;
}

std::vector<uint8_t> Encode(const Input& in) {
  Header h = in.header;
  const std::size_t count = std::min<std::size_t>(in.images.size(), 4);
  h.flags = uint8_t((h.flags & ~3) | (count >= 2 ? count - 2 : 0));
  std::vector<uint8_t> out(sizeof h);
  for (std::size_t n = 0; n < count; ++n) {
    std::size_t length =
        n + 1 < count ? std::min<std::size_t>(in.images[n].size(), 0xFFFF) : in.images[n].size();
    if (n + 1 < count) h.imageSizes[n][0] = uint8_t(length >> 8), h.imageSizes[n][1] = uint8_t(length);
    out.insert(out.end(), in.images[n].begin(), in.images[n].begin() + std::ptrdiff_t(length));
  }
  std::memcpy(out.data(), &h, sizeof h);
  return out;
}

void PoisonVmgImageFrom(int64_t size) {
  std::size_t from = std::size_t(std::clamp<int64_t>(size, 0, kVmgImageCapacity));
  ASAN_UNPOISON_MEMORY_REGION(Disc.VmgImage, from);
  ASAN_POISON_MEMORY_REGION(Disc.VmgImage + from, kVmgImageCapacity - from);
  vmgUsed = std::max(vmgUsed, from);
}

bool LoadImages(const std::vector<std::vector<uint8_t>>& images, const Header& h) {
  ResetDisc();
  std::size_t at = (8 - reinterpret_cast<uintptr_t>(Disc.IfoStore) % 8) % 8;
  ASAN_POISON_MEMORY_REGION(Disc.IfoStore, at);
  for (std::size_t n = 0; n < images.size(); ++n) {
    std::size_t size =
        n == 0 ? std::max(Padded(images[0]), std::size_t(h.vmgSize64k) << 16) : Padded(images[n]);
    if (size > kIfoStoreCapacity - at) return false;
    if (!images[n].empty()) std::memcpy(Disc.IfoStore + at, images[n].data(), images[n].size());
    Disc.IfoOffset[n] = int32_t(at);
    Disc.IfoSize[n] = int32_t(size);
    storeUsed = at + size;
    at = std::min<std::size_t>(((at + size + 7) & ~std::size_t(7)) + 8, kIfoStoreCapacity);
    ASAN_POISON_MEMORY_REGION(Disc.IfoStore + storeUsed, at - storeUsed);
  }
  ASAN_POISON_MEMORY_REGION(Disc.IfoStore + at, kIfoStoreCapacity - at);

  Disc.TitleSetCount = int32_t(images.size() - 1);
  Disc.MenuVobSize[0] = int32_t(Be16(h.vmgMenuVob64k) << 16);
  int64_t infoSectors = (int64_t(uint32_t(Disc.MenuVobSize[0])) + 2 * int64_t(Disc.IfoSize[0])) / kSectorSize;
  for (int n = 1; n <= Disc.TitleSetCount; ++n) {
    const uint8_t(&vobs)[2][2] = h.titleSets[std::min(n - 1, 2)];
    int32_t sectors = int32_t(Be16(vobs[1])) * 256;
    Disc.MenuVobSize[n] = int32_t(Be16(vobs[0]) << 16);
    Disc.VobSectors[10 * n + 1] = Disc.TitleVobSectors[n] = sectors;
    Disc.TitleVobCount[n - 1] = sectors > 0 ? 1 : 0;
    if (n + 1 <= kMaxTitleSets) Disc.TitleVobBase[n + 1] = Disc.TitleVobBase[n] + sectors;
    infoSectors += 2 * int64_t(Disc.IfoSize[n]) / kSectorSize;
  }
  Disc.TitleVobSectors[0] = int32_t(infoSectors);
  // As reading ends: the count through the checked lookup.
  ImageRef vmg = StoredVmgRef();
  int64_t titles = TableOffset(vmg, kVmgTtSrptSector);
  Disc.TitleCount = titles < 0 ? 0 : ReadBe16(vmg.data + titles);
  return true;
}

std::string IfoName(std::size_t n, const char* extension) {
  char name[16];
  if (n == 0)
    std::snprintf(name, sizeof name, "VIDEO_TS.%s", extension);
  else
    std::snprintf(name, sizeof name, "VTS_%02d_0.%s", int(n), extension);
  return name;
}

std::vector<std::vector<uint8_t>> WriteFolder(const Input& in, const std::string& folder) {
  std::filesystem::remove_all(DriveC().HostName(folder));
  DriveC().MakeDir(folder);
  std::vector<std::vector<uint8_t>> files = in.images;
  for (std::size_t n = 0; n < files.size(); ++n) {
    files[n].resize(Padded(files[n]));
    for (const char* extension : {"IFO", "BUP"})
      DriveC().WriteFile(folder + "/" + IfoName(n, extension), files[n]);
  }
  return files;
}

void ChooseActions(const Header& h) {
  Disc.NoMenu = (h.flags & kNoMenu) ? 1 : 0;
  Disc.RandomPlay = (h.flags & kRandomPlay) ? 1 : 0;
  if (h.flags & kApplyPreset) {
    Disc.PresetIndex = h.preset;
    ApplyBatchPreset();
  }
  if (h.flags & kSetRegister) Disc.MenuRegister = h.menuRegister & 15;
  if (!(h.flags & kTitleActions)) return;
  static const int32_t kKinds[8] = {JumpTitle, Command, MenuPgc, Stop, Repeat, Unchanged, 3, 4};
  for (int j = 0; j < std::min(Disc.TitleCount, 8); ++j) {
    Disc.ActionKind[j] = kKinds[h.titles[j][0] % 8];
    Disc.ActionTarget[j] = h.titles[j][1] % Disc.TitleCount;
    Disc.ActionMenu[j] = h.titles[j][1] % kMenuChoiceCount;
    char text[24];
    FormatCommandText(h.command, text);
    text[0] = "0123456789ABCDEF"[j];  // a different command per title
    ParseCommandText(j, text);
  }
}

int TouchPatchedFiles() {
  static PendingFile files[2 + 2 * kMaxTitleSets];
  static char names[2 + 2 * kMaxTitleSets][16];
  int count = CollectPatchedFiles(files, 2 + 2 * kMaxTitleSets, names);
  volatile unsigned sum = 0;
  for (int k = 0; k < count; ++k)
    sum = std::accumulate(files[k].bytes, files[k].bytes + files[k].size, sum + 0u);
  return count;
}

TempFolder& DriveC() {
  static TempFolder folder('C', access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp");
  return folder;
}

void Require(bool holds, const char* promise) {
  if (holds) return;
  std::fprintf(stderr, "broken promise: %s\n", promise);
  std::abort();
}

void Init() {
  const char* value = std::getenv("IFO_FUZZER_TRACE");
  trace = value && *value && *value != '0';
  platform::SetMessageBoxHandler(
      [](const char* text, const char*, int style, platform::Question, void*) {
        if (trace) std::fprintf(stderr, "message: %s\n", text);
        return (style & 0xF) == 4 ? 6 : 1;
      },
      nullptr);
}

}  // namespace fuzz
