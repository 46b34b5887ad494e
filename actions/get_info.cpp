#include "actions/get_info.h"

#include <cstring>

#include "actions/title_action.h"
#include "disc/disc_state.h"
#include "disc/menu_table.h"

ReadOutcome GetInfo(const char* editFolderText, int noMenu, int randomPlay) {
  // The options belong to the user, not the disc: a failed read keeps them.
  Disc.NoMenu = noMenu;
  Disc.RandomPlay = randomPlay;
  if (editFolderText == nullptr) {
    FailureEnding();
    return FolderRejected;
  }
  // The edit box holds at most 258 bytes; the read gets the text as given,
  // so a longer one is refused rather than cut to another folder's name.
  std::size_t length = strnlen(editFolderText, kPathCapacity - 2);
  std::memmove(Disc.EditFolderText, editFolderText, length);
  Disc.EditFolderText[length] = '\0';
  ReadOutcome outcome = ReadEditFolder(editFolderText);
  if (outcome != FolderRejected) Disc.RowPage = 0;
  if (outcome == FolderRead) DeriveActionsFromDisc(PrepareMenuTable());
  return outcome;
}
