// The title area of the main dialog: five rows of end actions over the
// TitleAction model, the counts, the preset, register and option controls,
// and paging through the titles five at a time. The rows keep no state of
// their own; the model is Disc.
#pragma once

#include "winfw/controls.h"

constexpr int kRowsPerPage = 5;
// The six radio buttons of a row, in the order of the kinds they stand for.
constexpr int kRowKinds = 6;

struct TitleRow {
  TitleRow(const winfw::Window* dialog, int row);
  winfw::TStatic label;
  winfw::TRadioButton kinds[kRowKinds];  // JumpTitle, Command, MenuPgc, Stop, Repeat, Unchanged
  winfw::TComboBox target;
  winfw::TEdit command;
  winfw::TComboBox menu;
};

class TitleRows {
 public:
  explicit TitleRows(const winfw::Window* dialog);

  // When the dialog is created: combo boxes filled, page 1 shown.
  void Setup();
  void ShowRows();
  void UpdateRowEnabling();
  void ReadRowsBack();
  void PageUp();
  void PageDown();
  // The dialog side of the batch preset: rows read back, preset, rows shown.
  void ApplyBatchPreset();
  // The controls that need a loaded disc: the two options, title
  // information and execute.
  void EnableDiscControls(bool on);
  bool NoMenuChecked() const { return noMenu_.IsChecked(); }
  bool RandomPlayChecked() const { return randomPlay_.IsChecked(); }

  // Whether a control is one of the rows' radio buttons.
  static bool IsKindButton(int id);

 private:
  TitleRow rows_[kRowsPerPage];
  winfw::TStatic titleCount_, titleSetCount_;
  winfw::TComboBox register_, preset_;
  winfw::TButton refresh_, titleInfo_, execute_;
  winfw::TCheckBox noMenu_, randomPlay_;
};
