// The part of the settings record the output job reads.
#pragma once

#include <cstdint>

#include "document/OutputFormat.h"
#include "imaging/ResizeFilter.h"
#include "trim/TrimOptions.h"
#include "util/WideString.h"

// The part of the settings record the job reads (besides the trim model's part: the output size
// and the sharpen switch). The record derives from it, so the job reads the settings themselves.
// Switches are bytes, as the settings file stores them.
struct OutputOptions : TrimOptions {
    OutputFormat outputFormat = OutputFormat::Jpeg;
    ResizeFilter resizeMethod = ResizeFilter::AreaLinear;
    std::uint8_t autoLevelsFilter = 0;
    std::uint8_t createOutputFolder = 1;
    WideString outputFolder;
    WideString outputSubfolder{u"Output"};
    std::uint8_t usePrefix = 0;
    WideString namePrefix;
    std::uint8_t useSuffix = 0;
    WideString nameSuffix;
    std::uint8_t appendSize = 0;
    std::uint8_t interlaced = 0;
    std::int32_t jpegQuality = 75;
    std::int32_t jpegSubsampling = 0;  // 0: 2x2, 1: 2x1, 2: 1x1
    std::uint8_t jpegProgressive = 0;
    std::uint8_t keepExif = 0;
    std::uint8_t limitJpegSize = 0;
    std::int32_t jpegSizeLimitKiB = 100;
    WideString currentFolder;
};
