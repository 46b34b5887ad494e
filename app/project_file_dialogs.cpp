#include "app/project_file_dialogs.h"

#include "disc/disc_state.h"
#include "disc/sjis_text.h"
#include "persist/program_paths.h"

winfw::TOpenSaveDialog::TData ProjectDialogData(bool save) {
  winfw::TOpenSaveDialog::TData data;
  data.filter = "ﾌﾟﾛｼﾞｪｸﾄ(*.prj)|*.prj";
  data.filterIndex = 1;
  data.flags = OFN_HIDEREADONLY | (save ? OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT : 0);
  if (Disc.ProjectPath[0] == '\0') {
    data.initialFolder = ProgramFolder;
    data.fileName = "*.prj";
  } else {
    std::size_t folder = FolderPartLength(Disc.ProjectPath);
    data.initialFolder.assign(Disc.ProjectPath, folder);
    data.fileName = Disc.ProjectPath + folder;
  }
  return data;
}
