// The modal dialogs, each laid out by a template of the language module: output options, keys and
// mouse, size presets, display and plug-ins.
#pragma once

void openOutputDialog();   // command kOutputOptions
void openKeyDialog();      // command kKeyDialog
void openPresetDialog();   // command kPresetDialog
void openDisplayDialog();  // command kDisplayDialog
void openPluginDialog();   // command kPluginDialog
