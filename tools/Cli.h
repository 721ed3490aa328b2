// Shared by the commands of vantle-cli: arguments as UTF-16 strings, and the one way errors and
// usage are reported.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "codecs/CodecStatus.h"
#include "util/WideString.h"

namespace cli {

constexpr int kOk = 0;
constexpr int kFailed = 1;    // the job failed; the reason went to stderr
constexpr int kUsage = 2;     // the command line was wrong

using Arguments = std::vector<WideString>;

struct Command {
    const char* name;
    const char* usage;    // arguments after the name
    const char* summary;  // one line for --help
    int (*run)(const Command& self, const Arguments& arguments);  // arguments after the command name
};

// "PATH: error CODE: MESSAGE" and a line break, the message from the English text table.
std::string errorText(const WideString& path, std::uint32_t code);
// errorText on stderr.
void reportError(const WideString& path, std::uint32_t code);
inline void reportError(const WideString& path, CodecStatus status) { reportError(path, messageId(status)); }
// --max-pixels N: the pixel ceiling for this run, a whole number from 1 on. False for anything else.
bool setMaxPixels(const std::string& value);
// "vantle-cli NAME: USAGE" on stderr; returns kUsage.
int usageError(const Command& command, const char* problem);

int runDecode(const Command& self, const Arguments& arguments);
int runTrim(const Command& self, const Arguments& arguments);
int runSettings(const Command& self, const Arguments& arguments);
int runSample(const Command& self, const Arguments& arguments);

}  // namespace cli
