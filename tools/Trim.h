// The parts of the trim command: its job as the command line gives it, the inputs it expands to,
// and the progress line it keeps on a terminal.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "shell/Settings.h"
#include "trim/TrimEditor.h"
#include "util/WideString.h"

namespace cli {

struct TrimJob {
    Settings settings;
    bool haveRect = false;
    TrimRect rect;
    bool haveQuad = false;
    TrimPoint quad[4];
    WideString outPath;                // -o
    std::vector<WideString> arguments;  // files and folders, as given
    bool recursive = false;            // -r
    std::uint32_t jobs = 0;            // -j; 0 until parsed: one per processor
    bool dryRun = false;
    bool quiet = false;
};

// One input of the job: a file, or a folder that could not be read (which fails as an input does).
struct TrimInput {
    WideString path;
    bool unreadableFolder = false;
};

// The job's arguments as inputs, in order: a file as it stands; a folder as its image files, in the
// file list's order and by its patterns, and with `recursive` each of its subfolders after them,
// in the same order, except the subfolder that is the output folder of the folder's own files
// (where an earlier run left its results) and links to folders.
std::vector<TrimInput> expandInputs(const TrimJob& job);

// "12 of 40 files, 3.1 files/s, 0:09 left": the rate and the time left once a file is done.
std::string progressText(std::size_t done, std::size_t total, double seconds);

// One line on standard error that shows how far the job is, rewritten in place. It exists only
// where standard error is a terminal; every other line printed while it shows goes through
// `print`, so the line never sits in the middle of them.
class ProgressLine {
public:
    ProgressLine(std::size_t total, bool wanted);
    ~ProgressLine() { clear(); }
    // Standard output and error text of one input, then the line again with one more file done.
    void print(const std::string& out, const std::string& err);
    void clear();

private:
    void draw(bool now);

    bool shown_;
    std::size_t total_;
    std::size_t done_ = 0;
    std::size_t width_ = 0;  // characters of the line as last drawn
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point drawn_;
};

}  // namespace cli
