// decode IN OUT.bmp [--plugins DIR]: IN is loaded exactly as the program opens a document (content
// sniffing, the built-in decoders, the plug-ins of DIR on Windows, normalisation to 24-bit), then
// written with the BMP encoder.
#include "codecs/Bmp.h"
#include "document/Document.h"
#include "shell/PluginSettings.h"
#include "tools/Cli.h"

namespace cli {

int runDecode(const Command& self, const Arguments& arguments) {
    Settings settings;  // only its plug-in folder is used
    std::vector<WideString> files;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i].toUtf8() == "--plugins") {
            if (i + 1 >= arguments.size()) return usageError(self, "missing value after --plugins");
            settings.pluginFolder = arguments[++i];
        } else {
            files.push_back(arguments[i]);
        }
    }
    if (files.size() != 2) return usageError(self, "expects an input and an output file");
    const WideString& in = files[0];
    const WideString& out = files[1];

    Document document;
    DocumentHost host;  // no window
    host.showsImage = false;
    UsePlugins(host, settings);
    CodecStatus why = CodecStatus::Failure;
    if (!LoadDocument(document, &in, host, &why) || why != CodecStatus::Ok) {
        reportError(in, why);
        return kFailed;
    }

    ImageSink sink;
    setGeometry(sink.reducer, static_cast<std::uint32_t>(document.header.biWidth),
                static_cast<std::uint32_t>(document.header.biHeight), 24, 24);
    sink.xResolution = document.header.biXPelsPerMeter;
    sink.yResolution = document.header.biYPelsPerMeter;
    const bool saved = saveBmp(sink, out, document.palette, document.sourcePixels);
    discard(sink);
    if (!saved) {
        reportError(out, sink.status);
        return kFailed;
    }
    return kOk;
}

}  // namespace cli
