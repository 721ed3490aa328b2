// The plug-in's name and version, for its texts and its version resource.
#pragma once

#define PNM_PLUGIN_NAME "vantle-pnm"
#define PNM_PLUGIN_VERSION "1.0.0"
#define PNM_PLUGIN_VERSION_DOTTED "1.0.0.0"
#define PNM_PLUGIN_VERSION_NUMBERS 1, 0, 0, 0
#define PNM_PLUGIN_DESCRIPTION "Netpbm image plug-in for Vantle (PBM, PGM, PPM, PAM)"
