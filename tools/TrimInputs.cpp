// The trim command's inputs: files as given, folders as the file list would show them.
#include "document/Document.h"
#include "document/OutputJob.h"
#include "platform/platform.h"
#include "shell/FileList.h"
#include "tools/Trim.h"

namespace cli {
namespace {

bool samePath(const WideString& a, const WideString& b) {
    // Windows names compare without case; ASCII is what a folder called "Output" needs.
    if (platform::kPathSeparator == u'\\') return WideString::equalsIgnoringAsciiCase(a, b);
    return a.view() == b.view();
}

void addFolder(const TrimJob& job, const std::vector<WideString>& patterns, const WideString& folder,
               std::vector<TrimInput>& inputs) {
    std::vector<WideString> files, subfolders;
    if (!ListFolderImages(folder, patterns, files, job.recursive ? &subfolders : nullptr)) {
        inputs.push_back(TrimInput{folder, true});
        return;
    }
    for (const WideString& name : files) {
        TrimInput input;
        input.path.setPath(folder, name.c_str());
        inputs.push_back(std::move(input));
    }
    if (subfolders.empty()) return;
    // The output folder of this folder's files: a second run must not trim the first run's results.
    Document probe;
    probe.path.setPath(folder, u"probe");
    const WideString output = PlannedOutputFolder(probe, job.settings);
    for (const WideString& name : subfolders) {
        WideString sub;
        sub.setPath(folder, name.c_str());
        if (!samePath(sub, output)) addFolder(job, patterns, sub, inputs);
    }
}

}  // namespace

std::vector<TrimInput> expandInputs(const TrimJob& job) {
    const std::vector<WideString> patterns = fileListPatterns();
    std::vector<TrimInput> inputs;
    for (const WideString& argument : job.arguments) {
        if (platform::isDirectory(argument.c_str()))
            addFolder(job, patterns, argument, inputs);
        else
            inputs.push_back(TrimInput{argument, false});
    }
    return inputs;
}

}  // namespace cli
