#include "app/dst_path_select_dialog.h"

#include <direct.h>

#include <cstring>

#include "disc/sjis_text.h"
#include "persist/program_paths.h"
#include "platform/platform.h"
#include "platform/win32/wide_text.h"
#include "res/resource.h"

namespace {

using Row = winfw::Response<DstPathSelectDialog>;
const Row kRoutes[] = {
    {BN_CLICKED, IDOK, &DstPathSelectDialog::Choose},
    {BN_CLICKED, IDC_PATH_GET_INFO, &DstPathSelectDialog::ChooseAndGetInfo},
    {BN_CLICKED, IDC_PATH_ROOT, &DstPathSelectDialog::GoToRoot},
    {LBN_SELCHANGE, IDC_FOLDER_LIST, &DstPathSelectDialog::EnterFolder},
    {LBN_SELCHANGE, IDC_DRIVE_LIST, &DstPathSelectDialog::ChangeDrive},
};

constexpr uint32_t kListedEntries = 0x37;  // read-only, hidden, system, directory, archive
constexpr std::size_t kNameWidth = 30;     // names up to this long fit the list's width
constexpr LPARAM kParentEntry = -1;

bool IsParent(const char* name) { return std::strcmp(name, "..") == 0; }

void AddFolder(const platform::DirEntry& entry, void* context) {
  if (entry.attributes & platform::kDirectory)
    static_cast<std::vector<std::string>*>(context)->push_back(entry.name);
}

// A folder's name as the user knows it: an entry without a Shift-JIS
// spelling comes by its short name, shown here in full.
std::wstring ShownName(const char* folder, const std::string& name) {
  if (IsParent(name.c_str())) return L"..";
  const std::wstring full = platform::LongForm((folder + name).c_str());
  return full.substr(full.find_last_of(L'\\') + 1);
}

// A path that does not fit `width` pixels loses characters from its middle,
// as the static's own path ellipsis would, but the folder's own name stays:
// the ellipsis keeps what follows the last backslash, which for a path
// ending in one is nothing.
std::wstring ShortenedInTheMiddle(HDC dc, const std::wstring& path, int width) {
  auto fits = [dc, width](const std::wstring& text) {
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx <= width;
  };
  if (fits(path) || path.size() < 2) return path;
  const std::size_t name = path.find_last_of(L'\\', path.size() - 2);
  if (name == std::wstring::npos) return path;
  const std::wstring kept = L"..." + path.substr(name);
  std::size_t head = name;
  while (head > 0 && !fits(path.substr(0, head) + kept)) --head;
  return path.substr(0, head) + kept;
}

// Its width in half-width characters, as the list's extent counts them.
std::size_t Width(const std::wstring& shown) {
  std::string sjis;
  return platform::FromWide(platform::kShiftJisCodePage, shown.c_str(), shown.size(), &sjis) ? sjis.size()
                                                                                             : shown.size();
}

// An existing folder other than a drive root has a ".." entry.
bool HasParentEntry(const char* folder) {
  std::size_t length = std::strlen(folder);
  if (length <= 3) return false;
  char withoutSlash[kPathCapacity];
  std::memcpy(withoutSlash, folder, length - 1);
  withoutSlash[length - 1] = '\0';
  platform::DirEntry entry;
  return platform::FindEntry(withoutSlash, kListedEntries, &entry) &&
         (entry.attributes & platform::kDirectory);
}

}  // namespace

DstPathSelectDialog::DstPathSelectDialog(const winfw::Window* parent)
    : winfw::Dialog(IDD_FOLDER_SELECT, parent),
      pathLine_(this, IDC_PATH_LINE),
      folders_(this, IDC_FOLDER_LIST),
      drives_(this, IDC_DRIVE_LIST) {}

void DstPathSelectDialog::SetupWindow() {
  SetText("編集フォルダ選択");
  path[kPathCapacity - 1] = '\0';
  List(path);
}

bool DstPathSelectDialog::Dispatch(int code, int id) { return winfw::Route(this, kRoutes, code, id); }

void DstPathSelectDialog::List(const char* folder) {
  folders_.Clear();
  drives_.Clear();
  names_.clear();
  char shown[kPathCapacity];
  if (folder[0] == '\0') {
    std::memcpy(shown, ProgramFolder, 3);
    shown[3] = '\0';
  } else {
    std::size_t length = strnlen(folder, kPathCapacity - 2);
    std::memmove(shown, folder, length);
    shown[length] = '\0';
    AddTrailingBackslash(shown);
  }
  std::memcpy(current_, shown, sizeof current_);
  ShowPathLine();

  std::string pattern = std::string(current_) + "*.*";
  platform::ListFolder(pattern.c_str(), kListedEntries, AddFolder, &names_);
  if (HasParentEntry(current_)) names_.push_back("..");
  std::size_t longest = kNameWidth;
  for (std::size_t i = 0; i < names_.size(); ++i) {
    const std::wstring name = ShownName(current_, names_[i]);
    if (Width(name) > longest) longest = Width(name);
    int at = folders_.AddWide(name);
    if (at >= 0) folders_.SetItemData(at, IsParent(names_[i].c_str()) ? kParentEntry : LPARAM(i));
  }
  folders_.Select(0);
  RECT client;
  GetClientRect(folders_.Handle(), &client);
  folders_.SetHorizontalExtent(int((client.right - client.left) * long(longest) / long(kNameWidth)));

  int selected = 0;
  char drive[] = "A :";
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    int type = platform::DriveType(letter);
    if (type < 2 || type > 6) continue;
    drive[0] = letter;
    int at = drives_.AddString(drive);
    if (letter == (current_[0] & ~0x20)) selected = at;
  }
  drives_.Select(selected);
}

void DstPathSelectDialog::EnterFolder() {
  int at = folders_.Selection();
  if (at < 0) return;
  LPARAM data = folders_.ItemData(at);
  char next[kPathCapacity];
  std::memcpy(next, current_, sizeof next);
  if (data == kParentEntry) {
    CutToParentFolder(next);
  } else if (data < 0 || std::size_t(data) >= names_.size() ||
             !AppendFolderName(next, sizeof next, names_[std::size_t(data)].c_str())) {
    // A path that would not fit is not entered; the folder stays as it is.
    MessageBeep(MB_OK);
  }
  List(next);
}

void DstPathSelectDialog::ChangeDrive() {
  int at = drives_.Selection();
  if (at < 0) return;
  std::wstring entry = drives_.ItemText(at);
  if (entry.empty() || entry[0] < L'A' || entry[0] > L'Z') return;
  char letter = char(entry[0]);
  _chdrive(letter - 'A' + 1);
  char folder[kPathCapacity];
  if (!platform::CurrentDirectory(letter, folder, sizeof folder - 1)) {
    // No medium, for instance: the root alone, with nothing to list.
    folders_.Clear();
    names_.clear();
    const char root[] = {letter, ':', '\\', '\0'};
    std::memcpy(current_, root, sizeof root);
    ShowPathLine();
    return;
  }
  List(folder);
}

void DstPathSelectDialog::GoToRoot() {
  char root[kPathCapacity];
  std::memcpy(root, current_, sizeof root);
  if (std::strlen(root) > 3) root[3] = '\0';
  List(root);
}

void DstPathSelectDialog::ShowPathLine() {
  const std::wstring path = platform::LongForm(current_);
  HWND line = pathLine_.Handle();
  RECT room;
  GetClientRect(line, &room);
  HDC dc = GetDC(line);
  HGDIOBJ font = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(line, WM_GETFONT, 0, 0)));
  pathLine_.SetWide(ShortenedInTheMiddle(dc, path, room.right - room.left));
  SelectObject(dc, font);
  ReleaseDC(line, dc);
}

void DstPathSelectDialog::Finish(int result) {
  std::memcpy(path, current_, sizeof path);
  CloseWindow(result);
}
