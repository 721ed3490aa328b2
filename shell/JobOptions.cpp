#include "shell/JobOptions.h"

void trimOptionsFromSettings(const Settings& s, TrimOptions& o) {
    o.trimWidth = s.trimWidth;
    o.trimHeight = s.trimHeight;
    for (std::uint32_t i = 0; i < kPresetCount && i < 8; ++i) {
        o.presetWidth[i] = s.presetWidth[i];
        o.presetHeight[i] = s.presetHeight[i];
    }
    o.outsideShade = s.outsideShade;
    o.sharpen = s.sharpen != 0;
}

void outputOptionsFromSettings(const Settings& s, OutputOptions& o) {
    o.trimWidth = s.trimWidth;
    o.trimHeight = s.trimHeight;
    o.outputFormat = s.outputFormat;
    o.resizeMethod = s.resizeMethod;
    o.sharpen = s.sharpen != 0;
    o.autoLevelsFilter = s.autoLevelsFilter != 0;
    o.createOutputFolder = s.createOutputFolder != 0;
    o.outputFolder = s.outputFolder;
    o.outputSubfolder = s.outputSubfolder;
    o.usePrefix = s.usePrefix != 0;
    o.namePrefix = s.namePrefix;
    o.useSuffix = s.useSuffix != 0;
    o.nameSuffix = s.nameSuffix;
    o.appendSize = s.appendSize != 0;
    o.interlaced = s.interlaced != 0;
    o.jpegQuality = s.jpegQuality;
    o.jpegSubsampling = s.jpegSubsampling;
    o.jpegProgressive = s.jpegProgressive != 0;
    o.keepExif = s.keepExif != 0;
    o.limitJpegSize = s.limitJpegSize != 0;
    o.jpegSizeLimitKiB = s.jpegSizeLimitKiB;
    o.currentFolder = s.currentFolder;
}
