#include "shell/PluginSettings.h"

PluginHost PluginHostFor(const Settings& settings) {
    PluginHost host;
    host.folder = settings.pluginFolder;
    host.disabled = &settings.disabledPlugins;
    return host;
}

void UsePlugins(DocumentHost& host, const Settings& settings) {
    host.pluginFolder = &settings.pluginFolder;
    host.loadWithPlugin = [&settings](const WideString& path) {
        PluginHost plugins = PluginHostFor(settings);
        return loadWithPlugin(plugins, path);
    };
}
