// decode IN OUT.bmp: IN is loaded exactly as the program opens a document (content sniffing, the
// built-in decoders, normalisation to 24-bit), then written with the BMP encoder.
#include "codecs/Bmp.h"
#include "document/Document.h"
#include "tools/Cli.h"

namespace cli {

int runDecode(const Command& self, const Arguments& arguments) {
    if (arguments.size() != 2) return usageError(self, "expects an input and an output file");
    const WideString& in = arguments[0];
    const WideString& out = arguments[1];

    Document document;
    DocumentHost host;  // no plug-ins, no window
    host.showsImage = false;
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
