// The plug-in's name and version, for its texts and its version resource.
#pragma once

#define WEBP_PLUGIN_NAME "vantle-webp"
#define WEBP_PLUGIN_VERSION "1.0.0"
#define WEBP_PLUGIN_VERSION_DOTTED "1.0.0.0"
#define WEBP_PLUGIN_VERSION_NUMBERS 1, 0, 0, 0
#define WEBP_PLUGIN_DESCRIPTION "WebP image plug-in for Vantle (libwebp)"
