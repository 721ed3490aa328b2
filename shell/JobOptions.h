// The settings record seen by the trim model and the output job, which keep their own copies of
// the fields they read.
#pragma once

#include "document/OutputJob.h"
#include "shell/Settings.h"
#include "trim/TrimEditor.h"

void trimOptionsFromSettings(const Settings& settings, TrimOptions& options);
void outputOptionsFromSettings(const Settings& settings, OutputOptions& options);
