// The common file-open and file-save dialogs. Paths cross this edge as
// Shift-JIS, as the engine keeps them; a path with a character code page 932
// cannot hold is refused with a message rather than changed.
#pragma once

#include <windows.h>
// After windows.h.
#include <commdlg.h>

#include <string>

#include "winfw/window.h"

namespace winfw {

class TOpenSaveDialog {
 public:
  struct TData {
    std::string filter;  // UTF-8: description|pattern|description|pattern...
    int filterIndex = 1;
    std::string defaultExtension;
    DWORD flags = 0;            // OFN_...
    std::string initialFolder;  // Shift-JIS
    std::string fileName;       // Shift-JIS: the initial name; after IDOK, the full path chosen
  };

  TOpenSaveDialog(const Window* parent, TData& data) : parent_(parent), data_(data) {}
  virtual ~TOpenSaveDialog() = default;
  // IDOK with the chosen path in the data, or IDCANCEL.
  virtual int Execute() = 0;

 protected:
  int Run(bool save);

 private:
  const Window* parent_;
  TData& data_;
};

class TFileOpenDialog : public TOpenSaveDialog {
 public:
  using TOpenSaveDialog::TOpenSaveDialog;
  int Execute() override { return Run(false); }
};

class TFileSaveDialog : public TOpenSaveDialog {
 public:
  using TOpenSaveDialog::TOpenSaveDialog;
  int Execute() override { return Run(true); }
};

// Who answers the file dialogs instead of the system, for tests: gets the
// settings, sets the chosen path and returns IDOK, or returns IDCANCEL.
// Null puts the system's dialogs back.
using FileDialogHandler = int (*)(bool save, TOpenSaveDialog::TData* data, void* context);
void SetFileDialogHandler(FileDialogHandler handler, void* context);

}  // namespace winfw
