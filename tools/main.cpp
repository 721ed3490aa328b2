// vantle-cli: dispatches to one command per file.
#include <cstdio>
#include <cstring>
#include <string>

#include "codecs/PixelCeiling.h"
#include "tools/Cli.h"
#include "shell/texts/EnglishTexts.h"

namespace cli {
namespace {

const Command kCommands[] = {
    {"decode", "IN OUT.bmp [--plugins DIR] [--max-pixels N]",
     "load IN as the program opens an image (with the image plug-ins of DIR, on Windows) and write it\n"
     "      as a 24-bit BMP; a picture of more than N pixels (268435456 unless given) is refused",
     runDecode},
    {"trim", "[options] IN...",
     "trim each input as Execute does and save it under its automatic name in the output folder\n"
     "      (or exactly to -o PATH). An input that is a folder stands for its image files, in the file\n"
     "      list's order. The rectangle is the largest centred one at the output ratio unless given.\n"
     "      Defaults are the built-in settings, or those of --settings FILE; flags override them.\n"
     "      A JPEG photo is turned upright on loading as its EXIF orientation says, so --rect, --quad\n"
     "      and the output's size count in the upright picture; a kept EXIF block says orientation 1.\n"
     "        -r, --recursive       folders with their subfolders (not their output folders)\n"
     "        -j, --jobs N          N inputs at once (default: one per processor)\n"
     "        --dry-run             print the name each input would get; write nothing\n"
     "        -q, --quiet           errors only: no per-file lines, no count, no progress line\n"
     "        --rect L,T,R,B        image pixels, inclusive; the width counts, the height follows the ratio\n"
     "        --quad x,y,x,y,x,y,x,y  perspective corners: top-left, top-right, bottom-left, bottom-right\n"
     "        --size WxH  --preset N (1-8)  --filter 0..3  --sharpen  --levels\n"
     "        --format bmp|png|jpeg|tiff|gif  --quality 1..100  --subsampling 0..2  --progressive\n"
     "        --keep-exif  --limit-kib N  --interlaced\n"
     "        (the colour profile of a JPEG, PNG or TIFF input goes unchanged into JPEG, PNG and TIFF\n"
     "        outputs, with or without --keep-exif, inside --limit-kib; BMP and GIF have no place for it)\n"
     "        --out-folder DIR (used when it exists)  --subfolder NAME  --prefix TEXT  --suffix TEXT\n"
     "        --append-size  --settings FILE  -o PATH (one input; overwrites)\n"
     "        --plugins DIR         image plug-in folder, in place of the settings' pluginFolder (Windows only)\n"
     "        --max-pixels N        refuse pictures (and outputs) of more than N pixels; 268435456 unless given",
     runTrim},
    {"settings", "FILE [--set NAME=VALUE]... [--write]",
     "print every field of a settings file (index name value); --set changes fields, --write saves them", runSettings},
    {"sample", "[--size WxH] OUT",
     "draw a synthetic photograph (1600 x 1200 unless --size) and write it as JPEG (quality 90), PNG or\n"
     "      BMP, by the extension of OUT (.jpg/.jpeg, .png, .bmp)",
     runSample},
};

void printHelp(std::FILE* out) {
    std::fprintf(out, "usage: vantle-cli COMMAND ARGUMENTS...\n       vantle-cli --help | --version\n\ncommands:\n");
    for (const Command& c : kCommands) std::fprintf(out, "  %s %s\n      %s\n", c.name, c.usage, c.summary);
}

}  // namespace

bool setMaxPixels(const std::string& value) {
    if (value.empty() || value.size() > 19 || value.find_first_not_of("0123456789") != std::string::npos) return false;
    const std::uint64_t pixels = std::stoull(value);
    if (pixels == 0) return false;
    setPixelCeiling(pixels);
    return true;
}

std::string errorText(const WideString& path, std::uint32_t code) {
    return path.toUtf8() + ": error " + std::to_string(code) + ": " + englishErrorMessage(code) + "\n";
}

void reportError(const WideString& path, std::uint32_t code) { std::fputs(errorText(path, code).c_str(), stderr); }

int usageError(const Command& command, const char* problem) {
    std::fprintf(stderr, "vantle-cli %s: %s\nusage: vantle-cli %s %s\n", command.name, problem, command.name,
                 command.usage);
    return kUsage;
}

int dispatch(const Arguments& args) {
    if (args.empty()) {
        printHelp(stderr);
        return kUsage;
    }
    const std::string first = args[0].toUtf8();
    if (first == "--help" || first == "-h") {
        printHelp(stdout);
        return kOk;
    }
    if (first == "--version") {
        std::printf("vantle-cli %s\n", VANTLE_VERSION);
        return kOk;
    }
    for (const Command& c : kCommands) {
        if (first != c.name) continue;
        const Arguments rest(args.begin() + 1, args.end());
        for (const WideString& a : rest)
            if (a.toUtf8() == "--help") {
                std::printf("usage: vantle-cli %s %s\n  %s\n", c.name, c.usage, c.summary);
                return kOk;
            }
        return c.run(c, rest);
    }
    std::fprintf(stderr, "vantle-cli: unknown command \"%s\"\n", first.c_str());
    printHelp(stderr);
    return kUsage;
}

}  // namespace cli

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    cli::Arguments args;
    for (int i = 1; i < argc; ++i) args.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
    return cli::dispatch(args);
}
#else
int main(int argc, char** argv) {
    cli::Arguments args;
    for (int i = 1; i < argc; ++i) args.push_back(WideString::fromUtf8(argv[i]));
    return cli::dispatch(args);
}
#endif
