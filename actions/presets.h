// Whole-disc patterns of end actions.
#pragma once

constexpr int kPresetCount = 8;
// Sets every title's kind and target (and the menu choice where the pattern
// gives one) from PresetIndex. The front end reads its rows back before and
// shows them after.
void ApplyBatchPreset();
