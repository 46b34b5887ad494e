// The open and save dialogs of project files, and where they start.
#pragma once

#include "winfw/file_dialog.h"

class MyFileOpenDialog : public winfw::TFileOpenDialog {
  using winfw::TFileOpenDialog::TFileOpenDialog;
};

class MyFileSaveDialog : public winfw::TFileSaveDialog {
  using winfw::TFileSaveDialog::TFileSaveDialog;
};

// The settings of either dialog: the project filter, and the folder and name
// of ProjectPath (the program folder and "*.prj" while it is empty).
winfw::TOpenSaveDialog::TData ProjectDialogData(bool save);
