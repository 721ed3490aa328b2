// The plug-in host as the settings configure it: their plug-in folder and the plug-ins switched off.
#pragma once

#include "document/Document.h"
#include "plugins/PluginHost.h"
#include "shell/Settings.h"

PluginHost PluginHostFor(const Settings& settings);
// Document loading asks the settings' plug-ins for files no built-in decoder reads. The settings
// must outlive the document host.
void UsePlugins(DocumentHost& host, const Settings& settings);
